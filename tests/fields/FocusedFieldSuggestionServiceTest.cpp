// Field target resolution: the field under a point (walking up, stale frames, containers, own windows)
// and the field a copy came from (same application in front, secrets, exact selection, length).
#include "fields/FocusedFieldSuggestionService.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace {

using A = AccessibilityAttribute;

struct ServiceFixture : ::testing::Test {
    SimPlatform sim;
    FocusedFieldSuggestionService service{sim.platform()};
    RunningApplication browser = sim.workspace.addApplication(QStringLiteral("firefox"), QStringLiteral("Firefox"));
    std::shared_ptr<SimAccessibilityNode> app = sim.accessibility.application(browser.pid);
    std::shared_ptr<SimAccessibilityNode> window = app->addChild(AccessibilityRole::window);
    std::shared_ptr<SimAccessibilityNode> page = window->addChild(AccessibilityRole::webArea);
    std::shared_ptr<SimAccessibilityNode> email = page->addChild(AccessibilityRole::textField);
    const QRectF emailFrame{100, 200, 300, 30};
    const QPointF inEmail{150, 210};

    void SetUp() override
    {
        window->set(A::frame, QRectF(0, 0, 1000, 800));
        page->set(A::url, "https://shop.example.com/login").set(A::frame, QRectF(0, 50, 1000, 750));
        email->set(A::placeholder, "E-mail address").set(A::frame, emailFrame).set(A::domIdentifier, "email");
        sim.workspace.bringToFront(browser);
    }

    std::shared_ptr<SimAccessibilityNode> chain(std::shared_ptr<SimAccessibilityNode> top, int levels)
    {
        for (int i = 0; i < levels; ++i)
            top = top->addChild(AccessibilityRole::group);
        return top;
    }
};

TEST_F(ServiceFixture, FieldUnderThePointIsFoundAndRead)
{
    sim.accessibility.place(email, emailFrame);
    const std::optional<ClipboardPasteTarget> target = service.pasteTarget(inEmail);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->application, browser);
    ASSERT_TRUE(target->field);
    EXPECT_EQ(target->field->element, email->element());
    EXPECT_EQ(target->field->descriptor.fieldType, QStringLiteral("Email"));
    EXPECT_EQ(target->field->descriptor.webOrigin, QStringLiteral("https://shop.example.com"));
    EXPECT_EQ(target->field->descriptor.applicationId, QStringLiteral("firefox"));
    EXPECT_EQ(service.fieldFrame(*target->field), emailFrame);
}

TEST_F(ServiceFixture, WalkingUpFindsTheFieldWithinTwelveElements)
{
    for (const int levels : {1, 11, 12}) {
        sim.accessibility.clearPlacements();
        const auto label = chain(email, levels - 1)->addChild(AccessibilityRole::staticText);
        sim.accessibility.place(label, emailFrame);
        // The label is `levels` below the field: the field is element levels + 1 of the walk.
        EXPECT_EQ(service.pasteTarget(inEmail).has_value(), levels <= 11) << levels;
    }
}

TEST_F(ServiceFixture, StaleFrameSendsTheWalkToTheParent)
{
    // An inner field whose frame misses the point, inside an outer field that holds it.
    const auto outer = page->addChild(AccessibilityRole::textArea);
    outer->set(A::frame, emailFrame).set(A::title, "Notes");
    const auto inner = outer->addChild(AccessibilityRole::textField);
    inner->set(A::frame, QRectF(600, 600, 10, 10)).set(A::position, QPointF(100, 200)).set(A::size, QSizeF(300, 30));
    sim.accessibility.place(inner, emailFrame);
    const std::optional<ClipboardPasteTarget> target = service.pasteTarget(inEmail);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->field->element, outer->element()) << "position and size are not consulted once a frame exists";

    // Without a frame, position and size decide; no minimum size applies.
    inner->unset(A::frame).set(A::size, QSizeF(1, 1)).set(A::position, QPointF(150, 210));
    EXPECT_EQ(service.pasteTarget(inEmail)->field->element, inner->element());
}

TEST_F(ServiceFixture, ContainersFallBackToTheFocusedField)
{
    struct Row {
        const char *what;
        AccessibilityRole hitRole;
        QPointF point;
        bool found;
    };
    const Row rows[] = {
        {"web area, point on the focused field", AccessibilityRole::webArea, inEmail, true},
        {"group", AccessibilityRole::group, inEmail, true},
        {"toolbar", AccessibilityRole::toolbar, inEmail, true},
        {"web area, point elsewhere", AccessibilityRole::webArea, QPointF(900, 700), false},
        {"a window is no container", AccessibilityRole::window, inEmail, false},
        {"a button is no container", AccessibilityRole::button, inEmail, false},
    };
    email->setFocused();
    for (const Row &row : rows) {
        sim.accessibility.clearPlacements();
        const auto hit = page->addChild(row.hitRole);
        sim.accessibility.place(hit, QRectF(0, 0, 1000, 800));
        const std::optional<ClipboardPasteTarget> target = service.pasteTarget(row.point);
        EXPECT_EQ(target.has_value(), row.found) << row.what;
        if (target) {
            EXPECT_EQ(target->field->element, email->element()) << row.what;
        }
    }

    // A focused element that is not an editable field gives nothing.
    sim.accessibility.clearPlacements();
    sim.accessibility.place(page, QRectF(0, 0, 1000, 800));
    email->set(A::readOnly, true);
    EXPECT_FALSE(service.pasteTarget(inEmail));
}

TEST_F(ServiceFixture, DeepTreesAndCyclesEndTheWalk)
{
    // 10,000 levels of groups below the field, the point on the deepest.
    const auto deepest = chain(email, 10000);
    sim.accessibility.place(deepest, emailFrame);
    app->process().reads = 0;
    EXPECT_FALSE(service.pasteTarget(inEmail));
    EXPECT_LT(app->process().reads, 200) << "the walk looks at twelve elements";

    // A parent link that points back down.
    sim.accessibility.clearPlacements();
    const auto a = page->addChild(AccessibilityRole::group);
    const auto b = a->addChild(AccessibilityRole::staticText);
    a->setParentOverride(b);
    sim.accessibility.place(b, emailFrame);
    app->process().reads = 0;
    EXPECT_FALSE(service.pasteTarget(inEmail));
    EXPECT_LT(app->process().reads, 200);

    // A field with an absurd frame.
    sim.accessibility.clearPlacements();
    email->set(A::frame, QRectF(-1e9, -1e9, 2e9, 2e9));
    sim.accessibility.place(email, emailFrame);
    EXPECT_FALSE(service.pasteTarget(inEmail));
}

TEST_F(ServiceFixture, NothingIsResolvedInTheseCases)
{
    sim.accessibility.place(email, emailFrame);
    ASSERT_TRUE(service.pasteTarget(inEmail));

    // A point over a field in this program's own window (listed among the desktop's applications).
    const auto own = sim.accessibility.application(sim.workspace.currentApplication().pid)->addChild(AccessibilityRole::textField);
    own->set(A::frame, QRectF(0, 0, 50, 50)).set(A::placeholder, "E-mail address");
    sim.accessibility.place(own, QRectF(0, 0, 50, 50));
    EXPECT_FALSE(service.pasteTarget(QPointF(10, 10)));

    // A date field.
    email->set(A::placeholder, "Expiry date").unset(A::domIdentifier);
    EXPECT_FALSE(service.pasteTarget(inEmail));
    email->set(A::placeholder, "E-mail");

    // An application that stopped answering.
    app->process().responding = false;
    EXPECT_FALSE(service.pasteTarget(inEmail));
    app->process().responding = true;

    // An application that has quit.
    sim.workspace.terminate(browser);
    EXPECT_FALSE(service.pasteTarget(inEmail));
}

TEST_F(ServiceFixture, WithoutTrustNothingIsAsked)
{
    sim.accessibility.place(email, emailFrame);
    email->setFocused();
    email->set(A::selectedText, "me@example.com");
    sim.permissions.trusted = false;
    const int reads = app->process().reads;
    EXPECT_FALSE(service.pasteTarget(inEmail));
    EXPECT_FALSE(service.focusedFieldDescriptorForCopy(QStringLiteral("me@example.com"), QStringLiteral("firefox")));
    EXPECT_EQ(sim.accessibility.lookups(), 0);
    EXPECT_EQ(app->process().reads, reads);
}

struct CopyFixture : ServiceFixture {
    std::shared_ptr<SimAccessibilityNode> login = page->addChild(AccessibilityRole::textField);

    void SetUp() override
    {
        ServiceFixture::SetUp();
        login->set(A::title, "Username").set(A::selectedText, "jan.kowalski").set(A::selectedTextRange, AccessibilityTextRange{0, 12});
        login->setFocused();
    }
};

TEST_F(CopyFixture, CopyOfTheSelectionIsRecordedForItsField)
{
    const std::optional<FocusedFieldDescriptor> d = service.focusedFieldDescriptorForCopy(QStringLiteral("jan.kowalski"), QStringLiteral("firefox"));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->fieldType, QStringLiteral("Login"));
    EXPECT_TRUE(d->hasSelectedText);
    EXPECT_EQ(d->title, QStringLiteral("Username"));
}

TEST_F(CopyFixture, CopyRuleRows)
{
    struct Row {
        const char *what;
        QString text;
        QString selection;
        QString source;
        bool accepted;
    };
    const QString cluster = QStringLiteral("\U0001F44D\U0001F3FD"); // one cluster, four UTF-16 units
    QString clusters4096;
    for (int i = 0; i < 4096; ++i)
        clusters4096 += cluster;
    const Row rows[] = {
        {"equal to the selection", "jan.kowalski", "jan.kowalski", "firefox", true},
        {"copied in another application", "jan.kowalski", "jan.kowalski", "gedit", false},
        {"no source known", "jan.kowalski", "jan.kowalski", "", false},
        {"trailing newline", "jan.kowalski\n", "jan.kowalski", "firefox", false},
        {"case differs", "Jan.Kowalski", "jan.kowalski", "firefox", false},
        {"only spaces", "   \n", "   \n", "firefox", false},
        {"exactly 4096 clusters", clusters4096, clusters4096, "firefox", true},
        {"4097 clusters", clusters4096 + cluster, clusters4096 + cluster, "firefox", false},
        {"4097 letters", QString(4097, QLatin1Char('a')), QString(4097, QLatin1Char('a')), "firefox", false},
    };
    for (const Row &row : rows) {
        login->set(A::selectedText, row.selection);
        EXPECT_EQ(service.focusedFieldDescriptorForCopy(row.text, row.source).has_value(), row.accepted) << row.what;
    }
}

TEST_F(CopyFixture, SecretFieldsAreNeverRecordedNorTheirSelectionRead)
{
    struct Row {
        const char *what;
        AccessibilityRole role;
        std::optional<AccessibilityRole> subrole;
        const char *title;
    };
    const Row rows[] = {
        {"secure role", AccessibilityRole::secureTextField, std::nullopt, "Code"},
        {"secure subrole", AccessibilityRole::textField, AccessibilityRole::secureTextField, "Code"},
        {"password kind", AccessibilityRole::textField, std::nullopt, "Hasło"},
    };
    for (const Row &row : rows) {
        const auto secret = page->addChild(row.role);
        secret->set(A::title, row.title).set(A::selectedText, "hunter2");
        if (row.subrole)
            secret->set(A::subrole, *row.subrole);
        secret->setFocused();
        app->process().readLog.clear();
        EXPECT_FALSE(service.focusedFieldDescriptorForCopy(QStringLiteral("hunter2"), QStringLiteral("firefox"))) << row.what;
        EXPECT_FALSE(app->process().readLog.contains(A::selectedText)) << row.what;
        EXPECT_FALSE(app->process().readLog.contains(A::value)) << row.what;
    }
}

TEST_F(CopyFixture, ThisProgramAndOtherFieldsGiveNothing)
{
    // A date field in front.
    login->set(A::title, "Expiry date");
    EXPECT_FALSE(service.focusedFieldDescriptorForCopy(QStringLiteral("jan.kowalski"), QStringLiteral("firefox")));
    login->set(A::title, "Username");

    // Not editable.
    login->set(A::editable, false);
    EXPECT_FALSE(service.focusedFieldDescriptorForCopy(QStringLiteral("jan.kowalski"), QStringLiteral("firefox")));
    login->unset(A::editable);

    // This program in front, the same text selected in its own field.
    const RunningApplication own = sim.workspace.currentApplication();
    const auto ownField = sim.accessibility.application(own.pid)->addChild(AccessibilityRole::textField);
    ownField->set(A::title, "Username").set(A::selectedText, "jan.kowalski").set(A::selectedTextRange, AccessibilityTextRange{0, 12});
    ownField->setFocused();
    sim.workspace.bringToFront(own);
    EXPECT_FALSE(service.focusedFieldDescriptorForCopy(QStringLiteral("jan.kowalski"), own.applicationId));

    // Nothing in front.
    sim.workspace.clearFrontmost();
    EXPECT_FALSE(service.focusedFieldDescriptorForCopy(QStringLiteral("jan.kowalski"), QString()));
}

} // namespace
