#include "intelligence/SpellingPreviewView.h"

#include "platform/LanguageModel.h"
#include "platform/Pasteboard.h"
#include "ui/ActivityIndicator.h"
#include "ui/FontTable.h"
#include "ui/GroupBox.h"
#include "ui/PushButton.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStackedWidget>

namespace {

QPlainTextEdit *makeTextView(QWidget *parent)
{
    auto *view = new QPlainTextEdit(parent);
    view->setFrameShape(QFrame::NoFrame);
    view->setFont(FontTable::textStyle(TextStyle::body));
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->document()->setDocumentMargin(2);
    view->setAutoFillBackground(false);
    view->viewport()->setAutoFillBackground(false);
    return view;
}

} // namespace

SpellingPreviewView::SpellingPreviewView(QString original, bool intelligenceEnabled, bool canReplace,
                                         CheckSpelling checkSpelling, OnReplace onReplace,
                                         std::function<void()> onClose, const Platform &platform,
                                         std::function<Palette()> palette, QWidget *parent)
    : QWidget(parent)
    , m_original(std::move(original))
    , m_intelligenceEnabled(intelligenceEnabled)
    , m_canReplace(canReplace)
    , m_checkSpelling(std::move(checkSpelling))
    , m_onReplace(std::move(onReplace))
    , m_onClose(std::move(onClose))
    , m_platform(platform)
    , m_palette(std::move(palette))
{
    setMinimumSize(minimumPanelSize);
    setFocusPolicy(Qt::StrongFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(inset, inset, inset, inset);
    layout->setSpacing(16);

    auto *heading = new QHBoxLayout;
    heading->setSpacing(8);
    m_titleSymbol = new QLabel(this);
    m_titleSymbol->setFixedSize(20, 20);
    heading->addWidget(m_titleSymbol);
    m_title = new QLabel(title, this);
    m_title->setFont(FontTable::textStyle(TextStyle::title2, QFont::DemiBold));
    heading->addWidget(m_title, 1);
    layout->addLayout(heading);

    const QString remote = platform.languageModel ? platform.languageModel->remoteAddress() : QString();
    m_explanation = new QLabel(remote.isEmpty() ? explanation : remoteExplanation.arg(remote), this);
    m_explanation->setFont(FontTable::textStyle(TextStyle::callout));
    m_explanation->setWordWrap(true);
    layout->addWidget(m_explanation);

    m_originalBox = new GroupBox(QStringLiteral("Original"), m_palette, this);
    m_originalView = makeTextView(m_originalBox);
    m_originalView->setReadOnly(true);
    // Selectable with the pointer; no caret in a text that cannot be edited.
    m_originalView->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_originalView->setCursorWidth(0);
    m_originalView->setFocusPolicy(Qt::ClickFocus);
    m_originalView->setPlainText(m_original);
    m_originalView->setFixedHeight(originalHeight);
    m_originalView->setAccessibleName(QStringLiteral("Original text"));
    m_originalBox->setContent(m_originalView);
    layout->addWidget(m_originalBox);

    m_result = new QStackedWidget(this);
    m_progress = new ActivityIndicator(*m_platform.clock, m_palette);
    m_progress->setLabel(checkingText);
    auto *progressPage = new QWidget;
    auto *progressLayout = new QVBoxLayout(progressPage);
    progressLayout->addWidget(m_progress, 0, Qt::AlignCenter);
    m_result->addWidget(progressPage);
    m_correctedBox = new GroupBox(correctedTitle, m_palette);
    m_editor = makeTextView(m_correctedBox);
    m_editor->setAccessibleName(correctedTitle);
    m_editor->setTabChangesFocus(true);
    m_correctedBox->setContent(m_editor);
    m_result->addWidget(m_correctedBox);
    m_emptyResult = new QWidget;
    m_result->addWidget(m_emptyResult);
    layout->addWidget(m_result, 1);

    m_error = new QLabel(this);
    m_error->setFont(FontTable::textStyle(TextStyle::callout));
    m_error->setWordWrap(true);
    m_error->setTextFormat(Qt::PlainText);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_error);

    m_note = new QLabel(replacementUnavailableNote, this);
    m_note->setFont(FontTable::textStyle(TextStyle::caption));
    m_note->setWordWrap(true);
    layout->addWidget(m_note);

    auto *buttons = new QHBoxLayout;
    m_cancelButton = new PushButton(QStringLiteral("Cancel"), PushButton::Style::bordered, m_palette, this);
    m_copyButton = new PushButton(QStringLiteral("Copy"), PushButton::Style::bordered, m_palette, this);
    m_replaceButton = new PushButton(QStringLiteral("Replace Selection"), PushButton::Style::borderedProminent, m_palette, this);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    buttons->addWidget(m_copyButton);
    buttons->addWidget(m_replaceButton);
    layout->addLayout(buttons);

    connect(m_cancelButton, &QAbstractButton::clicked, this, [this] { close(); });
    connect(m_copyButton, &QAbstractButton::clicked, this, [this] { copyCorrectedText(); });
    connect(m_replaceButton, &QAbstractButton::clicked, this, [this] { applyReplacement(); });
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        if (m_editor->toPlainText() != m_corrected)
            setCorrected(m_editor->toPlainText());
    });

    applyPalette();
    showState();
    m_checkTask.start(runCheck());
}

SpellingPreviewView::~SpellingPreviewView()
{
    m_checkTask.cancel();
}

void SpellingPreviewView::close()
{
    if (const auto onClose = m_onClose)
        onClose();
}

void SpellingPreviewView::setIntelligenceEnabled(bool enabled)
{
    if (m_intelligenceEnabled == enabled)
        return;
    m_intelligenceEnabled = enabled;
    showState();
    // The check follows the setting: a new run replaces the old one, and one without intelligence closes.
    m_checkTask.start(runCheck());
}

Task<> SpellingPreviewView::runCheck()
{
    if (!m_intelligenceEnabled) {
        close();
        co_return;
    }
    const CheckSpelling check = m_checkSpelling;
    if (!check)
        co_return;
    const std::optional<ClipboardAIResult<QString>> result = co_await check(m_original);
    // Cancelled (a newer run, or the panel is going): nothing changes.
    if (!result)
        co_return;
    if (result->hasValue()) {
        setCorrected(result->value());
    } else {
        setErrorMessage(result->error().localizedDescription());
    }
    m_isLoading = false;
    showState();
    Q_EMIT checkFinished();
}

void SpellingPreviewView::setCorrected(const QString &text)
{
    const bool changed = text != m_corrected;
    m_corrected = text;
    if (m_editor->toPlainText() != text) {
        const QSignalBlocker quiet(m_editor);
        m_editor->setPlainText(text);
    }
    if (changed)
        m_didCopy = false;
    showState();
}

void SpellingPreviewView::setErrorMessage(std::optional<QString> message)
{
    m_errorMessage = std::move(message);
    showState();
}

bool SpellingPreviewView::canUseResult() const
{
    return m_intelligenceEnabled && !m_isLoading && !m_corrected.trimmed().isEmpty();
}

void SpellingPreviewView::copyCorrectedText()
{
    if (!canUseResult())
        return;
    Pasteboard *pasteboard = m_platform.pasteboard;
    bool written = false;
    if (pasteboard && pasteboard->isAvailable()) {
        const qint64 before = pasteboard->changeCount();
        written = pasteboard->writePlainText(m_corrected) != before;
    }
    m_didCopy = written;
    if (!written)
        m_errorMessage = copyFailedMessage;
    showState();
}

std::optional<QString> SpellingPreviewView::replacementMessage(SpellingSelectionTarget::Replacement outcome)
{
    using Replacement = SpellingSelectionTarget::Replacement;
    switch (outcome) {
    case Replacement::replaced:
        return std::nullopt;
    case Replacement::refused:
        return QStringLiteral("The selection changed or this app could not replace it. Copy the corrected text instead.");
    case Replacement::restored:
        return QStringLiteral("This app did not take the corrected text, so its original text was put back. Copy the "
                              "corrected text instead.");
    case Replacement::failedToRestore:
        return QStringLiteral("This app did not take the corrected text, and its original text could not be put back: "
                              "it is shown above under Original. Copy the corrected text instead.");
    }
    return std::nullopt;
}

void SpellingPreviewView::applyReplacement()
{
    if (!m_canReplace || !canUseResult())
        return;
    const OnReplace replace = m_onReplace;
    const SpellingSelectionTarget::Replacement outcome
        = replace ? replace(m_corrected) : SpellingSelectionTarget::Replacement::refused;
    if (const std::optional<QString> message = replacementMessage(outcome)) {
        setErrorMessage(*message);
        return;
    }
    close();
}

QString SpellingPreviewView::resultTitle() const
{
    return m_result->currentWidget() == m_correctedBox ? m_correctedBox->title() : QString();
}

bool SpellingPreviewView::isNoteShown() const
{
    return !m_note->isHidden();
}

void SpellingPreviewView::showState()
{
    if (m_isLoading) {
        m_result->setCurrentIndex(0);
    } else if (!m_corrected.isEmpty()) {
        m_correctedBox->setTitle(SpellingSelectionTarget::sameText(m_corrected, m_original) ? noChangesTitle : correctedTitle);
        m_result->setCurrentWidget(m_correctedBox);
    } else {
        m_result->setCurrentWidget(m_emptyResult);
    }
    m_error->setText(m_errorMessage.value_or(QString()));
    m_error->setHidden(!m_errorMessage);
    m_note->setHidden(m_canReplace);
    m_copyButton->setTitle(m_didCopy ? QStringLiteral("Copied") : QStringLiteral("Copy"));
    m_copyButton->setEnabled(canUseResult());
    m_replaceButton->setEnabled(m_canReplace && canUseResult());
}

void SpellingPreviewView::keyPressEvent(QKeyEvent *event)
{
    // Keys the editor took (Return there is a new line) never arrive here.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        close();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
        if (m_replaceButton->isEnabled())
            applyReplacement();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SpellingPreviewView::applyPalette()
{
    const Palette colors = m_palette ? m_palette() : Palette();
    Palette::setTextColor(m_title, colors.primary());
    Palette::setTextColor(m_explanation, colors.secondary());
    Palette::setTextColor(m_note, colors.secondary());
    Palette::setTextColor(m_error, colors.system(SystemColor::red));
    for (QPlainTextEdit *view : {m_originalView, m_editor}) {
        QPalette palette = view->palette();
        palette.setColor(QPalette::Text, colors.primary());
        palette.setColor(QPalette::Base, Qt::transparent);
        palette.setColor(QPalette::Highlight, Palette::withOpacity(colors.accent, 0.45));
        palette.setColor(QPalette::HighlightedText, colors.primary());
        view->setPalette(palette);
    }
    m_titleSymbol->setPixmap(m_symbols.pixmap(QStringLiteral("textformat.abc"), 20, colors.accent, devicePixelRatioF()));
    m_originalBox->applyPalette();
    m_correctedBox->applyPalette();
    const QString handle = colors.isDark() ? QStringLiteral("rgba(255,255,255,70)") : QStringLiteral("rgba(0,0,0,60)");
    setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 10px; margin: 2px 0 2px 0; }"
        "QScrollBar::handle:vertical { background: %1; border-radius: 4px; min-height: 24px; }"
        "QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }").arg(handle));
    update();
}

void SpellingPreviewView::paintEvent(QPaintEvent *)
{
    const Palette colors = m_palette ? m_palette() : Palette();
    QPainter painter(this);
    painter.fillRect(rect(), colors.windowBackground());
}
