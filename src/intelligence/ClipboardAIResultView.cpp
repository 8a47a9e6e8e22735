#include "intelligence/ClipboardAIResultView.h"

#include "platform/Pasteboard.h"
#include "ui/CornerPath.h"
#include "ui/FontTable.h"
#include "ui/PushButton.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>

ClipboardAIResultView::ClipboardAIResultView(ClipboardAIActionResult result, Paste paste, std::function<void()> dismiss,
                                             const Platform &platform, std::function<Palette()> palette, QWidget *parent)
    : QWidget(parent)
    , m_result(std::move(result))
    , m_paste(std::move(paste))
    , m_dismiss(std::move(dismiss))
    , m_platform(platform)
    , m_palette(std::move(palette))
{
    setMinimumSize(minimumSheetSize);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(inset, inset, inset, inset);
    layout->setSpacing(12);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    m_symbol = new QLabel(this);
    m_symbol->setFixedSize(16, 16);
    header->addWidget(m_symbol);
    m_title = new QLabel(title(m_result.action), this);
    m_title->setFont(FontTable::textStyle(TextStyle::headline, QFont::DemiBold));
    header->addWidget(m_title);
    header->addStretch(1);
    m_doneButton = new PushButton(QStringLiteral("Done"), PushButton::Style::bordered, m_palette, this);
    header->addWidget(m_doneButton);
    layout->addLayout(header);

    // The editor sits inset on a quiet rounded well.
    m_well = new QWidget(this);
    auto *wellLayout = new QVBoxLayout(m_well);
    wellLayout->setContentsMargins(8, 8, 8, 8);
    m_editor = new QPlainTextEdit(m_well);
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setFont(FontTable::textStyle(TextStyle::body));
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->setTabChangesFocus(true);
    m_editor->setAccessibleName(QStringLiteral("Result"));
    m_editor->document()->setDocumentMargin(4);
    m_editor->setAutoFillBackground(false);
    m_editor->viewport()->setAutoFillBackground(false);
    m_editor->setPlainText(m_result.text);
    wellLayout->addWidget(m_editor);
    layout->addWidget(m_well, 1);

    auto *footer = new QHBoxLayout;
    footer->addStretch(1);
    m_copyButton = new PushButton(QStringLiteral("Copy"), PushButton::Style::bordered, m_palette, this);
    m_pasteButton = new PushButton(QStringLiteral("Paste"), PushButton::Style::borderedProminent, m_palette, this);
    footer->addWidget(m_copyButton);
    footer->addWidget(m_pasteButton);
    layout->addLayout(footer);

    connect(m_doneButton, &QAbstractButton::clicked, this, [this] { done(); });
    connect(m_copyButton, &QAbstractButton::clicked, this, [this] { copyText(); });
    connect(m_pasteButton, &QAbstractButton::clicked, this, [this] { pasteText(); });
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] { updateButtons(); });
    applyPalette();
    updateButtons();
}

QString ClipboardAIResultView::text() const
{
    return m_editor->toPlainText();
}

void ClipboardAIResultView::setText(const QString &text)
{
    m_editor->setPlainText(text);
}

QString ClipboardAIResultView::headerTitle() const
{
    return m_title->text();
}

void ClipboardAIResultView::updateButtons()
{
    m_pasteButton->setEnabled(!text().trimmed().isEmpty());
}

void ClipboardAIResultView::copyText()
{
    // Replaces the whole clipboard with the plain text; whether the write took is not reported.
    if (m_platform.pasteboard)
        m_platform.pasteboard->writePlainText(text());
}

void ClipboardAIResultView::pasteText()
{
    if (text().trimmed().isEmpty())
        return;
    const QString pasted = text();
    // Kept apart from the sheet, which is gone before the paste runs.
    const Paste paste = m_paste;
    done();
    if (paste)
        paste(pasted);
}

void ClipboardAIResultView::done()
{
    if (const auto dismiss = m_dismiss)
        dismiss();
}

void ClipboardAIResultView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        done();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ClipboardAIResultView::applyPalette()
{
    const Palette colors = m_palette ? m_palette() : Palette();
    QPalette title = m_title->palette();
    title.setColor(QPalette::WindowText, colors.primary());
    m_title->setPalette(title);
    QPalette editor = m_editor->palette();
    editor.setColor(QPalette::Text, colors.primary());
    editor.setColor(QPalette::Base, Qt::transparent);
    editor.setColor(QPalette::Highlight, Palette::withOpacity(colors.accent, 0.45));
    editor.setColor(QPalette::HighlightedText, colors.primary());
    m_editor->setPalette(editor);
    m_symbol->setPixmap(m_symbols.pixmap(symbolName(m_result.action), 16, colors.accent, devicePixelRatioF()));
    update();
}

void ClipboardAIResultView::paintEvent(QPaintEvent *)
{
    const Palette colors = m_palette ? m_palette() : Palette();
    const bool dark = colors.isDark();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF well = QRectF(m_well->geometry()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.fillPath(CornerPath::continuousRoundedRect(well, 10), dark ? Palette::white(0.06) : Palette::black(0.045));
}
