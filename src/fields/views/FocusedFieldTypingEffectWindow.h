#pragma once
// The overlay that lies exactly over another application's field while a value goes in, and plays the
// typing effect there. Its panel never takes the keyboard and lets every click through to the field;
// showing it never activates Tavlen. Created once by its owner and reused for every insertion.

#include "fields/views/FocusedFieldTypingEffectModel.h"
#include "platform/Platform.h"

#include <QObject>
#include <QPainterPath>
#include <QPointer>
#include <QRectF>

#include <memory>
#include <optional>

class FocusedFieldTypingEffect;
class Panel;

class FocusedFieldTypingEffectWindow : public QObject {
    Q_OBJECT
public:
    static constexpr double initialFallbackCursorX = 9.0;

    // Builds the model and the panel (hidden, empty).
    explicit FocusedFieldTypingEffectWindow(const Platform &platform, QObject *parent = nullptr);
    ~FocusedFieldTypingEffectWindow() override;

    FocusedFieldTypingEffectModel &model() { return m_model; }
    // The field frame of the current showing (accessibility space: origin at the top-left corner of the
    // primary screen, y down); none while hidden.
    std::optional<QRectF> accessibilityFieldFrame() const { return m_accessibilityFieldFrame; }
    // Where glyphs would start when a field gives no caret position; nothing reads it yet.
    double fallbackCursorX() const { return m_fallbackCursorX; }
    // None once closed.
    Panel *panel() const { return m_panel.get(); }
    FocusedFieldTypingEffect *view() const;

    // Shows the overlay over the field (accessibility space) with an empty effect and answers true; hides
    // it and answers false when the frame lies on no screen or the panel is closed.
    bool update(const QRectF &fieldFrame);
    // Empties the effect and orders the overlay out.
    void hide();
    // Hides and closes the panel for good.
    void close();

    // The field frame (accessibility space) as a frame in the global screen space (y up), or none when it
    // touches no screen.
    std::optional<QRectF> overlayFrame(const QRectF &accessibilityFrame) const;

private:
    void hidePath();
    void applyOutline(const QPainterPath &outline);

    Platform m_platform;
    FocusedFieldTypingEffectModel m_model;
    std::optional<QRectF> m_accessibilityFieldFrame;
    double m_fallbackCursorX = initialFallbackCursorX;
    std::unique_ptr<Panel> m_panel;
    QPointer<FocusedFieldTypingEffect> m_view;
};
