#pragma once
// One element of a simulated application's accessibility tree, scripted by tests: any attribute may hold
// any value (or a value of the wrong type), parents can be redirected to make cycles, and a whole
// application can stop answering.

#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityNode.h"
#include "platform/AccessibilityValue.h"

#include <QHash>
#include <QList>

#include <memory>

class SimAccessibilityNode : public AccessibilityNode, public std::enable_shared_from_this<SimAccessibilityNode> {
public:
    // What the elements of one application share.
    struct Process {
        qint64 pid = 0;
        bool responding = true;
        std::weak_ptr<SimAccessibilityNode> focused;
        int reads = 0;
        // Every attribute asked for, in order.
        QList<AccessibilityAttribute> readLog;
        int focusRequests = 0;
        int presses = 0;
        // When false, setFocused() is refused (press() still focuses).
        bool acceptsFocus = true;
    };

    // How the element takes a text written into it (replaceText).
    enum class TextWrite {
        replaces,    // as asked: the range gives way to the text, the caret ends after it
        refuses,     // answers false and changes nothing
        ignores,     // answers true and changes nothing
        deletesOnly, // answers true, but only the range is deleted (a delete whose insert went missing)
        truncates,   // answers true, but only the first half of the text arrives
    };

    ~SimAccessibilityNode() override;

    // An application's root element (role application).
    static std::shared_ptr<SimAccessibilityNode> createApplication(qint64 pid);

    // A new child with the role (none: no role attribute at all).
    std::shared_ptr<SimAccessibilityNode> addChild(std::optional<AccessibilityRole> role = std::nullopt);
    SimAccessibilityNode &set(AccessibilityAttribute name, AccessibilityValue value);
    SimAccessibilityNode &unset(AccessibilityAttribute name);
    // Answers `parent` as this element instead of the real parent (kept weakly: cycles leak nothing).
    void setParentOverride(const std::shared_ptr<SimAccessibilityNode> &parent) { m_parentOverride = parent; }

    AccessibilityElement element() { return AccessibilityElement(shared_from_this()); }
    Process &process() { return *m_process; }
    QList<std::shared_ptr<SimAccessibilityNode>> children() const { return m_children; }
    bool isFocused() const { return m_process->focused.lock().get() == this; }

    AccessibilityValue attribute(AccessibilityAttribute name) override;
    qint64 processIdentifier() override;
    bool setFocused() override;
    bool press() override;
    bool isSameElement(const AccessibilityNode &other) const override { return &other == this; }
    bool isTextEditable() override;
    bool replaceText(const AccessibilityTextRange &range, const QString &text) override;
    // Taken whatever `textWrite` says, while the element is editable and has writes left.
    bool replaceAllText(const QString &text) override;

    // The element's text as a person sets it: value, selection (range and text) and character count.
    SimAccessibilityNode &setText(const QString &value, AccessibilityTextRange selection = {});
    // Whether replaceText works at all (editable) and how; `writesLeft` counts the writes still taken
    // (negative: no limit), after which every write is refused.
    bool textEditable = false;
    TextWrite textWrite = TextWrite::replaces;
    // How many replaceText calls go as `textWrite` says before the element replaces as asked (negative: all).
    int faultyWrites = -1;
    int writesLeft = -1;
    // Every replaceText and replaceAllText call, in order (the whole text for the latter: `whole` true).
    struct Write {
        AccessibilityTextRange range;
        QString text;
        bool whole = false;
    };
    QList<Write> writes;

private:
    explicit SimAccessibilityNode(std::shared_ptr<Process> process);

    std::shared_ptr<Process> m_process;
    std::weak_ptr<SimAccessibilityNode> m_parent;
    std::weak_ptr<SimAccessibilityNode> m_parentOverride;
    QList<std::shared_ptr<SimAccessibilityNode>> m_children;
    QHash<int, AccessibilityValue> m_attributes;
};
