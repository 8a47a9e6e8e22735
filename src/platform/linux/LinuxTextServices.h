#pragma once
// Tavlen's services on the session bus, under names derived from its identifier "trevik.tavlen": the
// bus name trevik.tavlen, the object /trevik/tavlen and the interface trevik.tavlen.Services, whose
// method CheckSpelling(s text) answers nothing when the review window opened and the error
// trevik.tavlen.Services.Refused, with the message for the person, otherwise.

#include "platform/TextServices.h"

#include <QList>
#include <QPointer>

class LinuxSpellingBusObject;
class QDBusMessage;

class LinuxTextServices : public TextServices {
    Q_OBJECT
public:
    static inline const QString busName = QStringLiteral("trevik.tavlen");
    static inline const QString objectPath = QStringLiteral("/trevik/tavlen");
    static inline const QString interfaceName = QStringLiteral("trevik.tavlen.Services");
    static inline const QString checkSpellingMethod = QStringLiteral("CheckSpelling");
    static inline const QString refusedError = QStringLiteral("trevik.tavlen.Services.Refused");

    explicit LinuxTextServices(QObject *parent = nullptr);
    ~LinuxTextServices() override;

    bool offerSpellingService(SpellingHandler handler) override;
    void withdrawSpellingService() override;
    bool isOfferingSpellingService() const override { return m_offering; }
    Task<TextServiceReply> requestSpellingCheck(QString text, double timeout) override;

    // Called by the bus object for each request; answers it once the handler has.
    void answer(const QDBusMessage &request, const QString &text);

private:
    Task<> respond(QDBusMessage request, QString text);

    SpellingHandler m_handler;
    LinuxSpellingBusObject *m_object = nullptr;
    bool m_offering = false;
    QList<Task<>> m_answers;
};
