#pragma once
// Simulated services for tests: a request reaches the handler offered in this process directly, as the
// session bus would carry it to the running program.

#include "platform/TextServices.h"

#include <QStringList>

class SimTextServices : public TextServices {
    Q_OBJECT
public:
    using TextServices::TextServices;

    bool offerSpellingService(SpellingHandler handler) override;
    void withdrawSpellingService() override;
    bool isOfferingSpellingService() const override { return bool(m_handler); }
    Task<TextServiceReply> requestSpellingCheck(QString text, double timeout) override;

    // When false, offering fails (no session bus, or the name is taken).
    bool canOffer = true;
    // Every text requested, in order.
    QStringList requests;
    // Whether requests come from the program's own command; false: from another program.
    bool requestsByCommand = true;

private:
    SpellingHandler m_handler;
};
