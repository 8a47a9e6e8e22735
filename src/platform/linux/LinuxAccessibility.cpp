#include "platform/linux/LinuxAccessibility.h"

#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityValue.h"
#include "platform/linux/AtspiNode.h"
#include "platform/linux/AtspiSession.h"
#include "platform/linux/XcbReply.h"
#include "platform/linux/XcbSession.h"

#include <atspi/atspi.h>

#include <cstdlib>
#include <memory>

namespace {

// Applications a desktop can reasonably hold; a registry answering more is not believed further.
constexpr int maximumApplications = 512;

} // namespace

LinuxAccessibility::LinuxAccessibility(XcbSession &x11, QObject *parent)
    : Accessibility(parent)
    , m_session(std::make_shared<AtspiSession>())
    , m_x11(&x11)
{
}

LinuxAccessibility::~LinuxAccessibility() = default;

bool LinuxAccessibility::isAvailable()
{
    return m_session->isAvailable();
}

int LinuxAccessibility::callCount() const
{
    return m_session->callCount();
}

qint64 LinuxAccessibility::processAt(QPoint rootPixel)
{
    if (!m_x11->isAvailable())
        return 0;
    xcb_connection_t *c = m_x11->connection();
    auto contains = [&](xcb_window_t window) {
        XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            return false;
        XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
        XcbReply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, window, m_x11->root(), 0, 0), nullptr));
        if (!geometry || !origin)
            return false;
        return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height).contains(rootPixel);
    };

    // The window manager's stacking list, topmost last; without one, the root's children (frames).
    QList<xcb_window_t> stacking = m_x11->cardinals(m_x11->root(), "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW);
    qint64 pid = 0;
    if (!stacking.isEmpty()) {
        for (qsizetype i = stacking.size() - 1; i >= 0 && pid == 0; --i) {
            if (contains(stacking.at(i)))
                pid = m_x11->windowPid(stacking.at(i));
        }
    } else {
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, m_x11->root()), nullptr));
        const int count = tree ? xcb_query_tree_children_length(tree.get()) : 0;
        const xcb_window_t *children = tree ? xcb_query_tree_children(tree.get()) : nullptr;
        for (int i = count - 1; i >= 0 && pid == 0; --i) {
            if (!contains(children[i]))
                continue;
            pid = m_x11->windowPid(children[i]);
            if (pid == 0) {
                XcbReply<xcb_query_tree_reply_t> inner(xcb_query_tree_reply(c, xcb_query_tree(c, children[i]), nullptr));
                const int n = inner ? xcb_query_tree_children_length(inner.get()) : 0;
                const xcb_window_t *clients = inner ? xcb_query_tree_children(inner.get()) : nullptr;
                for (int j = 0; j < n && pid == 0; ++j)
                    pid = m_x11->windowPid(clients[j]);
            }
            break;
        }
    }
    m_x11->scheduleDispatch();
    return pid;
}

AtspiAccessible *LinuxAccessibility::applicationAccessible(qint64 pid)
{
    if (pid <= 0 || !m_session->isAvailable())
        return nullptr;
    // The registry (not the applications) answers these, so a hung application costs nothing here.
    AtspiAccessible *desktop = atspi_get_desktop(0);
    if (!desktop)
        return nullptr;
    const int count = m_session->call(0, [desktop](GError **error) { return atspi_accessible_get_child_count(desktop, error); });
    AtspiAccessible *found = nullptr;
    for (int i = 0; i < std::min(count, maximumApplications) && !found; ++i) {
        AtspiAccessible *app = m_session->call<AtspiAccessible *>(nullptr, [desktop, i](GError **error) {
            return atspi_accessible_get_child_at_index(desktop, i, error);
        });
        if (!app)
            continue;
        const qint64 appPid = m_session->call(qint64(0), [app](GError **error) {
            return qint64(atspi_accessible_get_process_id(app, error));
        });
        if (appPid == pid)
            found = app;
        else
            g_object_unref(app);
    }
    g_object_unref(desktop);
    return found;
}

AccessibilityElement LinuxAccessibility::applicationElement(qint64 pid)
{
    AtspiAccessible *app = applicationAccessible(pid);
    if (!app)
        return {};
    AccessibilityElement element(std::make_shared<AtspiNode>(m_session, app));
    g_object_unref(app);
    return element;
}

AtspiAccessible *LinuxAccessibility::childAtPoint(AtspiAccessible *parent, QPointF point, int depth)
{
    const int count = m_session->call(0, [parent](GError **error) { return atspi_accessible_get_child_count(parent, error); });
    for (int i = std::min(count, maximumHitChildren) - 1; i >= 0; --i) {
        AtspiAccessible *child = m_session->call<AtspiAccessible *>(nullptr, [parent, i](GError **error) {
            return atspi_accessible_get_child_at_index(parent, i, error);
        });
        if (!child)
            continue;
        const std::optional<QRectF> rect = AtspiNode(m_session, child).attribute(AccessibilityAttribute::frame).rect();
        if (rect && rect->contains(point))
            return child;
        // A notebook's page tab covers its tab only, or nothing when the tabs are hidden: the page's content
        // lies below it.
        const bool passThrough = !rect || m_session->call(-1, [child](GError **error) {
            return int(atspi_accessible_get_role(child, error));
        }) == ATSPI_ROLE_PAGE_TAB;
        AtspiAccessible *inner = passThrough && depth > 0 ? childAtPoint(child, point, depth - 1) : nullptr;
        g_object_unref(child);
        if (inner)
            return inner;
    }
    return nullptr;
}

AccessibilityElement LinuxAccessibility::elementAtPoint(QPointF point)
{
    if (!m_session->isAvailable())
        return {};
    const QPoint pixel = (point + AtspiNode::accessibilityOrigin()).toPoint();
    AtspiAccessible *app = applicationAccessible(processAt(pixel));
    if (!app)
        return {};

    // The application's top-level window under the point, then one hit test per level below it.
    AtspiAccessible *current = childAtPoint(app, point);
    g_object_unref(app);
    if (!current)
        return {};

    for (int level = 0; level < maximumDescent; ++level) {
        AtspiComponent *component = m_session->interfaceOf(current, atspi_accessible_get_component_iface);
        if (!component)
            break;
        AtspiAccessible *child = m_session->call<AtspiAccessible *>(nullptr, [component, pixel](GError **error) {
            return atspi_component_get_accessible_at_point(component, pixel.x(), pixel.y(), ATSPI_COORD_TYPE_SCREEN, error);
        });
        g_object_unref(component);
        // Some GTK containers (mousepad's document pane) answer no child at any point: look at their
        // children's frames instead.
        if (!child)
            child = childAtPoint(current, point);
        if (!child)
            break;
        AtspiNode here(m_session, current);
        AtspiNode there(m_session, child);
        if (here.isSameElement(there)) {
            g_object_unref(child);
            break;
        }
        g_object_unref(current);
        current = child;
    }
    AccessibilityElement element(std::make_shared<AtspiNode>(m_session, current));
    g_object_unref(current);
    return element;
}
