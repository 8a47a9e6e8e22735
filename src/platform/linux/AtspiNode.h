#pragma once
// One AT-SPI accessible as an accessibility element. Its attribute reads are where the toolkit's roles,
// states, object attributes, text and extents become the attributes the engine asks for (mappedRole()
// maps the roles). Role, states and object attributes are read once per request.

#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityNode.h"

#include <QHash>
#include <QPointF>
#include <QString>

#include <memory>
#include <optional>

class AtspiSession;
typedef struct _AtspiAccessible AtspiAccessible;
typedef struct _AtspiStateSet AtspiStateSet;
typedef struct _AtspiEditableText AtspiEditableText;

class AtspiNode : public AccessibilityNode {
public:
    // Takes a reference of its own on `accessible`.
    AtspiNode(std::shared_ptr<AtspiSession> session, AtspiAccessible *accessible);
    ~AtspiNode() override;
    AtspiNode(const AtspiNode &) = delete;
    AtspiNode &operator=(const AtspiNode &) = delete;

    AccessibilityValue attribute(AccessibilityAttribute name) override;
    qint64 processIdentifier() override;
    bool setFocused() override;
    bool press() override;
    bool isSameElement(const AccessibilityNode &other) const override;
    bool isTextEditable() override;
    bool replaceText(const AccessibilityTextRange &range, const QString &text) override;
    bool replaceAllText(const QString &text) override;

    AtspiAccessible *accessible() const { return m_accessible; }

    // Where the accessibility space starts in AT-SPI's screen coordinates (root-window pixels): the
    // primary screen's top-left corner.
    static QPointF accessibilityOrigin();

    // Search limits for the focused element of an application without a Collection interface.
    static constexpr int focusSearchMaxNodes = 4000;
    static constexpr int focusSearchMaxDepth = 64;
    // Texts longer than this are not read (a value or selection this long is no field value).
    static constexpr int maximumTextLength = 1 << 16;

private:
    // -1 when the role cannot be read.
    int atspiRole();
    bool hasState(int state);
    std::optional<QString> objectAttribute(const char *name);
    // The one place AT-SPI's roles become the roles Tavlen tells apart; none when the role cannot be read.
    std::optional<AccessibilityRole> mappedRole();
    bool hasTextEntryChild();
    AccessibilityValue documentUrl();
    AccessibilityValue extents(AccessibilityAttribute which);
    AccessibilityValue textValue(AccessibilityAttribute which);
    AccessibilityValue parentElement();
    AccessibilityValue focusedDescendant();
    bool refresh();
    // Qt's bridge counts text offsets and lengths in UTF-16 units; AT-SPI itself counts offsets in
    // characters and insert lengths in bytes.
    bool isQtToolkit();
    bool insertText(AtspiEditableText *editable, int offset, const QString &text);

    std::shared_ptr<AtspiSession> m_session;
    AtspiAccessible *m_accessible = nullptr;

    // Per request (see AtspiSession::generation).
    unsigned m_generation = 0;
    std::optional<int> m_role;
    AtspiStateSet *m_states = nullptr;
    bool m_statesRead = false;
    std::optional<QHash<QString, QString>> m_attributes;
};
