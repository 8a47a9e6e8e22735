#include "fields/FocusedFieldSuggestionService.h"

#include "fields/FocusedFieldReader.h"
#include "fields/GraphemeClusters.h"
#include "platform/Accessibility.h"
#include "platform/AccessibilityValue.h"
#include "platform/Permissions.h"
#include "platform/Screens.h"
#include "platform/Workspace.h"

namespace R = FocusedFieldReader;

namespace {

bool containsPoint(const QRectF &rect, QPointF point)
{
    // Maximum edges outside; a rectangle given with a negative size counts by its extent.
    return ScreenSpace::containsHalfOpen(rect.normalized(), point);
}

} // namespace

FocusedFieldSuggestionService::FocusedFieldSuggestionService(const Platform &platform, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
{
}

std::optional<QRectF> FocusedFieldSuggestionService::fieldFrame(const FocusedFieldTarget &target) const
{
    return R::fieldFrame(target);
}

AccessibilityElement FocusedFieldSuggestionService::focusedEditableField(const RunningApplication &app) const
{
    Workspace *workspace = m_platform.workspace;
    if (app.pid < 1 || (workspace && workspace->isTerminated(app)))
        return {};
    const AccessibilityElement root = m_platform.accessibility->applicationElement(app.pid);
    const std::optional<AccessibilityElement> focused = R::copyElementAttribute(AccessibilityAttribute::focusedElement, root);
    if (!focused || !R::isEditableTextField(*focused))
        return {};
    return *focused;
}

std::optional<FocusedFieldTarget> FocusedFieldSuggestionService::focusedFieldTarget(const RunningApplication &app)
{
    if (!m_platform.accessibility || !m_platform.permissions || !m_platform.permissions->isTrusted())
        return std::nullopt;
    const AccessibilityElement focused = focusedEditableField(app);
    if (focused.isNull())
        return std::nullopt;
    const std::optional<QString> fieldType = R::focusedFieldType(focused);
    if (!fieldType)
        return std::nullopt;
    return FocusedFieldTarget{focused, R::descriptor(focused, app, *fieldType)};
}

std::optional<ClipboardPasteTarget> FocusedFieldSuggestionService::pasteTarget(QPointF point)
{
    Accessibility *accessibility = m_platform.accessibility;
    Workspace *workspace = m_platform.workspace;
    if (!accessibility || !workspace || !m_platform.permissions || !m_platform.permissions->isTrusted())
        return std::nullopt;

    const AccessibilityElement hit = accessibility->elementAtPoint(point);
    if (hit.isNull())
        return std::nullopt;
    const qint64 pid = hit.processIdentifier();
    if (pid <= 0 || pid == workspace->currentApplication().pid)
        return std::nullopt;
    const std::optional<RunningApplication> app = workspace->application(pid);
    if (!app || workspace->isTerminated(*app))
        return std::nullopt;

    // Up from the element under the point: a label or an inner part of a field finds the field.
    AccessibilityElement field;
    AccessibilityElement current = hit;
    for (int looked = 1; looked <= pointWalkLimit; ++looked) {
        if (R::isEditableTextField(current)) {
            // A frame that does not hold the point (stale or misreported) sends the walk on to the parent
            // without a second look at position and size.
            if (const std::optional<QRectF> frame = R::rectAttribute(AccessibilityAttribute::frame, current)) {
                if (containsPoint(*frame, point)) {
                    field = current;
                    break;
                }
            } else {
                const std::optional<QPointF> position = R::pointAttribute(AccessibilityAttribute::position, current);
                const std::optional<QSizeF> size = R::sizeAttribute(AccessibilityAttribute::size, current);
                if (position && size && containsPoint(QRectF(*position, *size), point)) {
                    field = current;
                    break;
                }
            }
        }
        if (looked == pointWalkLimit)
            break;
        const std::optional<AccessibilityElement> parent = R::copyElementAttribute(AccessibilityAttribute::parent, current);
        if (!parent)
            break;
        current = *parent;
    }

    if (field.isNull()) {
        // An empty part of a page or a container: the field that has the focus, when the point is on it.
        const std::optional<AccessibilityRole> role = R::accessibilityRole(hit);
        if (role != AccessibilityRole::webArea && role != AccessibilityRole::toolbar && role != AccessibilityRole::group)
            return std::nullopt;
        const AccessibilityElement focused = focusedEditableField(*app);
        if (focused.isNull())
            return std::nullopt;
        const std::optional<QRectF> rect = R::elementRect(focused);
        if (!rect || !containsPoint(*rect, point))
            return std::nullopt;
        field = focused;
    }

    const std::optional<QString> fieldType = R::focusedFieldType(field);
    if (!fieldType)
        return std::nullopt;
    return ClipboardPasteTarget{*app, FocusedFieldTarget{field, R::descriptor(field, app, *fieldType)}};
}

std::optional<FocusedFieldDescriptor> FocusedFieldSuggestionService::focusedFieldDescriptorForCopy(
    const QString &text, const QString &sourceApplicationId)
{
    Workspace *workspace = m_platform.workspace;
    if (!workspace || !m_platform.accessibility || !m_platform.permissions)
        return std::nullopt;
    const std::optional<RunningApplication> front = workspace->frontmostApplication();
    if (!front)
        return std::nullopt;
    // Only copies made in the application still in front, and never in this program.
    if (front->applicationId != sourceApplicationId)
        return std::nullopt;
    const RunningApplication own = workspace->currentApplication();
    if (front->applicationId == own.applicationId || front->isSameApplication(own))
        return std::nullopt;
    // Cheap checks on the text before any other application is asked anything.
    if (text.trimmed().isEmpty() || GraphemeClusters::count(text, maximumCopiedLength) > maximumCopiedLength)
        return std::nullopt;
    if (!m_platform.permissions->isTrusted())
        return std::nullopt;

    const AccessibilityElement focused = focusedEditableField(*front);
    if (focused.isNull())
        return std::nullopt;
    const std::optional<QString> fieldType = R::focusedFieldType(focused);
    if (!fieldType)
        return std::nullopt;
    const FocusedFieldDescriptor descriptor = R::descriptor(focused, front, *fieldType);

    // Secret fields are never recorded from a copy, and their selection is never read.
    if (focused.isSecure() || descriptor.fieldType == FocusedFieldKind(FocusedFieldKind::password).label())
        return std::nullopt;
    const std::optional<QString> selected = focused.attribute(AccessibilityAttribute::selectedText).string();
    if (!selected || *selected != text)
        return std::nullopt;
    return descriptor;
}
