#pragma once
// The content of a remembered value's details window, on a rounded glass card: the value itself, where it
// was used (application, environment, field, its identifiers), when it was created, updated and last used,
// how often, and every recorded use, newest first. While on screen, Space and Escape pressed in its own
// window close it; keys meant for other windows pass on.

#include "fields/FocusedFieldSuggestion.h"
#include "platform/EventMonitors.h"
#include "platform/Platform.h"
#include "ui/Palette.h"
#include "ui/SymbolTable.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QPair>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class Panel;
class QLabel;
class QScrollArea;
class QTextEdit;
class QToolButton;
class QVBoxLayout;

class FocusedFieldSuggestionPreviewView : public QWidget {
    Q_OBJECT
public:
    static constexpr double cornerRadius = 28;
    static constexpr double padding = 28;
    static constexpr double sectionSpacing = 22;
    static constexpr double labelWidth = 150;
    static inline const QString headerTitle = QStringLiteral("Usage history");
    static inline const QString closeHelp = QStringLiteral("Close");
    static inline const QString noUsageText = QStringLiteral("No recorded usage dates");

    // `window` is the panel the view lives in: only its keys close it.
    FocusedFieldSuggestionPreviewView(const Platform &platform, FocusedFieldSuggestion suggestion,
                                      std::function<void()> onClose, Panel *window, QWidget *parent = nullptr);
    ~FocusedFieldSuggestionPreviewView() override;

    // The value the box shows: the display value when there is one (even empty), else the value.
    static QString shownValue(const FocusedFieldSuggestion &suggestion);
    // The detail rows with a value, as (label, text), in their fixed order.
    static QList<QPair<QString, QString>> detailRows(const FocusedFieldSuggestion &suggestion, const QLocale &locale);
    // The recorded uses, newest first.
    static QList<QDateTime> usageDates(const FocusedFieldSuggestion &suggestion);
    // A date as the window writes it: day, full month name, year, hour, minute and second in the locale.
    static QString dateText(const QDateTime &date, const QLocale &locale);

    // While on screen the view closes on Space and Escape of its own window.
    void installKeyMonitor();
    void removeKeyMonitor();
    bool hasKeyMonitor() const { return m_keyMonitor.has_value(); }
    EventDisposition handleKeyDown(const KeyDownEvent &event);

    QToolButton *closeButton() const { return m_closeButton; }
    QScrollArea *scrollArea() const { return m_scroll; }
    Palette palette() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *sectionTitle(const QString &title);
    QTextEdit *selectableText(const QString &text, const QFont &font);
    void fitHeight(QTextEdit *text);
    void applyPalette();

    Platform m_platform;
    FocusedFieldSuggestion m_suggestion;
    std::function<void()> m_onClose;
    Panel *m_window = nullptr;
    SymbolTable m_symbols;
    std::optional<MonitorToken> m_keyMonitor;

    QScrollArea *m_scroll = nullptr;
    QLabel *m_icon = nullptr;
    QToolButton *m_closeButton = nullptr;
    QTextEdit *m_valueBox = nullptr;
    QWidget *m_usageList = nullptr;
    QList<QLabel *> m_secondaryLabels;
    QList<QLabel *> m_tertiaryLabels;
    QList<QWidget *> m_primaryTexts;
    QList<QWidget *> m_dividers;
};
