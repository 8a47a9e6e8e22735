#include "platform/linux/LinuxPrimarySelection.h"

#include "platform/FutureAwaiter.h"
#include "platform/linux/X11ClipboardTargets.h"
#include "platform/linux/X11SelectionOwner.h"
#include "platform/linux/X11SelectionReader.h"
#include "platform/linux/XcbSession.h"

#include <QtConcurrent>

namespace {

PasteboardRead readSelectedText(std::shared_ptr<X11SelectionReader> reader, qint64 maxBytes)
{
    const X11SelectionReader::Targets targets = reader->targets();
    if (!targets.answered)
        return PasteboardRead::missing(true);
    // A password manager's selection is not read at all.
    if (X11ClipboardTargets::typesFromTargets(targets.names).contains(PasteboardType::passwordManagerHint))
        return PasteboardRead::missing();
    QList<QByteArray> candidates = X11ClipboardTargets::targetsForType(PasteboardType::plainText, targets.names);
    return reader->readFirst(candidates, maxBytes, true);
}

} // namespace

LinuxPrimarySelection::LinuxPrimarySelection(XcbSession &session, QObject *parent)
    : PrimarySelection(parent)
    , m_session(session)
    , m_reader(std::make_shared<X11SelectionReader>(std::chrono::milliseconds(500), QByteArrayLiteral("PRIMARY")))
{
    m_thread.setMaxThreadCount(1);
}

LinuxPrimarySelection::~LinuxPrimarySelection()
{
    m_thread.waitForDone();
}

bool LinuxPrimarySelection::isAvailable() const
{
    return m_session.isAvailable();
}

Task<PasteboardRead> LinuxPrimarySelection::readText(qint64 maxBytes)
{
    if (!isAvailable())
        co_return PasteboardRead::missing();
    QFuture<PasteboardRead> work = QtConcurrent::run(&m_thread, &readSelectedText, m_reader, maxBytes);
    const std::optional<PasteboardRead> read = co_await awaitFuture(std::move(work));
    co_return read.value_or(PasteboardRead::missing());
}

bool LinuxPrimarySelection::writeText(const QString &text)
{
    if (!isAvailable())
        return false;
    if (!m_owner) {
        m_owner = std::make_unique<X11SelectionOwner>(m_session, m_session.atom("PRIMARY"),
                                                      [this](xcb_window_t requestor) { handleServed(requestor); });
    }
    // No event of ours to date it by: the server dates it as it gets it.
    return m_owner->own(X11ClipboardTargets::offeredTargets(PasteboardType::plainText, text.toUtf8()),
                        XCB_CURRENT_TIME);
}

bool LinuxPrimarySelection::holdsWrittenText() const
{
    return m_owner && m_owner->isOwner();
}

void LinuxPrimarySelection::release()
{
    if (m_owner)
        m_owner->disown();
}

void LinuxPrimarySelection::handleServed(quint32 requestor)
{
    const qint64 pid = m_session.windowClient(requestor).pid;
    // Told after the event that brought the request has been dealt with: a listener may write at once.
    QMetaObject::invokeMethod(
        this, [this, pid] { Q_EMIT writtenTextRead(pid); }, Qt::QueuedConnection);
}
