#include "platform/linux/AtspiNode.h"

#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityValue.h"
#include "platform/linux/AtspiSession.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSet>

#include <atspi/atspi.h>

namespace {

QString takeString(gchar *text)
{
    QString result = text ? QString::fromUtf8(text) : QString();
    g_free(text);
    return result;
}

std::optional<QString> nonEmpty(const QString &text)
{
    return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
}

} // namespace

QPointF AtspiNode::accessibilityOrigin()
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? QPointF(primary->geometry().topLeft()) : QPointF();
}

AtspiNode::AtspiNode(std::shared_ptr<AtspiSession> session, AtspiAccessible *accessible)
    : m_session(std::move(session))
    , m_accessible(accessible)
{
    if (m_accessible)
        g_object_ref(m_accessible);
}

AtspiNode::~AtspiNode()
{
    if (m_states)
        g_object_unref(m_states);
    if (m_accessible)
        g_object_unref(m_accessible);
}

bool AtspiNode::refresh()
{
    if (!m_accessible)
        return false;
    // A new request reads the element afresh (its focus, text and states may have changed meanwhile).
    if (m_generation != m_session->generation()) {
        m_generation = m_session->generation();
        m_role.reset();
        if (m_states)
            g_object_unref(m_states);
        m_states = nullptr;
        m_statesRead = false;
        m_attributes.reset();
        atspi_accessible_clear_cache(m_accessible);
    }
    return true;
}

int AtspiNode::atspiRole()
{
    if (!refresh())
        return -1;
    if (!m_role) {
        m_role = m_session->call(-1, [this](GError **error) {
            return int(atspi_accessible_get_role(m_accessible, error));
        });
    }
    return *m_role;
}

bool AtspiNode::hasState(int state)
{
    if (!refresh())
        return false;
    if (!m_statesRead) {
        m_statesRead = true;
        m_states = m_session->call<AtspiStateSet *>(nullptr, [this](GError **) {
            return atspi_accessible_get_state_set(m_accessible);
        });
    }
    return m_states && atspi_state_set_contains(m_states, AtspiStateType(state));
}

std::optional<QString> AtspiNode::objectAttribute(const char *name)
{
    if (!refresh())
        return std::nullopt;
    if (!m_attributes) {
        m_attributes = m_session->call(QHash<QString, QString>(), [this](GError **error) {
            QHash<QString, QString> out;
            GHashTable *table = atspi_accessible_get_attributes(m_accessible, error);
            if (!table)
                return out;
            GHashTableIter it;
            gpointer key = nullptr;
            gpointer value = nullptr;
            g_hash_table_iter_init(&it, table);
            while (g_hash_table_iter_next(&it, &key, &value))
                out.insert(QString::fromUtf8(static_cast<const char *>(key)), QString::fromUtf8(static_cast<const char *>(value)));
            g_hash_table_unref(table);
            return out;
        });
    }
    const auto found = m_attributes->constFind(QString::fromLatin1(name));
    return found == m_attributes->constEnd() ? std::nullopt : std::optional<QString>(*found);
}

bool AtspiNode::hasTextEntryChild()
{
    // An editable combo box (GTK) holds a text entry among its first children.
    const int count = m_session->call(0, [this](GError **error) { return atspi_accessible_get_child_count(m_accessible, error); });
    for (int i = 0; i < std::min(count, 4); ++i) {
        AtspiAccessible *child = m_session->call<AtspiAccessible *>(nullptr, [this, i](GError **error) {
            return atspi_accessible_get_child_at_index(m_accessible, i, error);
        });
        if (!child)
            continue;
        const int childRole = m_session->call(-1, [child](GError **error) { return int(atspi_accessible_get_role(child, error)); });
        g_object_unref(child);
        if (childRole == ATSPI_ROLE_TEXT || childRole == ATSPI_ROLE_ENTRY)
            return true;
    }
    return false;
}

std::optional<AccessibilityRole> AtspiNode::mappedRole()
{
    const int role = atspiRole();
    if (role < 0)
        return std::nullopt;
    switch (role) {
    case ATSPI_ROLE_TEXT:
    case ATSPI_ROLE_ENTRY:
        return hasState(ATSPI_STATE_MULTI_LINE) ? AccessibilityRole::textArea : AccessibilityRole::textField;
    case ATSPI_ROLE_COMBO_BOX:
        return hasState(ATSPI_STATE_EDITABLE) || hasTextEntryChild() ? AccessibilityRole::comboBox
                                                                     : AccessibilityRole::popUpButton;
    case ATSPI_ROLE_PASSWORD_TEXT:
        return AccessibilityRole::secureTextField;
    case ATSPI_ROLE_DOCUMENT_WEB:
    case ATSPI_ROLE_DOCUMENT_FRAME:
        return AccessibilityRole::webArea;
    case ATSPI_ROLE_TOOL_BAR:
        return AccessibilityRole::toolbar;
    case ATSPI_ROLE_PANEL:
    case ATSPI_ROLE_FILLER:
    case ATSPI_ROLE_SECTION:
    case ATSPI_ROLE_FORM:
    case ATSPI_ROLE_GROUPING:
    case ATSPI_ROLE_LANDMARK:
    case ATSPI_ROLE_SCROLL_PANE:
    case ATSPI_ROLE_VIEWPORT:
    case ATSPI_ROLE_EMBEDDED:
    case ATSPI_ROLE_INTERNAL_FRAME:
    case ATSPI_ROLE_LAYERED_PANE:
    case ATSPI_ROLE_SPLIT_PANE:
    case ATSPI_ROLE_PAGE_TAB:
    case ATSPI_ROLE_BLOCK_QUOTE:
    case ATSPI_ROLE_ARTICLE:
        return AccessibilityRole::group;
    case ATSPI_ROLE_LABEL:
    case ATSPI_ROLE_STATIC:
    case ATSPI_ROLE_PARAGRAPH:
    case ATSPI_ROLE_HEADING:
        return AccessibilityRole::staticText;
    case ATSPI_ROLE_PUSH_BUTTON:
    case ATSPI_ROLE_TOGGLE_BUTTON:
        return AccessibilityRole::button;
    case ATSPI_ROLE_FRAME:
    case ATSPI_ROLE_WINDOW:
    case ATSPI_ROLE_DIALOG:
        return AccessibilityRole::window;
    case ATSPI_ROLE_APPLICATION:
        return AccessibilityRole::application;
    default:
        return AccessibilityRole::other;
    }
}

AccessibilityValue AtspiNode::attribute(AccessibilityAttribute name)
{
    if (!refresh())
        return {};
    auto asValue = [](const std::optional<QString> &text) { return text ? AccessibilityValue(*text) : AccessibilityValue(); };
    auto state = [this](int s) { return atspiRole() < 0 ? AccessibilityValue() : AccessibilityValue(hasState(s)); };

    switch (name) {
    case AccessibilityAttribute::role: {
        const std::optional<AccessibilityRole> role = mappedRole();
        return role ? AccessibilityValue(*role) : AccessibilityValue();
    }
    case AccessibilityAttribute::subrole:
        return atspiRole() == ATSPI_ROLE_PASSWORD_TEXT ? AccessibilityValue(AccessibilityRole::secureTextField)
                                                       : AccessibilityValue();
    case AccessibilityAttribute::roleDescription:
        return asValue(m_session->call(std::optional<QString>(), [this](GError **error) {
            return nonEmpty(takeString(atspi_accessible_get_localized_role_name(m_accessible, error)));
        }));
    case AccessibilityAttribute::title:
        return asValue(m_session->call(std::optional<QString>(), [this](GError **error) {
            return nonEmpty(takeString(atspi_accessible_get_name(m_accessible, error)));
        }));
    case AccessibilityAttribute::description:
        return asValue(m_session->call(std::optional<QString>(), [this](GError **error) {
            return nonEmpty(takeString(atspi_accessible_get_description(m_accessible, error)));
        }));
    case AccessibilityAttribute::help: {
        std::optional<QString> help = objectAttribute("help-text");
        return asValue(help ? help : objectAttribute("tooltip"));
    }
    case AccessibilityAttribute::placeholder:
        return asValue(objectAttribute("placeholder-text"));
    case AccessibilityAttribute::identifier:
        return asValue(m_session->call(std::optional<QString>(), [this](GError **error) {
            return nonEmpty(takeString(atspi_accessible_get_accessible_id(m_accessible, error)));
        }));
    case AccessibilityAttribute::domIdentifier:
        return asValue(objectAttribute("id"));
    case AccessibilityAttribute::domInputType:
        return asValue(objectAttribute("text-input-type"));
    case AccessibilityAttribute::domClassList: {
        const std::optional<QString> classes = objectAttribute("class");
        return classes ? AccessibilityValue(classes->split(QLatin1Char(' '), Qt::SkipEmptyParts)) : AccessibilityValue();
    }
    case AccessibilityAttribute::url:
        return documentUrl();
    case AccessibilityAttribute::value:
    case AccessibilityAttribute::selectedText:
    case AccessibilityAttribute::selectedTextRange:
    case AccessibilityAttribute::characterCount:
        return textValue(name);
    case AccessibilityAttribute::enabled:
        return state(ATSPI_STATE_ENABLED);
    case AccessibilityAttribute::readOnly:
        return state(ATSPI_STATE_READ_ONLY);
    case AccessibilityAttribute::editable:
        return state(ATSPI_STATE_EDITABLE);
    case AccessibilityAttribute::focused:
        return state(ATSPI_STATE_FOCUSED);
    case AccessibilityAttribute::frame:
    case AccessibilityAttribute::position:
    case AccessibilityAttribute::size:
        return extents(name);
    case AccessibilityAttribute::parent:
        return parentElement();
    case AccessibilityAttribute::focusedElement:
        return atspiRole() == ATSPI_ROLE_APPLICATION ? focusedDescendant() : AccessibilityValue();
    }
    return {};
}

AccessibilityValue AtspiNode::documentUrl()
{
    const int role = atspiRole();
    if (role != ATSPI_ROLE_DOCUMENT_WEB && role != ATSPI_ROLE_DOCUMENT_FRAME)
        return {};
    AtspiDocument *document = m_session->interfaceOf(m_accessible, atspi_accessible_get_document_iface);
    if (!document)
        return {};
    std::optional<QString> url;
    for (const char *key : {"DocURL", "URI"}) {
        url = m_session->call(std::optional<QString>(), [document, key](GError **error) {
            return nonEmpty(takeString(atspi_document_get_document_attribute_value(document, const_cast<gchar *>(key), error)));
        });
        if (url)
            break;
    }
    g_object_unref(document);
    return url ? AccessibilityValue(*url) : AccessibilityValue();
}

AccessibilityValue AtspiNode::extents(AccessibilityAttribute which)
{
    AtspiComponent *component = m_session->interfaceOf(m_accessible, atspi_accessible_get_component_iface);
    if (!component)
        return {};
    const std::optional<QRectF> rect = m_session->call(std::optional<QRectF>(), [component](GError **error) -> std::optional<QRectF> {
        AtspiRect *r = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, error);
        if (!r)
            return std::nullopt;
        const QRectF out(r->x, r->y, r->width, r->height);
        g_free(r);
        return out;
    });
    g_object_unref(component);
    // Toolkits answer (-1, -1, -1, -1) for what is not on screen.
    if (!rect || (rect->width() < 0 && rect->height() < 0))
        return {};
    const QRectF local = rect->translated(-accessibilityOrigin());
    switch (which) {
    case AccessibilityAttribute::position:
        return local.topLeft();
    case AccessibilityAttribute::size:
        return local.size();
    default:
        return local;
    }
}

AccessibilityValue AtspiNode::textValue(AccessibilityAttribute which)
{
    AtspiText *text = m_session->interfaceOf(m_accessible, atspi_accessible_get_text_iface);
    if (!text)
        return {};
    // Never fetch what a password field holds (the element handle refuses too; this keeps the backend honest).
    const bool secret = atspiRole() == ATSPI_ROLE_PASSWORD_TEXT;
    AccessibilityValue result;
    switch (which) {
    case AccessibilityAttribute::characterCount: {
        const int count = m_session->call(-1, [text](GError **error) { return atspi_text_get_character_count(text, error); });
        if (count >= 0)
            result = double(count);
        break;
    }
    case AccessibilityAttribute::value: {
        if (secret)
            break;
        const int count = m_session->call(-1, [text](GError **error) { return atspi_text_get_character_count(text, error); });
        if (count < 0 || count > maximumTextLength)
            break;
        result = m_session->call(AccessibilityValue(), [text, count](GError **error) -> AccessibilityValue {
            gchar *content = atspi_text_get_text(text, 0, count, error);
            if (!content)
                return {};
            return takeString(content);
        });
        break;
    }
    case AccessibilityAttribute::selectedTextRange:
    case AccessibilityAttribute::selectedText: {
        if (secret && which == AccessibilityAttribute::selectedText)
            break;
        const int selections = m_session->call(-1, [text](GError **error) { return atspi_text_get_n_selections(text, error); });
        std::optional<AccessibilityTextRange> range;
        if (selections > 0) {
            range = m_session->call(std::optional<AccessibilityTextRange>(), [text](GError **error) -> std::optional<AccessibilityTextRange> {
                AtspiRange *r = atspi_text_get_selection(text, 0, error);
                if (!r)
                    return std::nullopt;
                const AccessibilityTextRange out{std::min(r->start_offset, r->end_offset), qAbs(r->end_offset - r->start_offset)};
                g_free(r);
                return out;
            });
        } else if (selections == 0) {
            const int caret = m_session->call(-1, [text](GError **error) { return atspi_text_get_caret_offset(text, error); });
            if (caret >= 0)
                range = AccessibilityTextRange{caret, 0};
        }
        if (which == AccessibilityAttribute::selectedTextRange) {
            if (range)
                result = *range;
            break;
        }
        if (!range || range->length > maximumTextLength)
            break;
        if (range->length == 0) {
            result = QString();
            break;
        }
        result = m_session->call(AccessibilityValue(), [text, range](GError **error) -> AccessibilityValue {
            gchar *content = atspi_text_get_text(text, int(range->location), int(range->location + range->length), error);
            if (!content)
                return {};
            return takeString(content);
        });
        break;
    }
    default:
        break;
    }
    g_object_unref(text);
    return result;
}

AccessibilityValue AtspiNode::parentElement()
{
    AtspiAccessible *parent = m_session->call<AtspiAccessible *>(nullptr, [this](GError **error) {
        return atspi_accessible_get_parent(m_accessible, error);
    });
    if (!parent)
        return {};
    // Above an application lies only the desktop, which belongs to no application.
    const int role = m_session->call(-1, [parent](GError **error) { return int(atspi_accessible_get_role(parent, error)); });
    AccessibilityValue result;
    if (role >= 0 && role != ATSPI_ROLE_DESKTOP_FRAME)
        result = AccessibilityElement(std::make_shared<AtspiNode>(m_session, parent));
    g_object_unref(parent);
    return result;
}

AccessibilityValue AtspiNode::focusedDescendant()
{
    // Toolkits with a Collection interface (GTK, browsers) find it themselves in one call.
    if (AtspiCollection *collection = m_session->interfaceOf(m_accessible, atspi_accessible_get_collection_iface)) {
        AtspiStateSet *states = atspi_state_set_new(nullptr);
        atspi_state_set_add(states, ATSPI_STATE_FOCUSED);
        AtspiMatchRule *rule = atspi_match_rule_new(states, ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_NONE,
                                                    nullptr, ATSPI_Collection_MATCH_NONE, nullptr,
                                                    ATSPI_Collection_MATCH_NONE, FALSE);
        GArray *matches = m_session->call<GArray *>(nullptr, [collection, rule](GError **error) {
            return atspi_collection_get_matches(collection, rule, ATSPI_Collection_SORT_ORDER_CANONICAL, 1, TRUE, error);
        });
        g_object_unref(rule);
        g_object_unref(states);
        g_object_unref(collection);
        if (matches) {
            AccessibilityValue result;
            if (matches->len > 0)
                result = AccessibilityElement(std::make_shared<AtspiNode>(m_session, g_array_index(matches, AtspiAccessible *, 0)));
            for (guint i = 0; i < matches->len; ++i)
                g_object_unref(g_array_index(matches, AtspiAccessible *, i));
            g_array_free(matches, TRUE);
            if (!result.isMissing())
                return result;
        }
    }

    // Otherwise walk the tree, active windows first, only through what is showing; bounded in nodes and
    // depth so that huge, deep or cyclic trees end.
    struct Entry {
        AtspiAccessible *accessible;
        int depth;
    };
    QList<Entry> stack;
    QSet<AtspiAccessible *> seen;
    AccessibilityValue result;
    const int windows = m_session->call(0, [this](GError **error) { return atspi_accessible_get_child_count(m_accessible, error); });
    QList<AtspiAccessible *> inactive;
    for (int i = std::min(windows, 64) - 1; i >= 0; --i) {
        AtspiAccessible *window = m_session->call<AtspiAccessible *>(nullptr, [this, i](GError **error) {
            return atspi_accessible_get_child_at_index(m_accessible, i, error);
        });
        if (!window)
            continue;
        AtspiNode probe(m_session, window);
        if (probe.hasState(ATSPI_STATE_ACTIVE))
            stack.append({window, 1});
        else
            inactive.append(window);
    }
    // Inactive windows are searched after the active ones (popped last).
    for (AtspiAccessible *window : inactive)
        stack.prepend({window, 1});

    int visited = 0;
    while (!stack.isEmpty()) {
        const Entry entry = stack.takeLast();
        const bool fresh = !seen.contains(entry.accessible);
        seen.insert(entry.accessible);
        if (result.isMissing() && fresh && visited < focusSearchMaxNodes) {
            ++visited;
            AtspiNode node(m_session, entry.accessible);
            if (node.hasState(ATSPI_STATE_FOCUSED)) {
                result = AccessibilityElement(std::make_shared<AtspiNode>(m_session, entry.accessible));
            } else if (node.hasState(ATSPI_STATE_SHOWING) && entry.depth < focusSearchMaxDepth
                       && !node.hasState(ATSPI_STATE_MANAGES_DESCENDANTS)) {
                const int count = m_session->call(0, [&entry](GError **error) {
                    return atspi_accessible_get_child_count(entry.accessible, error);
                });
                for (int i = std::min(count, 512) - 1; i >= 0; --i) {
                    AtspiAccessible *child = m_session->call<AtspiAccessible *>(nullptr, [&entry, i](GError **error) {
                        return atspi_accessible_get_child_at_index(entry.accessible, i, error);
                    });
                    if (child)
                        stack.append({child, entry.depth + 1});
                }
            }
        }
        g_object_unref(entry.accessible);
    }
    return result;
}

qint64 AtspiNode::processIdentifier()
{
    if (!m_accessible)
        return 0;
    return m_session->call(qint64(0), [this](GError **error) { return qint64(atspi_accessible_get_process_id(m_accessible, error)); });
}

bool AtspiNode::setFocused()
{
    AtspiComponent *component = m_session->interfaceOf(m_accessible, atspi_accessible_get_component_iface);
    if (!component)
        return false;
    const bool done = m_session->call(false, [component](GError **error) { return bool(atspi_component_grab_focus(component, error)); });
    g_object_unref(component);
    return done;
}

bool AtspiNode::press()
{
    AtspiAction *action = m_session->interfaceOf(m_accessible, atspi_accessible_get_action_iface);
    if (!action)
        return false;
    const int count = m_session->call(0, [action](GError **error) { return atspi_action_get_n_actions(action, error); });
    int chosen = count > 0 ? 0 : -1;
    for (int i = 0; i < std::min(count, 16); ++i) {
        const QString name = m_session->call(QString(), [action, i](GError **error) {
            return takeString(atspi_action_get_action_name(action, i, error));
        });
        if (name == QLatin1String("press") || name == QLatin1String("click") || name == QLatin1String("activate")) {
            chosen = i;
            break;
        }
    }
    const bool done = chosen >= 0
        && m_session->call(false, [action, chosen](GError **error) { return bool(atspi_action_do_action(action, chosen, error)); });
    g_object_unref(action);
    return done;
}

bool AtspiNode::isSameElement(const AccessibilityNode &other) const
{
    const auto *node = dynamic_cast<const AtspiNode *>(&other);
    if (!node || !node->m_accessible || !m_accessible)
        return false;
    if (node->m_accessible == m_accessible)
        return true;
    const AtspiObject &a = m_accessible->parent;
    const AtspiObject &b = node->m_accessible->parent;
    return a.app && b.app && a.path && b.path && qstrcmp(a.app->bus_name, b.app->bus_name) == 0 && qstrcmp(a.path, b.path) == 0;
}

bool AtspiNode::isTextEditable()
{
    if (!refresh() || atspiRole() == ATSPI_ROLE_PASSWORD_TEXT)
        return false;
    AtspiEditableText *editable = m_session->interfaceOf(m_accessible, atspi_accessible_get_editable_text_iface);
    if (!editable)
        return false;
    g_object_unref(editable);
    return hasState(ATSPI_STATE_EDITABLE) && !hasState(ATSPI_STATE_READ_ONLY);
}

bool AtspiNode::isQtToolkit()
{
    const QString toolkit = m_session->call(QString(), [this](GError **error) {
        return takeString(atspi_accessible_get_toolkit_name(m_accessible, error));
    });
    return toolkit.compare(QLatin1String("Qt"), Qt::CaseInsensitive) == 0;
}

bool AtspiNode::insertText(AtspiEditableText *editable, int offset, const QString &text)
{
    if (text.isEmpty())
        return true;
    const QByteArray utf8 = text.toUtf8();
    // Qt's bridge cuts the string to the given length in UTF-16 units (and pads it with NULs beyond).
    const int length = isQtToolkit() ? int(text.size()) : int(utf8.size());
    return m_session->call(false, [editable, offset, &utf8, length](GError **error) {
        return bool(atspi_editable_text_insert_text(editable, offset, utf8.constData(), length, error));
    });
}

bool AtspiNode::replaceText(const AccessibilityTextRange &range, const QString &text)
{
    if (!refresh() || atspiRole() == ATSPI_ROLE_PASSWORD_TEXT || range.location < 0 || range.length < 0
        || range.location + range.length > maximumTextLength)
        return false;
    AtspiEditableText *editable = m_session->interfaceOf(m_accessible, atspi_accessible_get_editable_text_iface);
    if (!editable)
        return false;
    const int start = int(range.location);
    const int end = int(range.location + range.length);
    // The new text goes in after the range first: a refused insert then leaves the selection as it was.
    bool done = insertText(editable, end, text);
    if (done && end > start) {
        done = m_session->call(false, [editable, start, end](GError **error) {
            return bool(atspi_editable_text_delete_text(editable, start, end, error));
        });
        if (!done && !text.isEmpty()) {
            const int inserted = isQtToolkit() ? int(text.size()) : int(text.toUcs4().size());
            m_session->call(false, [editable, end, inserted](GError **error) {
                return bool(atspi_editable_text_delete_text(editable, end, end + inserted, error));
            });
        }
    }
    g_object_unref(editable);
    return done;
}

bool AtspiNode::replaceAllText(const QString &text)
{
    if (!refresh() || atspiRole() == ATSPI_ROLE_PASSWORD_TEXT)
        return false;
    AtspiEditableText *editable = m_session->interfaceOf(m_accessible, atspi_accessible_get_editable_text_iface);
    if (!editable)
        return false;
    const QByteArray utf8 = text.toUtf8();
    const bool done = m_session->call(false, [editable, &utf8](GError **error) {
        return bool(atspi_editable_text_set_text_contents(editable, utf8.constData(), error));
    });
    g_object_unref(editable);
    return done;
}
