#include "platform/sim/SimTextServices.h"

bool SimTextServices::offerSpellingService(SpellingHandler handler)
{
    if (!canOffer)
        return false;
    m_handler = std::move(handler);
    return true;
}

void SimTextServices::withdrawSpellingService()
{
    m_handler = nullptr;
}

Task<TextServiceReply> SimTextServices::requestSpellingCheck(QString text, double)
{
    requests.append(text);
    const SpellingHandler handler = m_handler;
    if (!handler)
        co_return TextServiceReply{TextServiceReply::Status::unreachable, QString()};
    const std::optional<std::optional<QString>> refusal = co_await handler(std::move(text), requestsByCommand);
    if (!refusal)
        co_return TextServiceReply{TextServiceReply::Status::unreachable, QStringLiteral("Tavlen did not answer in time. Try again in a moment.")};
    if (*refusal)
        co_return TextServiceReply{TextServiceReply::Status::refused, **refusal};
    co_return TextServiceReply{TextServiceReply::Status::accepted, QString()};
}
