#include "platform/linux/LinuxPrimarySelection.h"

#include "platform/FutureAwaiter.h"
#include "platform/linux/X11ClipboardTargets.h"
#include "platform/linux/X11SelectionReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtConcurrent>

namespace {

PasteboardRead readSelectedText(std::shared_ptr<X11SelectionReader> reader, qint64 maxBytes)
{
    const X11SelectionReader::Targets targets = reader->targets();
    if (!targets.answered)
        return PasteboardRead::missing(true);
    QList<QByteArray> candidates = X11ClipboardTargets::targetsForType(PasteboardType::plainText, targets.names);
    return reader->readFirst(candidates, maxBytes, true);
}

} // namespace

LinuxPrimarySelection::LinuxPrimarySelection(QObject *parent)
    : PrimarySelection(parent)
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
    return !qEnvironmentVariableIsEmpty("DISPLAY");
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
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!isAvailable() || !clipboard->supportsSelection())
        return false;
    auto *mime = new QMimeData;
    X11ClipboardTargets::setPlainText(*mime, text.toUtf8());
    clipboard->setMimeData(mime, QClipboard::Selection);
    return clipboard->ownsSelection();
}
