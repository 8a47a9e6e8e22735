#include "preview/ClipboardPreviewWindowView.h"

#include "clipboard/ClipboardSearchIndex.h"
#include "intelligence/ClipboardAIController.h"
#include "intelligence/ClipboardAIResultView.h"
#include "model/SettingsStore.h"
#include "platform/Appearance.h"
#include "platform/Panel.h"
#include "preview/ClipboardPreviewActionMenu.h"
#include "preview/ClipboardPreviewImageView.h"
#include "preview/ClipboardPreviewModel.h"
#include "preview/ClipboardPreviewRowList.h"
#include "preview/ClipboardPreviewSheet.h"
#include "state/AppState.h"
#include "ui/AlertView.h"
#include "ui/ElidedLabel.h"
#include "ui/CornerPath.h"
#include "ui/FontTable.h"
#include "ui/RevealedText.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Characters of the item's text looked at for its one-line title.
constexpr qsizetype titleScanLength = 300;

template<typename Label = QLabel>
Label *makeLabel(int pixelSize, QFont::Weight weight, QWidget *parent)
{
    auto *label = new Label(parent);
    label->setFont(FontTable::systemFont(pixelSize, weight));
    return label;
}

QPlainTextEdit *makeTextView(int pixelSize, QWidget *parent)
{
    auto *view = new QPlainTextEdit(parent);
    view->setReadOnly(true);
    // Selectable with the pointer; no caret, since the keys page through the items.
    view->setTextInteractionFlags(Qt::TextSelectableByMouse);
    view->setCursorWidth(0);
    view->setFocusPolicy(Qt::ClickFocus);
    view->setFrameShape(QFrame::NoFrame);
    view->setUndoRedoEnabled(false);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->document()->setDocumentMargin(14);
    view->setFont(FontTable::systemFont(pixelSize));
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    view->setPalette(palette);
    view->viewport()->setAutoFillBackground(false);
    view->setAutoFillBackground(false);
    return view;
}

QScrollArea *makeScrollArea(QWidget *content, QWidget *parent)
{
    auto *area = new QScrollArea(parent);
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setAutoFillBackground(false);
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

// The capture date as people read it: the locale's date and its time to the minute.
QString dateText(const QDateTime &date)
{
    const QLocale locale;
    const QDateTime local = date.toLocalTime();
    QString time = locale.timeFormat(QLocale::ShortFormat);
    time.remove(QStringLiteral(":ss"));
    return locale.toString(local.date(), QLocale::ShortFormat) + QStringLiteral(", ") + locale.toString(local.time(), time);
}

// Pastes into the application that was in front before; the task keeps what it needs by value, since the
// sheet that asked is gone by the time it runs.
Task<bool> pasteText(QPointer<AppState> state, QString text)
{
    if (!state)
        co_return false;
    const std::optional<bool> pasted = co_await state->paste(std::move(text));
    co_return pasted.value_or(false);
}

QString omissionText(OmissionReason reason)
{
    switch (reason) {
    case OmissionReason::unavailable:
        return QStringLiteral("Not available");
    case OmissionReason::sizeLimit:
        return QStringLiteral("Over the size limit");
    }
    return {};
}

} // namespace

ClipboardPreviewWindowView::ClipboardPreviewWindowView(ClipboardPreviewModel &model, const Platform &platform,
                                                       AppState *appState, std::function<void()> onClose,
                                                       std::function<void()> onPaste, double cornerRadius,
                                                       QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_appState(appState)
    , m_platform(platform)
    , m_onClose(std::move(onClose))
    , m_onPaste(std::move(onPaste))
    , m_cornerRadius(cornerRadius)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(QStringLiteral("Clipboard item preview"));

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(28, 22, 28, 16);
    root->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setSpacing(16);
    auto *headings = new QVBoxLayout;
    headings->setSpacing(4);
    m_title = makeLabel<ElidedLabel>(17, QFont::DemiBold, this);
    m_subtitle = makeLabel<ElidedLabel>(12, QFont::Normal, this);
    headings->addWidget(m_title);
    headings->addWidget(m_subtitle);
    header->addLayout(headings, 1);
    m_actionMenu = new ClipboardPreviewActionMenu(m_symbols, [this] { return this->palette(); }, *m_platform.clock, this);
    m_actionMenu->onAction = [this](ClipboardAIAction action) { runAIAction(action); };
    header->addWidget(m_actionMenu, 0, Qt::AlignTop);
    m_position = makeLabel(12, QFont::Medium, this);
    m_position->setAlignment(Qt::AlignRight | Qt::AlignTop);
    header->addWidget(m_position, 0, Qt::AlignTop);
    root->addLayout(header);
    root->addSpacing(18);

    auto *body = new QHBoxLayout;
    body->setSpacing(28);
    auto *contentColumn = new QVBoxLayout;
    contentColumn->setSpacing(8);
    m_stack = new QStackedWidget(this);
    m_stack->setContentsMargins(2, 2, 2, 2);
    m_placeholder = makeLabel(14, QFont::Medium, this);
    m_placeholder->setAlignment(Qt::AlignCenter);
    m_placeholder->setWordWrap(true);
    m_placeholder->setTextFormat(Qt::PlainText);
    m_textView = makeTextView(14, this);
    m_linkView = makeTextView(20, this);
    m_linkView->setWordWrapMode(QTextOption::WrapAnywhere);
    m_textView->setAccessibleName(QStringLiteral("Copied text"));
    m_linkView->setAccessibleName(QStringLiteral("Copied link"));
    m_imageView = new ClipboardPreviewImageView(this);
    const auto palette = [this] { return this->palette(); };
    m_fileList = new ClipboardPreviewRowList(m_symbols, palette);
    m_fileList->setAccessibleName(QStringLiteral("Copied files"));
    m_fileScroll = makeScrollArea(m_fileList, this);
    for (QWidget *page : {static_cast<QWidget *>(m_placeholder), static_cast<QWidget *>(m_textView),
                          static_cast<QWidget *>(m_linkView), static_cast<QWidget *>(m_imageView),
                          static_cast<QWidget *>(m_fileScroll)})
        m_stack->addWidget(page);
    contentColumn->addWidget(m_stack, 1);
    m_stack->installEventFilter(this);
    m_note = makeLabel(11, QFont::Normal, this);
    m_note->setTextFormat(Qt::PlainText);
    m_note->hide();
    contentColumn->addWidget(m_note);
    body->addLayout(contentColumn, 1);

    auto *formatsColumn = new QVBoxLayout;
    formatsColumn->setSpacing(6);
    m_formatsTitle = makeLabel(10, QFont::Bold, this);
    QFont titleFont = m_formatsTitle->font();
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.7);
    m_formatsTitle->setFont(titleFont);
    m_formatsTitle->setText(QStringLiteral("CAPTURED FORMATS"));
    formatsColumn->addWidget(m_formatsTitle);
    m_formatList = new ClipboardPreviewRowList(m_symbols, palette);
    m_formatList->setAccessibleName(QStringLiteral("Captured formats"));
    m_formatScroll = makeScrollArea(m_formatList, this);
    formatsColumn->addWidget(m_formatScroll, 1);
    m_formatsEmpty = makeLabel(12, QFont::Normal, this);
    m_formatsEmpty->setWordWrap(true);
    m_formatsEmpty->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    formatsColumn->addWidget(m_formatsEmpty, 1);
    auto *formatsPanel = new QWidget(this);
    formatsPanel->setLayout(formatsColumn);
    formatsColumn->setContentsMargins(0, 0, 0, 0);
    formatsPanel->setFixedWidth(250);
    body->addWidget(formatsPanel);
    root->addLayout(body, 1);
    root->addSpacing(12);

    m_hints = makeLabel(11, QFont::Medium, this);
    m_hints->setTextFormat(Qt::RichText);
    root->addWidget(m_hints, 0, Qt::AlignLeft);

    // Over everything else: the result sheet and the alert.
    m_sheet = new ClipboardPreviewSheet(*this, [this] { return this->palette(); }, m_cornerRadius);

    applyPalette();
    if (m_platform.appearance)
        connect(m_platform.appearance, &Appearance::changed, this, &ClipboardPreviewWindowView::applyPalette);
    if (appState) {
        connect(appState->settings(), &SettingsStore::settingsChanged, this, &ClipboardPreviewWindowView::applyPalette);
        connect(appState->settings(), &SettingsStore::settingsChanged, this, &ClipboardPreviewWindowView::updateActionMenu);
    }

    m_watcher = new QFutureWatcher<ClipboardPreviewContent>(this);
    connect(m_watcher, &QFutureWatcher<ClipboardPreviewContent>::finished, this, [this] {
        if (!m_pending || m_watcher->future().isCanceled())
            return;
        showContent(m_watcher->result());
    });
    connect(&m_model, &ClipboardPreviewModel::selectedItemIDChanged, this, &ClipboardPreviewWindowView::showSelectedItem);
    showSelectedItem();
}

ClipboardPreviewWindowView::~ClipboardPreviewWindowView()
{
    m_aiActionTask.cancel();
    removeKeyMonitor();
}

Palette ClipboardPreviewWindowView::palette() const
{
    const QColor accent = m_appState ? color(m_appState->settings()->settings().accentColor) : Palette().accent;
    return Palette::from(m_platform.appearance, accent);
}

void ClipboardPreviewWindowView::applyPalette()
{
    const Palette colors = palette();
    // Thin scroll bars that sit on the window instead of the desktop style's own. On the bars alone: a new
    // style sheet over the whole view gives its labels back the colours they had under the first one.
    const QString handle = colors.isDark() ? QStringLiteral("rgba(255,255,255,70)") : QStringLiteral("rgba(0,0,0,60)");
    const QString bars = QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 10px; margin: 4px 2px 4px 0; }"
        "QScrollBar::handle:vertical { background: %1; border-radius: 4px; min-height: 32px; }"
        "QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }").arg(handle);
    for (QAbstractScrollArea *area : {static_cast<QAbstractScrollArea *>(m_textView), static_cast<QAbstractScrollArea *>(m_linkView),
                                      static_cast<QAbstractScrollArea *>(m_fileScroll), static_cast<QAbstractScrollArea *>(m_formatScroll)})
        area->verticalScrollBar()->setStyleSheet(bars);
    for (QWidget *primary : {static_cast<QWidget *>(m_title), static_cast<QWidget *>(m_textView)})
        Palette::setTextColor(primary, colors.primary());
    for (QWidget *secondary : {static_cast<QWidget *>(m_subtitle), static_cast<QWidget *>(m_position),
                               static_cast<QWidget *>(m_placeholder), static_cast<QWidget *>(m_formatsTitle)})
        Palette::setTextColor(secondary, colors.secondary());
    for (QWidget *tertiary : {m_note, m_formatsEmpty, m_hints})
        Palette::setTextColor(tertiary, colors.tertiary());
    Palette::setTextColor(m_linkView, colors.system(SystemColor::blue));
    // The keys stand out from what they do.
    QStringList hints;
    const QString key = colors.secondary().name(QColor::HexArgb);
    for (const auto &[keys, action] : {std::pair{"↑ ↓", "Browse"}, std::pair{"Return", "Paste"}, std::pair{"Esc", "Close"}})
        hints.append(QStringLiteral("<span style=\"color:%1; font-weight:600\">%2</span>&nbsp;&nbsp;%3")
                         .arg(key, QString::fromUtf8(keys), QString::fromUtf8(action)));
    m_hints->setText(hints.join(QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;")));
    for (QPlainTextEdit *view : {m_textView, m_linkView}) {
        QPalette selection = view->palette();
        selection.setColor(QPalette::Highlight, Palette::withOpacity(colors.accent, 0.45));
        selection.setColor(QPalette::HighlightedText, colors.primary());
        view->setPalette(selection);
    }
    update();
}

void ClipboardPreviewWindowView::installKeyMonitor()
{
    if (m_keyMonitor || !m_platform.eventMonitors)
        return;
    QPointer<ClipboardPreviewWindowView> self(this);
    m_keyMonitor = m_platform.eventMonitors->addLocalKeyDownMonitor([self](const KeyDownEvent &event) {
        return self ? self->handleKeyDown(event) : EventDisposition::Pass;
    });
}

void ClipboardPreviewWindowView::removeKeyMonitor()
{
    if (!m_keyMonitor)
        return;
    if (m_platform.eventMonitors)
        m_platform.eventMonitors->removeMonitor(*m_keyMonitor);
    m_keyMonitor.reset();
}

ClipboardPreviewWindowView::KeyAction ClipboardPreviewWindowView::keyAction(const KeyDownEvent &event)
{
    if (event.modifiers & shortcutModifiers)
        return KeyAction::pass;
    switch (event.key) {
    case Qt::Key_Escape:
        return KeyAction::close;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyAction::paste;
    case Qt::Key_Up:
        return KeyAction::previous;
    case Qt::Key_Down:
        return KeyAction::next;
    default:
        return KeyAction::pass;
    }
}

EventDisposition ClipboardPreviewWindowView::handleKeyDown(const KeyDownEvent &event)
{
    // Only keys typed into this preview; the launcher and other windows keep theirs.
    if (!event.window || event.window->contentWidget() != this)
        return EventDisposition::Pass;
    // A sheet keeps the keys for itself: Escape answers it, everything else goes to what it holds.
    if (m_sheet->isPresented()) {
        if (keyAction(event) != KeyAction::close)
            return EventDisposition::Pass;
        if (m_aiActionError)
            setAIActionError(std::nullopt);
        else
            setAIActionResult(std::nullopt);
        return EventDisposition::Consume;
    }
    switch (keyAction(event)) {
    case KeyAction::pass:
        return EventDisposition::Pass;
    case KeyAction::close:
        if (const auto close = m_onClose)
            close();
        return EventDisposition::Consume;
    case KeyAction::paste:
        if (const auto paste = m_onPaste)
            paste();
        return EventDisposition::Consume;
    case KeyAction::previous:
        m_model.moveSelection(-1);
        return EventDisposition::Consume;
    case KeyAction::next:
        m_model.moveSelection(1);
        return EventDisposition::Consume;
    }
    return EventDisposition::Pass;
}

QString ClipboardPreviewWindowView::titleOf(const ClipboardItem &item)
{
    const QString title = item.displayTitle(titleScanLength);
    const QString firstLine = title.section(QLatin1Char('\n'), 0, 0, QString::SectionSkipEmpty).trimmed();
    return RevealedText::revealed(firstLine.isEmpty() ? title.simplified() : firstLine);
}

QString ClipboardPreviewWindowView::sizeText(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

bool ClipboardPreviewWindowView::isCheapToPrepare(const ClipboardItem &item)
{
    if (item.type() == ClipboardItemType::image)
        return false;
    if (item.text().size() > immediateByteLimit)
        return false;
    if (const auto payload = item.payloadBlob(); payload && payload->size() > immediateByteLimit)
        return false;
    return item.filePaths().size() <= immediateFileLimit;
}

void ClipboardPreviewWindowView::showSelectedItem()
{
    ++m_generation;
    m_watcher->cancel();
    const std::optional<ClipboardItem> item = m_model.selectedItem();
    if (!item) {
        m_title->setFullText(QStringLiteral("Nothing to preview"));
        m_subtitle->setFullText({});
        m_position->clear();
        m_pending.reset();
        m_content.reset();
        m_formatList->setRows({});
        m_formatsEmpty->setText(QString());
        m_formatsEmpty->show();
        showPlaceholder(QStringLiteral("There is no item to show."));
        updateActionMenu();
        Q_EMIT contentShown();
        return;
    }
    m_title->setFullText(titleOf(*item));
    QStringList subtitle{ClipboardSearchIndex::typeLabel(item->type())};
    if (item->date().isValid())
        subtitle.append(dateText(item->date()));
    if (!item->sourceApplicationName().isEmpty())
        subtitle.append(QStringLiteral("from %1").arg(item->sourceApplicationName()));
    m_subtitle->setFullText(subtitle.join(QStringLiteral("  ·  ")));
    m_position->setText(m_model.items().size() > 1 ? QStringLiteral("%1 of %2")
                                                          .arg(QLocale().toString(m_model.selectedIndex() + 1),
                                                               QLocale().toString(m_model.items().size()))
                                                    : QString());
    updateActionMenu();

    if (isCheapToPrepare(*item)) {
        m_pending.reset();
        showContent(ClipboardPreviewContent::make(*item, maximumImageSide));
        return;
    }
    m_pending = item->id();
    m_content.reset();
    m_note->hide();
    m_formatList->setRows({});
    m_formatsEmpty->setText(QString());
    showPlaceholder(item->type() == ClipboardItemType::image ? QStringLiteral("Loading image…")
                                                            : QStringLiteral("Loading…"));
    const ClipboardItem copy = *item;
    m_watcher->setFuture(QtConcurrent::run([copy] { return ClipboardPreviewContent::make(copy, maximumImageSide); }));
}

void ClipboardPreviewWindowView::showPlaceholder(const QString &text)
{
    m_placeholder->setText(text);
    m_stack->setCurrentWidget(m_placeholder);
}

void ClipboardPreviewWindowView::showContent(const ClipboardPreviewContent &content)
{
    m_pending.reset();
    m_content = content;
    m_note->hide();
    switch (content.kind) {
    case ClipboardPreviewContent::Kind::text:
        if (content.text.isEmpty()) {
            showPlaceholder(QStringLiteral("This item holds no text."));
            break;
        }
        m_textView->setWordWrapMode(content.wrapsAnywhere ? QTextOption::WrapAnywhere
                                                          : QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_textView->setPlainText(RevealedText::revealed(content.text));
        m_textView->verticalScrollBar()->setValue(0);
        m_stack->setCurrentWidget(m_textView);
        if (content.isTextCut()) {
            m_note->setText(QStringLiteral("Showing the first %1 of %2 characters.")
                                .arg(QLocale().toString(content.text.size()),
                                     QLocale().toString(content.fullTextLength)));
            m_note->show();
        }
        break;
    case ClipboardPreviewContent::Kind::link:
        if (content.link.isEmpty()) {
            showPlaceholder(QStringLiteral("This link is empty."));
            break;
        }
        m_linkView->setPlainText(content.link);
        m_stack->setCurrentWidget(m_linkView);
        break;
    case ClipboardPreviewContent::Kind::image:
        if (content.image.isNull()) {
            showPlaceholder(content.imageProblem);
            break;
        }
        m_imageView->setImage(content.image, content.imagePixelSize);
        m_stack->setCurrentWidget(m_imageView);
        m_note->setText(QStringLiteral("%1 × %2 pixels")
                            .arg(QLocale().toString(content.imagePixelSize.width()),
                                 QLocale().toString(content.imagePixelSize.height())));
        m_note->show();
        break;
    case ClipboardPreviewContent::Kind::files: {
        if (content.files.isEmpty()) {
            showPlaceholder(QStringLiteral("This item names no files."));
            break;
        }
        QList<ClipboardPreviewRowList::Row> rows;
        int missing = 0;
        for (const ClipboardPreviewContent::FileEntry &file : content.files) {
            ClipboardPreviewRowList::Row row;
            row.symbol = file.isFolder ? QStringLiteral("folder") : QStringLiteral("doc");
            row.title = file.name;
            row.detail = file.folder;
            if (!file.exists) {
                row.badge = QStringLiteral("Missing");
                row.isDimmed = true;
                ++missing;
            } else if (file.isFolder) {
                row.badge = QStringLiteral("Folder");
            }
            rows.append(row);
        }
        m_fileList->setRows(rows);
        m_fileScroll->verticalScrollBar()->setValue(0);
        m_stack->setCurrentWidget(m_fileScroll);
        QStringList notes;
        if (content.fileCount > content.files.size())
            notes.append(QStringLiteral("Showing %1 of %2 files.")
                             .arg(QLocale().toString(content.files.size()), QLocale().toString(content.fileCount)));
        if (missing > 0)
            notes.append(missing == 1 ? QStringLiteral("1 file is no longer there.")
                                      : QStringLiteral("%1 files are no longer there.").arg(QLocale().toString(missing)));
        if (!notes.isEmpty()) {
            m_note->setText(notes.join(QLatin1Char(' ')));
            m_note->show();
        }
        break;
    }
    case ClipboardPreviewContent::Kind::formatsOnly:
        showPlaceholder(QStringLiteral("This item has no text or image to show. Its captured formats are listed "
                                       "beside."));
        break;
    }

    QList<ClipboardPreviewRowList::Row> formats;
    int lastItem = -1;
    for (const ClipboardPreviewContent::Format &format : content.formats) {
        if (content.captureItemCount > 1 && format.itemIndex != lastItem) {
            lastItem = format.itemIndex;
            ClipboardPreviewRowList::Row section;
            section.isSection = true;
            section.title = QStringLiteral("Item %1").arg(format.itemIndex + 1);
            formats.append(section);
        }
        ClipboardPreviewRowList::Row row;
        row.title = format.type;
        row.detail = sizeText(format.byteCount);
        if (format.omissionReason) {
            row.detail = omissionText(*format.omissionReason)
                + (format.byteCount > 0 ? QStringLiteral(" (%1)").arg(sizeText(format.byteCount)) : QString());
            row.isDimmed = true;
        }
        formats.append(row);
    }
    m_formatList->setRows(formats);
    const QString formatsProblem = !content.formatsProblem.isEmpty() ? content.formatsProblem
        : formats.isEmpty()                                            ? QStringLiteral("No formats were kept.")
                                                                       : QString();
    m_formatsEmpty->setText(formatsProblem);
    m_formatsEmpty->setVisible(!formatsProblem.isEmpty());
    m_formatScroll->setVisible(formatsProblem.isEmpty());
    Q_EMIT contentShown();
}

QString ClipboardPreviewWindowView::titleText() const { return m_title->fullText(); }
QString ClipboardPreviewWindowView::subtitleText() const { return m_subtitle->fullText(); }
QString ClipboardPreviewWindowView::positionText() const { return m_position->text(); }
QString ClipboardPreviewWindowView::noteText() const { return m_note->isVisibleTo(this) ? m_note->text() : QString(); }

QString ClipboardPreviewWindowView::placeholderText() const
{
    return m_stack->currentWidget() == m_placeholder ? m_placeholder->text() : QString();
}

void ClipboardPreviewWindowView::paintEvent(QPaintEvent *)
{
    const Palette colors = palette();
    const bool dark = colors.isDark();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QPainterPath outline = CornerPath::continuousRoundedRect(bounds, m_cornerRadius);
    // Without a compositor, half-covered edge pixels would show black inside the window's shape: there the
    // ground reaches a pixel past the edge, and the shape rounds it.
    painter.fillPath(colors.translucency
                         ? outline
                         : CornerPath::continuousRoundedRect(QRectF(rect()).adjusted(-1, -1, 1, 1), m_cornerRadius + 1),
                     colors.windowBackground());
    painter.setPen(QPen(dark ? Palette::white(0.12) : Palette::black(0.12), 1));
    painter.drawPath(outline);
    // A quiet well under the item itself, so text and pictures read as content, apart from the chrome.
    const QRectF well = QRectF(m_stack->geometry()).adjusted(-2, -2, 2, 2);
    painter.fillPath(CornerPath::continuousRoundedRect(well, 12), dark ? Palette::white(0.035) : Palette::black(0.035));
}

bool ClipboardPreviewWindowView::eventFilter(QObject *watched, QEvent *event)
{
    // Qt repaints only what the area uncovered; the whole well is drawn anew, or the old one's square
    // bottom stays under the note.
    if (watched == m_stack && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        update();
    return QWidget::eventFilter(watched, event);
}

void ClipboardPreviewWindowView::updateActionMenu()
{
    const std::optional<ClipboardItem> item = m_model.selectedItem();
    const bool offered = m_appState && m_appState->ai() && m_appState->settings()->settings().aiEnabled && item
        && !item->text().trimmed().isEmpty();
    // A running action stays in view until it ends, whatever is selected meanwhile.
    m_actionMenu->setVisible(offered || m_runningAIAction);
}

void ClipboardPreviewWindowView::runAIAction(ClipboardAIAction action)
{
    const std::optional<ClipboardItem> item = m_model.selectedItem();
    if (m_runningAIAction || !item || !m_appState || !m_appState->ai())
        return;
    m_aiActionTask.start(performAIAction(action, item->text()));
}

Task<> ClipboardPreviewWindowView::performAIAction(ClipboardAIAction action, QString text)
{
    QPointer<ClipboardAIController> ai = m_appState->ai();
    m_runningAIAction = action;
    m_actionMenu->setRunningAction(action);
    updateActionMenu();
    const std::optional<ClipboardAIResult<QString>> result = co_await ai->perform(action, std::move(text));
    // Cancelled (the preview is going): nothing more is shown.
    if (!result)
        co_return;
    m_runningAIAction.reset();
    m_actionMenu->setRunningAction(std::nullopt);
    updateActionMenu();
    if (result->hasValue())
        setAIActionResult(ClipboardAIActionResult::make(action, result->value()));
    else
        setAIActionError(result->error().localizedDescription());
}

void ClipboardPreviewWindowView::setAIActionResult(std::optional<ClipboardAIActionResult> result)
{
    m_aiActionResult = std::move(result);
    if (!m_aiActionResult) {
        if (!m_aiActionError)
            m_sheet->dismiss();
        return;
    }
    m_aiActionError.reset();
    QPointer<AppState> state = m_appState;
    ClipboardAIResultView::Paste paste = [state](QString text) { return pasteText(state, std::move(text)); };
    auto *view = new ClipboardAIResultView(*m_aiActionResult, std::move(paste),
                                           [this] { setAIActionResult(std::nullopt); }, m_platform,
                                           [this] { return this->palette(); });
    m_sheet->present(view, view->editor());
}

void ClipboardPreviewWindowView::setAIActionError(std::optional<QString> message)
{
    m_aiActionError = std::move(message);
    if (!m_aiActionError) {
        if (!m_aiActionResult)
            m_sheet->dismiss();
        return;
    }
    m_aiActionResult.reset();
    m_sheet->present(new AlertView(aiActionFailedTitle, *m_aiActionError,
                                               [this] { setAIActionError(std::nullopt); },
                                               [this] { return this->palette(); }));
}
