#pragma once
// Finds the text field of another application that an event refers to: the field under a screen point
// (a Super + double-click), and the field a copied text was selected in (a new copy). Also reads a
// field's frame for those who draw over it. Stateless; every failure answers "no field".

#include "clipboard/ClipboardPasteTarget.h"
#include "fields/FocusedFieldContext.h"
#include "model/AppLogger.h"
#include "model/FocusedFieldDescriptor.h"
#include "model/FocusedFieldTarget.h"
#include "platform/Platform.h"

#include <QObject>
#include <QPointF>
#include <QRectF>

#include <optional>

class FocusedFieldSuggestionService : public QObject {
    Q_OBJECT
public:
    // A copy longer than this many characters is never a field value.
    static constexpr qsizetype maximumCopiedLength = 4096;
    // The walk up from the element under a point looks at the element and at most 11 ancestors.
    static constexpr int pointWalkLimit = 12;

    explicit FocusedFieldSuggestionService(const Platform &platform, QObject *parent = nullptr);

    // Nothing sets these yet; they give the suggestion views one place to look.
    const std::optional<FocusedFieldContext> &context() const { return m_context; }
    const std::optional<FocusedFieldDescriptor> &focusedField() const { return m_focusedField; }

    // The editable field under a point of the accessibility space (y down from the primary screen's
    // top), with its application; never one of this program's own windows.
    std::optional<ClipboardPasteTarget> pasteTarget(QPointF point);
    // The frontmost application's focused field when `text` is exactly its selection and was copied there
    // (the application is still in front). Never a secure or password field.
    std::optional<FocusedFieldDescriptor> focusedFieldDescriptorForCopy(const QString &text,
                                                                        const QString &sourceApplicationId);
    // The application's focused field when it is an editable field the engine works with: what a paste
    // into that application goes to.
    std::optional<FocusedFieldTarget> focusedFieldTarget(const RunningApplication &app);
    // The field's frame in the accessibility space, when larger than one point both ways.
    std::optional<QRectF> fieldFrame(const FocusedFieldTarget &target) const;

private:
    // The application's focused element when it is an editable text field.
    AccessibilityElement focusedEditableField(const RunningApplication &app) const;

    Platform m_platform;
    std::optional<FocusedFieldContext> m_context;
    std::optional<FocusedFieldDescriptor> m_focusedField;
    AppLogger m_logger{QStringLiteral("FocusedFieldSuggestionService")};
};
