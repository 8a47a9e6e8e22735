#include "clipboard/ClipboardService.h"

#include "model/SettingsStore.h"
#include "model/UriList.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardPasteKeys.h"
#include "clipboard/PasteboardManager.h"
#include "platform/Accessibility.h"
#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityValue.h"
#include "platform/Beeper.h"
#include "platform/Clock.h"
#include "platform/KeyboardOutput.h"
#include "platform/Notifications.h"
#include "platform/Pasteboard.h"
#include "platform/Permissions.h"
#include "platform/PrimarySelection.h"
#include "platform/Workspace.h"

#include <QBuffer>
#include <QScopeGuard>
#include <QImageReader>
#include <QUrl>

namespace {

PasteboardRepresentation representation(const QString &type, const QByteArray &data)
{
    PasteboardRepresentation r;
    r.type = type;
    r.data = data;
    r.originalByteCount = data.size();
    return r;
}

QString imageType(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    return format.isEmpty() ? PasteboardType::png : QStringLiteral("image/") + QString::fromLatin1(format);
}

// The item's own fields as clipboard formats, for items kept without a usable capture (typed values,
// pastes of plain text, captures whose every format was omitted).
PasteboardPayload payloadFromFields(const ClipboardItem &item)
{
    PasteboardPayloadItem out;
    switch (item.type()) {
    case ClipboardItemType::image:
        // A stored image file that was emptied or removed reads as no bytes: nothing to offer.
        if (const QByteArray data = item.imageData(); !data.isEmpty())
            out.representations.append(representation(imageType(data), data));
        break;
    case ClipboardItemType::file: {
        const QStringList paths = item.filePaths();
        if (!paths.isEmpty()) {
            QByteArray uris;
            for (const QString &path : paths)
                uris += QUrl::fromLocalFile(path).toEncoded() + "\r\n";
            out.representations.append(representation(PasteboardType::uriList, uris));
            out.representations.append(representation(PasteboardType::plainText, paths.join(u'\n').toUtf8()));
        }
        break;
    }
    case ClipboardItemType::url:
        if (!item.text().isEmpty()) {
            out.representations.append(representation(PasteboardType::plainText, item.text().toUtf8()));
            const QUrl url(item.text().trimmed());
            if (url.isValid() && !url.scheme().isEmpty())
                out.representations.append(representation(PasteboardType::uriList, url.toEncoded() + "\r\n"));
        }
        break;
    case ClipboardItemType::text:
    case ClipboardItemType::generic:
        if (!item.text().isEmpty())
            out.representations.append(representation(PasteboardType::plainText, item.text().toUtf8()));
        break;
    }
    PasteboardPayload payload;
    if (!out.representations.isEmpty())
        payload.items.append(out);
    return payload;
}

// The captured payload without the formats that were kept only by name.
PasteboardPayload capturedPayload(const ClipboardItem &item)
{
    PasteboardPayload kept;
    const std::optional<PasteboardPayload> payload = item.payload();
    if (!payload)
        return kept;
    for (const PasteboardPayloadItem &source : payload->items) {
        PasteboardPayloadItem copy;
        for (const PasteboardRepresentation &r : source.representations) {
            if (!r.isOmitted())
                copy.representations.append(r);
        }
        if (!copy.representations.isEmpty())
            kept.items.append(copy);
    }
    return kept;
}

// A file or link list captured without text gets the text file managers give: left without, Qt's X11
// clipboard offers the addresses decoded, neither paths nor valid URIs.
void offerListsAsText(PasteboardPayload &payload)
{
    for (PasteboardPayloadItem &item : payload.items) {
        QList<QUrl> urls;
        bool hasText = false;
        for (const PasteboardRepresentation &r : std::as_const(item.representations)) {
            hasText = hasText || r.type == PasteboardType::plainText;
            if (urls.isEmpty())
                urls = UriList::urls(r.type, r.data);
        }
        if (!hasText && !urls.isEmpty())
            item.representations.append(representation(PasteboardType::plainText, UriList::plainText(urls).toUtf8()));
    }
}

// What a terminal pastes goes to a shell: the text of a file list becomes its addresses as quoted words,
// so that no line feed or escape in a file's name reaches the terminal. The words of every list, if any.
std::optional<QString> quoteListsForShell(PasteboardPayload &payload)
{
    QStringList words;
    for (PasteboardPayloadItem &item : payload.items) {
        QList<QUrl> urls;
        for (const PasteboardRepresentation &r : std::as_const(item.representations)) {
            if (urls.isEmpty())
                urls = UriList::urls(r.type, r.data);
        }
        if (std::none_of(urls.cbegin(), urls.cend(), [](const QUrl &url) { return url.isLocalFile(); }))
            continue;
        words.append(UriList::shellWords(urls));
        for (PasteboardRepresentation &r : item.representations) {
            if (r.type == PasteboardType::plainText)
                r = representation(r.type, words.last().toUtf8());
        }
    }
    if (words.isEmpty())
        return std::nullopt;
    return words.join(QLatin1Char(' '));
}

bool holdsImage(const PasteboardPayload &payload)
{
    for (const PasteboardPayloadItem &item : payload.items) {
        for (const PasteboardRepresentation &r : item.representations) {
            if (r.type.startsWith(QLatin1String("image/")) && !r.data.isEmpty())
                return true;
        }
    }
    return false;
}

} // namespace

ClipboardService::ClipboardService(const Platform &platform, PasteboardManager &pasteboard, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_pasteboard(pasteboard)
{
    if (m_platform.primarySelection)
        connect(m_platform.primarySelection, &PrimarySelection::writtenTextRead, this,
                &ClipboardService::giveSelectionBack);
}

ClipboardService::~ClipboardService()
{
    m_lifetime.end();
}

void ClipboardService::setHistory(ClipboardHistoryManager *history)
{
    m_history = history;
}

void ClipboardService::setIsPasting(bool pasting)
{
    if (m_isPasting == pasting)
        return;
    m_isPasting = pasting;
    Q_EMIT isPastingChanged(pasting);
}

bool ClipboardService::canPostKeys()
{
    Permissions *permissions = m_platform.permissions;
    if (permissions && permissions->canPostEvents())
        return true;
    if (m_requestPermissions)
        return m_requestPermissions();
    return permissions && permissions->requestEventPosting();
}

bool ClipboardService::canRefocusFields()
{
    Permissions *permissions = m_platform.permissions;
    if (!permissions)
        return false;
    if (permissions->isTrusted())
        return true;
    // Granted later, it serves the next paste; this one goes ahead without the field.
    permissions->requestTrust();
    return false;
}

std::optional<ClipboardPasteTarget> ClipboardService::focusedFieldTarget()
{
    Workspace *workspace = m_platform.workspace;
    if (!workspace)
        return std::nullopt;
    std::optional<RunningApplication> app = workspace->frontmostApplication();
    const bool usable = app && app->isRegular && !workspace->isCurrentApplication(*app) && !workspace->isTerminated(*app);
    if (!usable) {
        // An application that has quit since is no target either.
        app = m_previousActiveApp;
        if (app && workspace->isTerminated(*app))
            app.reset();
    }
    if (!app)
        return std::nullopt;
    m_previousActiveApp = app;
    std::optional<FocusedFieldTarget> field;
    if (m_readFocusedField)
        field = m_readFocusedField(*app);
    return ClipboardPasteTarget{*app, field};
}

ClipboardPasteContent ClipboardService::pasteContent(const ClipboardItem &item, bool asPlainText, bool intoTerminal)
{
    ClipboardPasteContent content;
    const ClipboardItemType type = item.type();
    const PasteboardPayload captured = capturedPayload(item);
    // Images and files are kept as they are, also where they came with text.
    const bool keepsFormats =
        type == ClipboardItemType::image || type == ClipboardItemType::file || captured.carriesImageOrFiles();
    content.text = item.text();
    // Plain text of an item that has none would empty the clipboard: such an item keeps its formats.
    if (asPlainText && !keepsFormats && !item.text().isEmpty()) {
        content.plainText = item.text();
        return content;
    }
    content.payload = captured;
    offerListsAsText(content.payload);
    if (content.payload.isEmpty() || (type == ClipboardItemType::image && !holdsImage(content.payload)))
        content.payload = payloadFromFields(item);
    // An image whose bytes cannot be read is not pasted as whatever came with it.
    if (type == ClipboardItemType::image && !holdsImage(content.payload))
        content.payload = {};
    if (intoTerminal) {
        if (std::optional<QString> words = quoteListsForShell(content.payload))
            content.text = std::move(*words);
    }
    return content;
}

Task<bool> ClipboardService::paste(ClipboardItem item, std::optional<ClipboardPasteTarget> target)
{
    if (m_isPasting || !canPostKeys())
        co_return false;
    // After every wait the service may be gone (or going): only `self` is used from then on.
    const Lifetime::Pointer<ClipboardService> self(this, m_lifetime);
    setIsPasting(true);
    const auto pastingEnds = qScopeGuard([self] {
        if (self)
            self->setIsPasting(false);
    });

    std::optional<RunningApplication> app;
    if (target && !target->isEmpty())
        app = target->application;
    else
        app = m_previousActiveApp;

    if (app) {
        // Whether it came back in time decides below, where the keys are only pressed in the target.
        std::optional<bool> active;
        if (target && target->field && canRefocusFields())
            active = co_await refocus(*app, *target->field);
        else
            active = co_await waitUntilActive(*app);
        Q_UNUSED(active);
        const bool cancelled = co_await isCancelled();
        if (!self || cancelled)
            co_return false;
    }

    const Platform platform = self->m_platform;
    const bool asPlainText = self->m_pasteAsPlainText && self->m_pasteAsPlainText();
    const ClipboardPasteKeys keys = app ? ClipboardPasteKeys::forWindowClass(app->applicationId) : ClipboardPasteKeys();
    const ClipboardPasteContent content = pasteContent(item, asPlainText, keys.isTerminal());
    if (content.isEmpty()) {
        // Pressing the keys now would paste whatever the clipboard held before.
        if (platform.beeper)
            platform.beeper->beep();
        if (platform.notifications)
            platform.notifications->post(QStringLiteral("Tavlen could not paste this item"),
                                         QStringLiteral("Its stored data can no longer be read. Nothing was pasted "
                                                        "and the clipboard was left as it was."));
        co_return false;
    }
    if (content.plainText)
        self->m_pasteboard.writePlainText(*content.plainText);
    else
        self->m_pasteboard.writeItems(content.payload);

    // Key events go to whichever window has the focus: without a target that is in front, the item
    // stays on the clipboard for the user to paste, and nothing is pressed in a stranger's window.
    bool pasted = false;
    if (app && platform.keyboard) {
        PrimarySelection *selection = platform.primarySelection;
        bool ready = !keys.readsPrimarySelection;
        if (keys.readsPrimarySelection && selection && !content.text.isEmpty()) {
            // The selection is lent to the item until the target has read it: given back any earlier, the
            // target would paste the person's own selection instead. Still lent to an earlier paste, what
            // the person had selected before that one is what goes back.
            std::optional<QString> personsSelection;
            if (self->m_lentSelection && selection->holdsWrittenText()) {
                personsSelection = self->m_lentSelection->personsSelection;
            } else {
                const std::optional<PasteboardRead> selected = co_await selection->readText(maximumRestoredSelectionBytes);
                if (!self || !selected)
                    co_return false;
                if (selected->status == PasteboardRead::Status::data)
                    personsSelection = QString::fromUtf8(selected->data);
            }
            ready = selection->writeText(content.text);
            self->m_lentSelection.reset();
            if (ready)
                self->m_lentSelection = LentSelection{app->pid, personsSelection};
        }
        pasted = ready && platform.keyboard->postChord(keys.chord, app->pid);
    }
    if (pasted) {
        Q_EMIT self->itemPasted();
    } else if (platform.beeper) {
        platform.beeper->beep();
    }

    const bool awake = co_await platform.clock->sleep(pasteSettleDelay);
    if (!self || !awake)
        co_return false;

    if (self->m_history)
        self->m_history->handleItemInserted(item);
    // Only text is remembered as a field's value.
    if (pasted && target && target->field && item.type() == ClipboardItemType::text)
        Q_EMIT self->textPastedIntoField(item.text(), *target->field);
    co_return pasted;
}

void ClipboardService::giveSelectionBack(qint64 readerPid)
{
    // Read by anyone else (a program that follows the selection), the item stays for the target. One that
    // never reads it leaves the item selected until the person selects something else.
    if (!m_lentSelection || readerPid <= 0 || readerPid != m_lentSelection->targetPid)
        return;
    const LentSelection lent = *std::exchange(m_lentSelection, std::nullopt);
    PrimarySelection *selection = m_platform.primarySelection;
    // Whatever was selected since the paste stays selected.
    if (!selection->holdsWrittenText())
        return;
    if (lent.personsSelection)
        selection->writeText(*lent.personsSelection);
    else
        selection->release();
}

Task<bool> ClipboardService::waitUntilActive(RunningApplication app)
{
    Workspace *workspace = m_platform.workspace;
    Clock *clock = m_platform.clock;
    if (!workspace || workspace->isTerminated(app))
        co_return false;
    if (workspace->isActive(app))
        co_return true;
    workspace->activate(app);
    for (int poll = 0; poll < activationPollCount; ++poll) {
        if (workspace->isActive(app))
            co_return true;
        const bool awake = co_await clock->sleep(activationPollInterval);
        if (!awake || workspace->isTerminated(app))
            co_return false;
    }
    co_return workspace->isActive(app);
}

bool ClipboardService::isFieldFocused(const RunningApplication &app, const FocusedFieldTarget &field) const
{
    // The field's own focus state answers in one call; the application's focused element is the
    // longer way round for toolkits that do not report it.
    if (const std::optional<bool> focused = field.element.attribute(AccessibilityAttribute::focused).boolean())
        return *focused;
    Accessibility *accessibility = m_platform.accessibility;
    if (!accessibility)
        return false;
    const AccessibilityElement root = accessibility->applicationElement(app.pid);
    return root.attribute(AccessibilityAttribute::focusedElement).element() == field.element;
}

Task<bool> ClipboardService::refocus(RunningApplication app, FocusedFieldTarget field)
{
    const Lifetime::Pointer<ClipboardService> self(this, m_lifetime);
    Clock *clock = m_platform.clock;
    Workspace *workspace = m_platform.workspace;
    if (!clock || !workspace)
        co_return false;
    const double deadline = clock->uptime() + refocusTimeout;
    const std::optional<bool> active = co_await waitUntilActive(app);
    if (!self || !active.value_or(false))
        co_return false;
    for (;;) {
        if (!field.element.setFocused())
            field.element.press();
        const bool awake = co_await clock->sleep(fieldFocusSettleDelay);
        if (!awake || !self || workspace->isTerminated(app))
            co_return false;
        if (self->isFieldFocused(app, field))
            co_return true;
        if (clock->uptime() >= deadline)
            co_return false;
    }
}
