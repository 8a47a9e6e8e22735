#pragma once
// What the typing-effect overlay draws over another application's field: glyphs handed to it and the
// paste highlight that sweeps the field once a value is in. Main thread only; every change is announced
// (changed()) so that the drawing redraws.

#include <QList>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QUuid>

#include <optional>

class Clock;

// One glyph on the overlay: a fading character, or a caret bar when it has no character.
struct FocusedFieldTypingGlyph {
    QUuid id;
    std::optional<QString> character;
    // In the overlay's own coordinates (origin at its top-left corner, y down, points).
    QRectF frame;
    // Clock uptime when it appeared; its animation runs from here.
    double startedAt = 0;
};

// The running paste highlight; a new id restarts the effect.
struct FocusedFieldPasteHighlight {
    QUuid id;
    // Clock uptime when it began.
    double startedAt = 0;
};

class FocusedFieldTypingEffectModel : public QObject {
    Q_OBJECT
public:
    explicit FocusedFieldTypingEffectModel(Clock &clock, QObject *parent = nullptr);

    // In drawing order.
    const QList<FocusedFieldTypingGlyph> &glyphs() const { return m_glyphs; }
    const std::optional<FocusedFieldPasteHighlight> &pasteHighlight() const { return m_pasteHighlight; }

    // Adds a glyph that starts now.
    void appendGlyph(std::optional<QString> character, const QRectF &frame);
    // Drops every glyph and starts a new highlight now; each call restarts it.
    void showPasteHighlight();
    // Drops every glyph and the highlight.
    void reset();

Q_SIGNALS:
    void changed();

private:
    Clock &m_clock;
    QList<FocusedFieldTypingGlyph> m_glyphs;
    std::optional<FocusedFieldPasteHighlight> m_pasteHighlight;
};
