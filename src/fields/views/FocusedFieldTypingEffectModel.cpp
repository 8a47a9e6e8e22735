#include "fields/views/FocusedFieldTypingEffectModel.h"

#include "platform/Clock.h"

FocusedFieldTypingEffectModel::FocusedFieldTypingEffectModel(Clock &clock, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
{
}

void FocusedFieldTypingEffectModel::appendGlyph(std::optional<QString> character, const QRectF &frame)
{
    m_glyphs.append(FocusedFieldTypingGlyph{QUuid::createUuid(), std::move(character), frame, m_clock.uptime()});
    Q_EMIT changed();
}

void FocusedFieldTypingEffectModel::showPasteHighlight()
{
    // erase() keeps the list's capacity for the next typing.
    m_glyphs.erase(m_glyphs.begin(), m_glyphs.end());
    m_pasteHighlight = FocusedFieldPasteHighlight{QUuid::createUuid(), m_clock.uptime()};
    Q_EMIT changed();
}

void FocusedFieldTypingEffectModel::reset()
{
    if (m_glyphs.isEmpty() && !m_pasteHighlight)
        return;
    m_glyphs.erase(m_glyphs.begin(), m_glyphs.end());
    m_pasteHighlight.reset();
    Q_EMIT changed();
}
