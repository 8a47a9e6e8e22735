#pragma once
// Reads another application's text field through its accessibility element: the attribute readers with
// their defaults, the editable check, the field's frame, its hint texts and kind, and its descriptor.
// Nothing here reports an error: a failed read, or a value of another type, gives the reader's default.

#include "model/FocusedFieldDescriptor.h"
#include "fields/FocusedFieldKind.h"
#include "model/FocusedFieldTarget.h"
#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityElement.h"
#include "platform/Workspace.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QStringList>

#include <optional>

class AccessibilityValue;

namespace FocusedFieldReader {

// Strings read into a descriptor are cut to this many characters.
constexpr qsizetype maximumStringLength = 200;
// Coordinates and sizes beyond this many points (or not finite) are read as missing.
constexpr double maximumCoordinate = 1e6;
// The web-origin walk looks at the element and at most 11 ancestors.
constexpr int webOriginWalkLimit = 12;

// Trimmed, at most 200 characters; none when missing, not a string or blank.
std::optional<QString> stringAttribute(AccessibilityAttribute name, const AccessibilityElement &element);
std::optional<AccessibilityElement> copyElementAttribute(AccessibilityAttribute name, const AccessibilityElement &element);
// None when the role is missing or not a role.
std::optional<AccessibilityRole> accessibilityRole(const AccessibilityElement &element);
// The role's name in a descriptor, "unknown" when missing. Stored field values and their fingerprints
// keep these names, so they never change.
QString storedRoleName(std::optional<AccessibilityRole> role);
// True unless the element says it is disabled.
bool isAccessibilityEnabled(const AccessibilityElement &element);
// An enabled text field, area, combo box or secure field that is not read-only and not marked uneditable.
bool isEditableTextField(const AccessibilityElement &element);
qint64 selectedTextLength(const AccessibilityElement &element);
// True only for a text value with no characters. Told by the character count where the element has one;
// the text of a secure field, or of one the caller knows holds a secret, is never read.
bool isValueEmpty(const AccessibilityElement &element, bool isSecret = false);

// "scheme://host", lower-cased, from a URL or a string that parses as one with a scheme and a host.
std::optional<QString> webOrigin(const AccessibilityValue &urlValue);
// The origin of the element or its nearest ancestor that has one, within webOriginWalkLimit elements.
std::optional<QString> webOrigin(const AccessibilityElement &element);

std::optional<QRectF> rectAttribute(AccessibilityAttribute name, const AccessibilityElement &element);
std::optional<QPointF> pointAttribute(AccessibilityAttribute name, const AccessibilityElement &element);
std::optional<QSizeF> sizeAttribute(AccessibilityAttribute name, const AccessibilityElement &element);
// The element's frame when larger than one point both ways (its frame, else its position and size); in
// the accessibility space.
std::optional<QRectF> fieldFrame(const FocusedFieldTarget &target);
// The frame, else the position and size, of any size; what a point lookup tests against.
std::optional<QRectF> elementRect(const AccessibilityElement &element);

// Everything the descriptor holds, read in its order; `fieldType` is given by the caller.
FocusedFieldDescriptor descriptor(const AccessibilityElement &element, const std::optional<RunningApplication> &application,
                                  const QString &fieldType);

// What the field says about itself, for classification: placeholder, title, description, help,
// identifiers, input type, role description and DOM classes, without repeats.
QStringList fieldHintTexts(const AccessibilityElement &element);
// The kind from the hint texts joined with spaces and the role.
std::optional<FocusedFieldKind> classify(const AccessibilityElement &element);
// The label of an editable field the engine works with; none for date fields and for unclassified fields
// outside the four text roles.
std::optional<QString> focusedFieldType(const AccessibilityElement &element);
// One of the four roles of text fields.
bool isTextRole(std::optional<AccessibilityRole> role);
// A field of one line (an entry, a password field, a combo box), not a multi-line text or a document.
bool isSingleLineRole(std::optional<AccessibilityRole> role);

} // namespace FocusedFieldReader
