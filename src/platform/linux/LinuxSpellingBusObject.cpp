#include "platform/linux/LinuxSpellingBusObject.h"

#include "platform/linux/LinuxTextServices.h"

LinuxSpellingBusObject::LinuxSpellingBusObject(LinuxTextServices &services)
    : QObject(&services)
    , m_services(services)
{
}

void LinuxSpellingBusObject::CheckSpelling(const QString &text)
{
    // The answer waits for the handler (which may ask the model whether it can be used).
    setDelayedReply(true);
    m_services.answer(message(), text);
}
