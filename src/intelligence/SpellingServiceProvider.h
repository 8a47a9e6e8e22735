#pragma once
// The receiving end of "check the spelling of my selection", as other applications' selections reach it
// through the platform's text services: it refuses what it cannot serve with a message for the caller, also
// shown to the person in a window of Tavlen's own that nobody waits on; otherwise it takes hold of the
// selection (to write the correction back later) and opens the one review window "Check Spelling · Tavlen".
// A newer request replaces an open window. A window takes the keyboard only for the person's own command:
// one opened for another program's call comes without it.

#include "intelligence/SpellingSelectionTarget.h"
#include "platform/Lifetime.h"
#include "platform/Platform.h"
#include "platform/Task.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <optional>

class ClipboardAIController;
class SettingsStore;
class SpellingRefusalWindow;
class SpellingServiceContent;

class SpellingServiceProvider : public QObject {
    Q_OBJECT
public:
    static inline const QString windowTitle = QStringLiteral("Check Spelling · Tavlen");
    static constexpr QSize windowSize{640, 540};
    static constexpr QSize minimumWindowSize{540, 460};

    static inline const QString intelligenceOffMessage
        = QStringLiteral("Enable local AI in Tavlen Settings to check spelling.");
    static inline const QString noTextMessage = QStringLiteral("Select text to check its spelling.");

    SpellingServiceProvider(SettingsStore &settings, ClipboardAIController &ai, const Platform &platform,
                            QObject *parent = nullptr);
    ~SpellingServiceProvider() override;

    // Offers checkSpelling through the platform's text services; false when they cannot carry it.
    bool install();
    void uninstall();

#ifndef Q_MOC_RUN
    // One request with the selected plain text: none when the review window opened (taking the keyboard
    // when told), else the refusal.
    Task<std::optional<QString>> checkSpelling(QString text, bool takeKeyboard = true);
#endif

    // Closes the review window when one is open.
    void closePreviewWindow();
    QWidget *previewWindow() const { return m_previewWindow; }
    // The window showing why the last request was refused, while it is open.
    SpellingRefusalWindow *refusalWindow() const;
    SpellingServiceContent *previewContent() const;

protected:
    // Forgets the review window as soon as it closes, however it was closed.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
#ifndef Q_MOC_RUN
    // A request as it comes over the platform's text services: checkSpelling, and a refusal shown.
    Task<std::optional<QString>> answerRequest(QString text, bool takeKeyboard);
#endif
    void showRefusal(const QString &message, bool takeKeyboard);
    void closeRefusalWindow();
    void openWindow(const QString &text, std::optional<SpellingSelectionTarget> target, bool takeKeyboard);

    QPointer<SettingsStore> m_settings;
    QPointer<ClipboardAIController> m_ai;
    Platform m_platform;
    QPointer<QWidget> m_previewWindow;
    QPointer<SpellingRefusalWindow> m_refusalWindow;
    bool m_installed = false;
    // Requests waiting for the model's availability; they end with the provider.
    QList<Task<std::optional<QString>>> m_requests;
    Lifetime m_lifetime;
};
