#pragma once
// The value-history pane of another application's field, shown by the launcher on its recent list: the
// field's latest value, its most used values and random sample values that fit the field, each a
// suggestion row; the remembered values narrowed by the history search; and a row to type a value by
// hand. Every chosen value goes to onSuggestionSelect. The pane changes nothing but its own state and the
// two values it is bound to (the selection and the search text), which it writes through its callbacks.

#include "fields/FocusedFieldSuggestion.h"
#include "fields/views/NotchAIContext.h"
#include "fields/views/NotchSuggestionRow.h"
#include "model/NotchDemoHighlight.h"
#include "model/NotchLauncherListKind.h"
#include "platform/Platform.h"
#include "ui/AnimatedValue.h"
#include "ui/FrameTicker.h"
#include "ui/Palette.h"

#include <QHash>
#include <QList>
#include <QPainterPath>
#include <QPointer>
#include <QString>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class QLineEdit;
class QToolButton;
class SymbolTable;

class NotchAIContentView : public QWidget {
    Q_OBJECT
public:
    static constexpr double messageHeight = 64;
    static constexpr double compactHeaderPadding = 20;
    static constexpr double headerPadding = 12;
    static constexpr double indicatorTrailingInset = 4;
    static constexpr double indicatorVerticalInset = 8;
    static constexpr double sectionOutlineWidth = 1.2;
    static constexpr double lastSectionCornerRadius = 20;
    static inline const QString latestTitle = QStringLiteral("Latest");
    static inline const QString mostUsedTitle = QStringLiteral("Most used");
    static inline const QString randomTitle = QStringLiteral("Random");
    static inline const QString searchResultsTitle = QStringLiteral("Search results");
    static inline const QString noMatchText = QStringLiteral("No matching values");
    static inline const QString noHistoryText = QStringLiteral("No saved history for this field");
    static inline const QString manualPrompt = QStringLiteral("Enter a value…");
    static inline const QString manualButtonHelp = QStringLiteral("Paste value");
    static inline const QString manualButtonLabel = QStringLiteral("Paste entered value");
    static inline const QString enteredValueTitle = QStringLiteral("Entered value");

    // What the launcher hands the pane; the selection and the search text are shared with it.
    struct Inputs {
        NotchLauncherListKind listKind = NotchLauncherListKind::recent;
        NotchAIContext context;
        std::optional<QUuid> selectedSuggestionID;
        QString searchQuery;
        NotchDemoHighlights tutorialHighlights;
        bool isCompact = false;
    };
    struct Callbacks {
        // The pane's writes of the two shared values.
        std::function<void(const std::optional<QUuid> &)> onSelectedSuggestionIDChange;
        std::function<void(const QString &)> onSearchQueryChange;
        std::function<void(const FocusedFieldSuggestion &)> onSuggestionSelect;
        // The content's height may have changed.
        std::function<void()> onContentLayoutChanged;
    };

    // One piece of the stacked content, top to bottom.
    struct Item {
        enum class Kind {
            sectionHeader,
            suggestion,
            manualEntry,
            message,
        };
        Kind kind = Kind::message;
        double top = 0;
        double height = 0;
        // The header's title or the message's text.
        QString text;
        double horizontalPadding = 0;
        FocusedFieldSuggestion suggestion;
        bool showsBottomSeparator = true;
        bool isTutorialHighlighted = false;
        // The manual entry row takes the keyboard when it comes on screen.
        bool focusesOnAppear = false;
    };
    // A titled section (header and rows), for the tutorial's outline over it.
    struct Section {
        QString title;
        NotchDemoHighlight tutorialKey = NotchDemoHighlight::latestSection;
        double top = 0;
        double height = 0;
        double bottomCornerRadius = 0;
    };
    struct Content {
        QList<Item> items;
        QList<Section> sections;
        double height = 0;
    };

    static bool isSearching(const Inputs &inputs);
    // The search results while searching; otherwise the history values followed by the random ones.
    static QList<FocusedFieldSuggestion> visibleSuggestions(const Inputs &inputs);
    // Everything the pane stacks for these inputs, with its positions.
    static Content content(const Inputs &inputs);
    // The selection the pane keeps: the current one while it is visible, else the first visible
    // suggestion, else none.
    static std::optional<QUuid> validSelection(const Inputs &inputs);
    // The suggestion a manual entry makes (a fresh id each time), or none for a blank entry.
    static std::optional<FocusedFieldSuggestion> manualSuggestion(const QString &manualValue);

    NotchAIContentView(const Platform &platform, const SymbolTable &symbols, std::function<Palette()> palette,
                       Inputs inputs, Callbacks callbacks, QWidget *parent = nullptr);
    ~NotchAIContentView() override;

    const Inputs &inputs() const { return m_inputs; }
    void setCallbacks(Callbacks callbacks) { m_callbacks = std::move(callbacks); }
    // Takes the launcher's current values; the change handlers run for what changed.
    void setInputs(const Inputs &inputs);
    const Content &currentContent() const { return m_content; }
    // The outline of the panel around the pane, in the pane's coordinates: nothing is drawn outside it
    // (rounded corners). Empty: the whole pane.
    void setClipShape(const QPainterPath &shape);

    // The manual entry.
    QString manualValue() const;
    void setManualValue(const QString &value);
    bool hasManualValue() const;
    bool isManualValueFocused() const;
    QLineEdit *manualField() const { return m_manualField; }
    QToolButton *manualButton() const { return m_manualButton; }
    void submitManualValue();
    void ensureValidSelection();

    // Scrolling and the rows on screen, also for tests (positions in the pane).
    double scrollOffset() const;
    double maximumScrollOffset() const;
    void scrollTo(double offset);
    QRectF itemRect(int index) const;
    std::optional<int> itemAt(QPointF position) const;
    NotchSuggestionRow *row(const QUuid &id);
    void pointerMoved(QPointF position);
    void pointerLeft();
    void pointerClicked(QPointF position);
    // What a click on the suggestion's row does (a screen reader's press too).
    void clickSuggestion(const QUuid &id);
    QString helpTagAt(QPointF position) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool event(QEvent *event) override;

private:
    void rebuild();
    void writeSelection(const std::optional<QUuid> &id);
    void writeSearchQuery(const QString &query);
    // Tells a listening screen reader where the selection went.
    void announceSelection();
    void layoutManualRow();
    void updateManualButton();
    void manualRowShown(std::optional<bool> focusesOnAppear);
    std::optional<QUuid> suggestionAt(QPointF position) const;
    void setHoveredRow(std::optional<QUuid> id, bool movesSelection);
    double now() const;

    Platform m_platform;
    const SymbolTable &m_symbols;
    std::function<Palette()> m_palette;
    Inputs m_inputs;
    Callbacks m_callbacks;
    Content m_content;
    QPainterPath m_clipShape;
    QHash<QUuid, NotchSuggestionRow> m_rows;
    QHash<NotchDemoHighlight, AnimatedValue> m_sectionOutlines;
    AnimatedValue m_scroll{0};
    FrameTicker m_ticker;
    std::optional<QPointF> m_pointer;
    std::optional<QUuid> m_hoveredID;
    QLineEdit *m_manualField = nullptr;
    QToolButton *m_manualButton = nullptr;
    std::optional<ColorScheme> m_manualIconScheme;
    double m_manualIconScale = 0;
    // Which manual entry row is on screen (whether it focuses itself), none when neither.
    std::optional<bool> m_manualRow;
    // Bumped whenever the manual row leaves the screen, which ends its pending focus step.
    quint64 m_manualRowGeneration = 0;
    bool m_applyingInputs = false;
    QList<QUuid> m_visibleIDs;
    std::optional<QUuid> m_announcedSelection;
};
