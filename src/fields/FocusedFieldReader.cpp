#include "fields/FocusedFieldReader.h"

#include "fields/GraphemeClusters.h"
#include "platform/AccessibilityValue.h"

#include <QUrl>

#include <cmath>

namespace FocusedFieldReader {

std::optional<QString> stringAttribute(AccessibilityAttribute name, const AccessibilityElement &element)
{
    const std::optional<QString> text = element.attribute(name).string();
    if (!text)
        return std::nullopt;
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return GraphemeClusters::left(trimmed, maximumStringLength);
}

std::optional<AccessibilityElement> copyElementAttribute(AccessibilityAttribute name, const AccessibilityElement &element)
{
    return element.attribute(name).element();
}

std::optional<AccessibilityRole> accessibilityRole(const AccessibilityElement &element)
{
    return element.attribute(AccessibilityAttribute::role).role();
}

QString storedRoleName(std::optional<AccessibilityRole> role)
{
    if (!role)
        return QStringLiteral("unknown");
    switch (*role) {
    case AccessibilityRole::application:
        return QStringLiteral("AXApplication");
    case AccessibilityRole::window:
        return QStringLiteral("AXWindow");
    case AccessibilityRole::group:
        return QStringLiteral("AXGroup");
    case AccessibilityRole::toolbar:
        return QStringLiteral("AXToolbar");
    case AccessibilityRole::webArea:
        return QStringLiteral("AXWebArea");
    case AccessibilityRole::staticText:
        return QStringLiteral("AXStaticText");
    case AccessibilityRole::button:
        return QStringLiteral("AXButton");
    case AccessibilityRole::popUpButton:
        return QStringLiteral("AXPopUpButton");
    case AccessibilityRole::textField:
        return QStringLiteral("AXTextField");
    case AccessibilityRole::textArea:
        return QStringLiteral("AXTextArea");
    case AccessibilityRole::comboBox:
        return QStringLiteral("AXComboBox");
    case AccessibilityRole::secureTextField:
        return QStringLiteral("AXSecureTextField");
    case AccessibilityRole::other:
        break;
    }
    return QStringLiteral("AXUnknown");
}

bool isAccessibilityEnabled(const AccessibilityElement &element)
{
    return element.attribute(AccessibilityAttribute::enabled).boolean().value_or(true);
}

bool isTextRole(std::optional<AccessibilityRole> role)
{
    return role == AccessibilityRole::textField || role == AccessibilityRole::textArea
        || role == AccessibilityRole::comboBox || role == AccessibilityRole::secureTextField;
}

bool isSingleLineRole(std::optional<AccessibilityRole> role)
{
    return role == AccessibilityRole::textField || role == AccessibilityRole::comboBox
        || role == AccessibilityRole::secureTextField;
}

bool isEditableTextField(const AccessibilityElement &element)
{
    if (!isTextRole(accessibilityRole(element)) || !isAccessibilityEnabled(element))
        return false;
    if (element.attribute(AccessibilityAttribute::readOnly).boolean() == true)
        return false;
    const AccessibilityValue editable = element.attribute(AccessibilityAttribute::editable);
    if (const std::optional<bool> flag = editable.boolean())
        return *flag;
    if (const std::optional<double> number = editable.number())
        return *number != 0;
    return true;
}

qint64 selectedTextLength(const AccessibilityElement &element)
{
    const std::optional<AccessibilityTextRange> range = element.attribute(AccessibilityAttribute::selectedTextRange).range();
    return range ? range->length : 0;
}

bool isValueEmpty(const AccessibilityElement &element, bool isSecret)
{
    // The character count answers without the text crossing over; a password's text never does.
    if (const std::optional<double> count = element.attribute(AccessibilityAttribute::characterCount).number())
        return *count == 0;
    if (isSecret || accessibilityRole(element) == AccessibilityRole::secureTextField)
        return false;
    const std::optional<QString> value = element.attribute(AccessibilityAttribute::value).string();
    return value && value->isEmpty();
}

std::optional<QString> webOrigin(const AccessibilityValue &urlValue)
{
    QUrl url;
    if (const std::optional<QUrl> u = urlValue.url())
        url = *u;
    else if (const std::optional<QString> text = urlValue.string())
        url = QUrl(*text, QUrl::StrictMode);
    else
        return std::nullopt;
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        return std::nullopt;
    return url.scheme().toLower() + QStringLiteral("://") + url.host().toLower();
}

std::optional<QString> webOrigin(const AccessibilityElement &element)
{
    AccessibilityElement current = element;
    for (int looked = 1;; ++looked) {
        if (std::optional<QString> origin = webOrigin(current.attribute(AccessibilityAttribute::url)))
            return origin;
        if (looked >= webOriginWalkLimit)
            return std::nullopt;
        const std::optional<AccessibilityElement> parent = copyElementAttribute(AccessibilityAttribute::parent, current);
        if (!parent)
            return std::nullopt;
        current = *parent;
    }
}

namespace {

// Geometry no screen can show (infinite, not a number, or far beyond any desktop) is as good as none.
bool isPlausible(double coordinate)
{
    return std::isfinite(coordinate) && std::abs(coordinate) <= maximumCoordinate;
}

} // namespace

std::optional<QRectF> rectAttribute(AccessibilityAttribute name, const AccessibilityElement &element)
{
    const std::optional<QRectF> rect = element.attribute(name).rect();
    if (!rect || !isPlausible(rect->x()) || !isPlausible(rect->y()) || !isPlausible(rect->width())
        || !isPlausible(rect->height()))
        return std::nullopt;
    return rect;
}

std::optional<QPointF> pointAttribute(AccessibilityAttribute name, const AccessibilityElement &element)
{
    const std::optional<QPointF> point = element.attribute(name).point();
    if (!point || !isPlausible(point->x()) || !isPlausible(point->y()))
        return std::nullopt;
    return point;
}

std::optional<QSizeF> sizeAttribute(AccessibilityAttribute name, const AccessibilityElement &element)
{
    const std::optional<QSizeF> size = element.attribute(name).size();
    if (!size || !isPlausible(size->width()) || !isPlausible(size->height()))
        return std::nullopt;
    return size;
}

std::optional<QRectF> fieldFrame(const FocusedFieldTarget &target)
{
    auto large = [](double width, double height) { return qAbs(width) > 1 && qAbs(height) > 1; };
    if (const std::optional<QRectF> frame = rectAttribute(AccessibilityAttribute::frame, target.element);
        frame && large(frame->width(), frame->height()))
        return frame;
    const std::optional<QPointF> position = pointAttribute(AccessibilityAttribute::position, target.element);
    const std::optional<QSizeF> size = sizeAttribute(AccessibilityAttribute::size, target.element);
    if (position && size && large(size->width(), size->height()))
        return QRectF(*position, *size);
    return std::nullopt;
}

std::optional<QRectF> elementRect(const AccessibilityElement &element)
{
    if (const std::optional<QRectF> frame = rectAttribute(AccessibilityAttribute::frame, element))
        return frame;
    const std::optional<QPointF> position = pointAttribute(AccessibilityAttribute::position, element);
    const std::optional<QSizeF> size = sizeAttribute(AccessibilityAttribute::size, element);
    if (position && size)
        return QRectF(*position, *size);
    return std::nullopt;
}

FocusedFieldDescriptor descriptor(const AccessibilityElement &element, const std::optional<RunningApplication> &application,
                                  const QString &fieldType)
{
    FocusedFieldDescriptor d;
    d.applicationId = application ? application->applicationId : QString();
    d.webOrigin = webOrigin(element);
    d.domIdentifier = stringAttribute(AccessibilityAttribute::domIdentifier, element);
    d.accessibilityIdentifier = stringAttribute(AccessibilityAttribute::identifier, element);
    d.title = stringAttribute(AccessibilityAttribute::title, element);
    d.placeholder = stringAttribute(AccessibilityAttribute::placeholder, element);
    d.role = storedRoleName(accessibilityRole(element));
    d.fieldType = fieldType;
    d.hasSelectedText = selectedTextLength(element) > 0;
    d.isEmpty = isValueEmpty(element, fieldType == FocusedFieldKind(FocusedFieldKind::password).label());
    return d;
}

QStringList fieldHintTexts(const AccessibilityElement &element)
{
    static const AccessibilityAttribute hintAttributes[] = {
        AccessibilityAttribute::placeholder,  AccessibilityAttribute::title,         AccessibilityAttribute::description,
        AccessibilityAttribute::help,         AccessibilityAttribute::identifier,    AccessibilityAttribute::domIdentifier,
        AccessibilityAttribute::domInputType, AccessibilityAttribute::roleDescription,
    };
    QStringList texts;
    for (const AccessibilityAttribute name : hintAttributes) {
        if (const std::optional<QString> text = element.attribute(name).string()) {
            const QString trimmed = text->trimmed();
            if (!trimmed.isEmpty())
                texts.append(trimmed);
        }
    }
    const AccessibilityValue classes = element.attribute(AccessibilityAttribute::domClassList);
    if (const std::optional<QStringList> list = classes.stringList())
        texts.append(*list);
    else if (const std::optional<QString> single = classes.string())
        texts.append(*single);
    texts.removeDuplicates();
    return texts;
}

std::optional<FocusedFieldKind> classify(const AccessibilityElement &element)
{
    return FocusedFieldKind::classify(fieldHintTexts(element).join(QLatin1Char(' ')), accessibilityRole(element));
}

std::optional<QString> focusedFieldType(const AccessibilityElement &element)
{
    const std::optional<FocusedFieldKind> kind = classify(element);
    if (kind == FocusedFieldKind::date)
        return std::nullopt;
    if (!kind)
        return isTextRole(accessibilityRole(element)) ? std::optional<QString>(FocusedFieldKind(FocusedFieldKind::text).label())
                                                      : std::nullopt;
    return kind->label();
}

} // namespace FocusedFieldReader
