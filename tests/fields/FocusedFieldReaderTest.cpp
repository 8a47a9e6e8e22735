// Reading a field through its accessibility element: string cuts, wrong types, the editable check, the
// web-origin walk, frames, hint texts and the eligibility of a field.
#include "fields/FocusedFieldReader.h"
#include "platform/sim/SimAccessibility.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace {

using A = AccessibilityAttribute;
namespace R = FocusedFieldReader;

struct ReaderFixture : ::testing::Test {
    SimAccessibility accessibility;
    std::shared_ptr<SimAccessibilityNode> app = accessibility.application(42);
    std::shared_ptr<SimAccessibilityNode> window = app->addChild(AccessibilityRole::window);
    std::shared_ptr<SimAccessibilityNode> field = window->addChild(AccessibilityRole::textField);
};

TEST_F(ReaderFixture, StringAttributesAreTrimmedAndCut)
{
    field->set(A::title, " \n ");
    EXPECT_FALSE(R::stringAttribute(A::title, field->element()));
    field->set(A::placeholder, QStringLiteral("  ") + QString(300, QLatin1Char('p')));
    EXPECT_EQ(R::stringAttribute(A::placeholder, field->element()), QString(200, QLatin1Char('p')));
    // 199 letters, then a letter with two combining accents: the cut keeps the whole cluster.
    field->set(A::placeholder, QString(199, QLatin1Char('a')) + QStringLiteral("e\u0301\u0302zzz"));
    EXPECT_EQ(R::stringAttribute(A::placeholder, field->element()), QString(199, QLatin1Char('a')) + QStringLiteral("e\u0301\u0302"));
    field->set(A::title, 12.0);
    EXPECT_FALSE(R::stringAttribute(A::title, field->element())) << "a number is no string";
}

TEST_F(ReaderFixture, MissingAndWrongTypesGiveTheDefaults)
{
    const auto bare = window->addChild();
    EXPECT_EQ(R::accessibilityRole(bare->element()), std::nullopt);
    EXPECT_FALSE(R::isEditableTextField(bare->element()));
    EXPECT_EQ(R::descriptor(bare->element(), std::nullopt, QStringLiteral("Text")).role, QStringLiteral("unknown"));

    EXPECT_TRUE(R::isAccessibilityEnabled(field->element()));
    field->set(A::enabled, "no");
    EXPECT_TRUE(R::isAccessibilityEnabled(field->element())) << "not a Boolean: enabled";
    field->set(A::selectedTextRange, QRectF(0, 0, 5, 5));
    EXPECT_EQ(R::selectedTextLength(field->element()), 0);
    field->set(A::frame, "wide");
    EXPECT_FALSE(R::fieldFrame(FocusedFieldTarget{field->element(), {}}));
    EXPECT_FALSE(R::copyElementAttribute(A::focusedElement, app->element()));
    app->set(A::focusedElement, "not an element");
    EXPECT_FALSE(R::copyElementAttribute(A::focusedElement, app->element()));
}

struct EditableRow {
    const char *what;
    AccessibilityValue role;
    AccessibilityValue enabled, readOnly, editable;
    bool expected;
};

TEST_F(ReaderFixture, EditableCheckFollowsItsOrder)
{
    const EditableRow rows[] = {
        {"plain field", AccessibilityRole::textField, {}, {}, {}, true},
        {"area", AccessibilityRole::textArea, {}, {}, {}, true},
        {"combo box", AccessibilityRole::comboBox, {}, {}, {}, true},
        {"secure", AccessibilityRole::secureTextField, {}, {}, {}, true},
        {"button", AccessibilityRole::button, {}, {}, {}, false},
        {"role as a text", QStringLiteral("AXTextField"), {}, {}, {}, false},
        {"disabled", AccessibilityRole::textField, false, {}, {}, false},
        {"read-only wins over editable", AccessibilityRole::textField, {}, true, true, false},
        {"read-only false", AccessibilityRole::textField, {}, false, {}, true},
        {"read-only not a Boolean", AccessibilityRole::textField, {}, "yes", {}, true},
        {"editable false", AccessibilityRole::textField, {}, {}, false, false},
        {"editable number 0", AccessibilityRole::textField, {}, {}, 0.0, false},
        {"editable number 1", AccessibilityRole::textField, {}, {}, 1.0, true},
        {"editable of another type", AccessibilityRole::textField, {}, {}, "no", true},
    };
    for (const EditableRow &row : rows) {
        const auto e = window->addChild();
        e->set(A::role, row.role).set(A::enabled, row.enabled).set(A::readOnly, row.readOnly).set(A::editable, row.editable);
        EXPECT_EQ(R::isEditableTextField(e->element()), row.expected) << row.what;
    }
}

TEST_F(ReaderFixture, EmptyValueAndSelection)
{
    field->set(A::value, "");
    EXPECT_TRUE(R::isValueEmpty(field->element()));
    field->set(A::value, " ");
    EXPECT_FALSE(R::isValueEmpty(field->element()));
    field->set(A::value, 0.0);
    EXPECT_FALSE(R::isValueEmpty(field->element()));
    field->unset(A::value);
    EXPECT_FALSE(R::isValueEmpty(field->element()));
    field->set(A::value, "").set(A::characterCount, 3.0);
    EXPECT_FALSE(R::isValueEmpty(field->element())) << "the count answers first";
    field->set(A::value, "x").set(A::characterCount, 0.0);
    EXPECT_TRUE(R::isValueEmpty(field->element()));
    field->unset(A::characterCount);
    app->process().readLog.clear();
    EXPECT_FALSE(R::isValueEmpty(field->element(), true));
    EXPECT_FALSE(app->process().readLog.contains(A::value)) << "a known secret is not read";

    field->set(A::selectedTextRange, AccessibilityTextRange{4, 0});
    EXPECT_FALSE(R::descriptor(field->element(), std::nullopt, QStringLiteral("Text")).hasSelectedText);
    field->set(A::selectedTextRange, AccessibilityTextRange{4, 2});
    EXPECT_TRUE(R::descriptor(field->element(), std::nullopt, QStringLiteral("Text")).hasSelectedText);
}

TEST_F(ReaderFixture, SecureTextIsNeverReadOnlyItsCount)
{
    const auto secret = window->addChild(AccessibilityRole::secureTextField);
    secret->set(A::value, "hunter2").set(A::selectedText, "hunter2").set(A::characterCount, 7.0);
    EXPECT_TRUE(secret->element().attribute(A::value).isMissing());
    EXPECT_TRUE(secret->element().attribute(A::selectedText).isMissing());
    EXPECT_FALSE(R::isValueEmpty(secret->element()));
    secret->set(A::characterCount, 0.0);
    EXPECT_TRUE(R::isValueEmpty(secret->element()));

    const auto bySubrole = window->addChild(AccessibilityRole::textField);
    bySubrole->set(A::subrole, AccessibilityRole::secureTextField).set(A::value, "hunter2");
    EXPECT_TRUE(bySubrole->element().attribute(A::value).isMissing());
}

struct OriginRow {
    const char *what;
    AccessibilityValue url;
    std::optional<QString> origin;
};

TEST(FocusedFieldReaderOriginTest, OriginFromOneValue)
{
    const OriginRow rows[] = {
        {"upper-case scheme, port and path", "HTTPS://Shop.Example.COM:8443/cart?x=1#top",
         QStringLiteral("https://shop.example.com")},
        {"a URL object", QUrl(QStringLiteral("http://example.org/a")), QStringLiteral("http://example.org")},
        {"user info is dropped", "https://me:pw@example.net/", QStringLiteral("https://example.net")},
        {"not a URL", "just words", std::nullopt},
        {"file URL has no host", "file:///home/me/page.html", std::nullopt},
        {"a number", 3.0, std::nullopt},
        {"missing", AccessibilityValue(), std::nullopt},
    };
    for (const OriginRow &row : rows)
        EXPECT_EQ(R::webOrigin(row.url), row.origin) << row.what;
}

TEST_F(ReaderFixture, OriginWalkLooksAtTwelveElements)
{
    for (const int depth : {10, 11, 12, 13}) {
        const auto document = window->addChild(AccessibilityRole::webArea);
        document->set(A::url, "https://example.com/form");
        std::shared_ptr<SimAccessibilityNode> node = document;
        for (int i = 0; i < depth; ++i)
            node = node->addChild(AccessibilityRole::group);
        // The field itself is `depth` levels below the document.
        EXPECT_EQ(R::webOrigin(node->element()).has_value(), depth <= 11) << depth;
    }
    // A walk goes on past an element whose URL gives no origin.
    const auto document = window->addChild(AccessibilityRole::webArea);
    document->set(A::url, "https://example.com/");
    const auto frame = document->addChild(AccessibilityRole::group);
    frame->set(A::url, "about:blank");
    EXPECT_EQ(R::webOrigin(frame->addChild(AccessibilityRole::textField)->element()), QStringLiteral("https://example.com"));
}

TEST_F(ReaderFixture, OriginWalkEndsInACycle)
{
    const auto a = window->addChild(AccessibilityRole::group);
    const auto b = a->addChild(AccessibilityRole::group);
    a->setParentOverride(b);
    EXPECT_FALSE(R::webOrigin(b->element()));
    EXPECT_LE(a->process().reads, 40);
}

TEST_F(ReaderFixture, FrameNeedsMoreThanOnePointBothWays)
{
    const FocusedFieldTarget target{field->element(), {}};
    field->set(A::frame, QRectF(10, 20, 300, 24));
    EXPECT_EQ(R::fieldFrame(target), QRectF(10, 20, 300, 24));
    field->set(A::frame, QRectF(10, 20, 1, 24)).set(A::position, QPointF(5, 6)).set(A::size, QSizeF(50, 20));
    EXPECT_EQ(R::fieldFrame(target), QRectF(5, 6, 50, 20)) << "a one-point frame falls back";
    field->set(A::size, QSizeF(50, 1));
    EXPECT_FALSE(R::fieldFrame(target));
    field->set(A::frame, QRectF(100, 100, -40, -30));
    EXPECT_TRUE(R::fieldFrame(target)) << "a negative size counts by its magnitude";
    field->set(A::frame, QRectF(0, 0, 0, 0)).unset(A::position);
    EXPECT_FALSE(R::fieldFrame(target));
    for (const QRectF &absurd : {QRectF(0, 0, 1e12, 30), QRectF(qInf(), 0, 10, 10), QRectF(0, qQNaN(), 10, 10),
                                 QRectF(-5e6, 0, 10, 10)}) {
        field->set(A::frame, absurd).set(A::position, QPointF(qInf(), 0)).set(A::size, QSizeF(10, 10));
        EXPECT_FALSE(R::fieldFrame(target)) << absurd.x() << " " << absurd.width();
        EXPECT_FALSE(R::elementRect(field->element()));
    }
    field->set(A::frame, QRectF(0, 0, 0, 0)).unset(A::position);
    EXPECT_EQ(R::elementRect(field->element()), QRectF(0, 0, 0, 0)) << "the point lookup takes any size";
}

TEST_F(ReaderFixture, HintTextsInOrderWithoutRepeats)
{
    field->set(A::placeholder, " Email ")
        .set(A::title, "Email")
        .set(A::description, "   ")
        .set(A::help, 3.0)
        .set(A::identifier, "email")
        .set(A::domInputType, "email")
        .set(A::roleDescription, "text field")
        .set(A::domClassList, QStringList{" form-control ", "Email"});
    EXPECT_EQ(R::fieldHintTexts(field->element()),
              (QStringList{"Email", "email", "text field", " form-control "}));
    field->set(A::domClassList, "single");
    EXPECT_EQ(R::fieldHintTexts(field->element()).last(), QStringLiteral("single"));
}

struct TypeRow {
    const char *what;
    AccessibilityRole role;
    const char *placeholder;
    std::optional<QString> label;
};

TEST_F(ReaderFixture, EligibilityAndLabel)
{
    const TypeRow rows[] = {
        {"unclassified text field", AccessibilityRole::textField, nullptr, QStringLiteral("Text")},
        {"unclassified area", AccessibilityRole::textArea, nullptr, QStringLiteral("Text")},
        {"e-mail", AccessibilityRole::textField, "E-mail", QStringLiteral("Email")},
        {"secure whatever it says", AccessibilityRole::secureTextField, "Search", QStringLiteral("Password")},
        {"expiry date is refused", AccessibilityRole::textField, "Expiry date", std::nullopt},
        {"unclassified outside the text roles", AccessibilityRole::button, nullptr, std::nullopt},
        {"classified outside the text roles", AccessibilityRole::group, "Phone", QStringLiteral("Phone")},
    };
    for (const TypeRow &row : rows) {
        const auto e = window->addChild(row.role);
        if (row.placeholder)
            e->set(A::placeholder, row.placeholder);
        EXPECT_EQ(R::focusedFieldType(e->element()), row.label) << row.what;
    }
}

TEST_F(ReaderFixture, DescriptorReadsEveryField)
{
    const auto document = window->addChild(AccessibilityRole::webArea);
    document->set(A::url, "https://Accounts.Example.com/login");
    const auto input = document->addChild(AccessibilityRole::textField);
    input->set(A::domIdentifier, "user").set(A::identifier, " ").set(A::title, "Login").set(A::value, "");
    RunningApplication browser;
    browser.pid = 42;
    browser.applicationId = QStringLiteral("firefox");
    const FocusedFieldDescriptor d = R::descriptor(input->element(), browser, QStringLiteral("Login"));
    EXPECT_EQ(d.applicationId, QStringLiteral("firefox"));
    EXPECT_EQ(d.webOrigin, QStringLiteral("https://accounts.example.com"));
    EXPECT_EQ(d.domIdentifier, QStringLiteral("user"));
    EXPECT_FALSE(d.accessibilityIdentifier);
    EXPECT_EQ(d.title, QStringLiteral("Login"));
    EXPECT_FALSE(d.placeholder);
    EXPECT_EQ(d.role, QStringLiteral("AXTextField"));
    EXPECT_EQ(d.fieldType, QStringLiteral("Login"));
    EXPECT_TRUE(d.isEmpty);
    EXPECT_EQ(R::descriptor(input->element(), std::nullopt, QStringLiteral("Login")).applicationId, QString());
}

TEST(FocusedFieldReaderTest, StoredRoleNamesStayTheSame)
{
    // Remembered values are found again by fingerprints that hash these names.
    const std::pair<std::optional<AccessibilityRole>, const char *> rows[] = {
        {std::nullopt, "unknown"},
        {AccessibilityRole::application, "AXApplication"},
        {AccessibilityRole::window, "AXWindow"},
        {AccessibilityRole::group, "AXGroup"},
        {AccessibilityRole::toolbar, "AXToolbar"},
        {AccessibilityRole::webArea, "AXWebArea"},
        {AccessibilityRole::staticText, "AXStaticText"},
        {AccessibilityRole::button, "AXButton"},
        {AccessibilityRole::popUpButton, "AXPopUpButton"},
        {AccessibilityRole::textField, "AXTextField"},
        {AccessibilityRole::textArea, "AXTextArea"},
        {AccessibilityRole::comboBox, "AXComboBox"},
        {AccessibilityRole::secureTextField, "AXSecureTextField"},
        {AccessibilityRole::other, "AXUnknown"},
    };
    for (const auto &[role, name] : rows)
        EXPECT_EQ(R::storedRoleName(role), QString::fromLatin1(name)) << name;
}

TEST_F(ReaderFixture, AHungApplicationYieldsADescriptorOfDefaults)
{
    field->set(A::title, "Email").set(A::value, "");
    app->process().responding = false;
    const FocusedFieldDescriptor d = R::descriptor(field->element(), std::nullopt, QStringLiteral("Text"));
    EXPECT_EQ(d.role, QStringLiteral("unknown"));
    EXPECT_FALSE(d.title);
    EXPECT_FALSE(d.isEmpty);
    EXPECT_FALSE(R::isEditableTextField(field->element()));
}

} // namespace
