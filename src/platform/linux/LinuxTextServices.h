#pragma once
// Tavlen's services on the session bus, under names derived from its identifier "trevik.tavlen": the
// bus name trevik.tavlen, the object /trevik/tavlen and the interface trevik.tavlen.Services, whose
// method CheckSpelling(s text) answers nothing when the review window opened and the error
// trevik.tavlen.Services.Refused, with the message for the person, otherwise. One request is answered at a
// time; a call arriving meanwhile is refused at once with busyMessage. A request is handed only to a bus
// name owner of this user that the owner check accepts (the running instance). A call from a process of
// this same program file is the program's own command; any other is another program's.

#include "platform/TextServices.h"

#include <QList>
#include <QThread>

#include <atomic>
#include <variant>

class LinuxSpellingBusObject;
class QDBusConnection;
class QDBusMessage;

class LinuxTextServices : public TextServices {
    Q_OBJECT
public:
    static inline const QString busName = QStringLiteral("trevik.tavlen");
    static inline const QString objectPath = QStringLiteral("/trevik/tavlen");
    static inline const QString interfaceName = QStringLiteral("trevik.tavlen.Services");
    static inline const QString checkSpellingMethod = QStringLiteral("CheckSpelling");
    static inline const QString refusedError = QStringLiteral("trevik.tavlen.Services.Refused");
    static inline const QString busyMessage
        = QStringLiteral("Tavlen is already checking a selection. Try again in a moment.");

    // Whether the process holding the bus name may be handed the selection; without one, any of this user's.
    using OwnerCheck = std::function<bool(qint64 pid)>;

    explicit LinuxTextServices(QObject *parent = nullptr);
    ~LinuxTextServices() override;

    bool offerSpellingService(SpellingHandler handler) override;
    void withdrawSpellingService() override;
    bool isOfferingSpellingService() const override { return m_offering; }
    Task<TextServiceReply> requestSpellingCheck(QString text, double timeout) override;
    void setOwnerCheck(OwnerCheck check) { m_ownerCheck = std::move(check); }

    // Called by the bus object for the one request it lets through at a time; answers it once the handler has.
    void answer(const QDBusMessage &request, const QString &text);
    // Whether the process runs this same program (then a request from it is the program's own command).
    static bool isThisProgram(qint64 pid);

private:
    static constexpr int callerQuestionTimeoutMs = 1000;

    Task<> respond(QDBusMessage request, QString text);
    // The bus owner's unique name when it may be handed text, else the reply saying why not.
    std::variant<QString, TextServiceReply> trustedOwner() const;
    static void keepReading(const QDBusConnection &bus);
    void removeBusObject();

    SpellingHandler m_handler;
    OwnerCheck m_ownerCheck;
    QThread m_busThread;
    LinuxSpellingBusObject *m_object = nullptr;
    std::atomic_bool m_busy = false;
    bool m_offering = false;
    QList<Task<>> m_answers;
};
