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
    // A password manager's selection is not read at all.
    if (X11ClipboardTargets::typesFromTargets(targets.names).contains(PasteboardType::passwordManagerHint))
        return PasteboardRead::missing();
    QList<QByteArray> candidates = X11ClipboardTargets::targetsForType(PasteboardType::plainText, targets.names);
    return reader->readFirst(candidates, maxBytes, true);
}

// Text that notes when a reader asks for it: Qt answers another program's request through retrieveData.
class ServedText : public QMimeData {
public:
    bool wasRead() const { return m_wasRead; }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override
    {
        m_wasRead = true;
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    mutable bool m_wasRead = false;
};

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
    auto *mime = new ServedText;
    X11ClipboardTargets::setPlainText(*mime, text.toUtf8());
    clipboard->setMimeData(mime, QClipboard::Selection);
    m_written = mime;
    return clipboard->ownsSelection();
}

bool LinuxPrimarySelection::holdsWrittenText() const
{
    // Qt drops our data when another program takes the selection.
    QClipboard *clipboard = QGuiApplication::clipboard();
    return m_written && clipboard->ownsSelection() && clipboard->mimeData(QClipboard::Selection) == m_written;
}

bool LinuxPrimarySelection::writtenTextWasRead() const
{
    // Only ServedText is ever written.
    return m_written && static_cast<const ServedText *>(m_written.data())->wasRead();
}

void LinuxPrimarySelection::release()
{
    if (holdsWrittenText())
        QGuiApplication::clipboard()->clear(QClipboard::Selection);
}
