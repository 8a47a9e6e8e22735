// Field fingerprint and scope key: the worked example, what changes a fingerprint and what does not, and
// separators inside parts that must not make two fields collide.
#include "model/FocusedFieldDescriptor.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

FocusedFieldDescriptor appField()
{
    FocusedFieldDescriptor d;
    d.applicationId = QStringLiteral("demo");
    d.role = QStringLiteral("AXTextField");
    d.title = QStringLiteral("E-mail");
    d.fieldType = QStringLiteral("Email");
    return d;
}

FocusedFieldDescriptor webField(const QString &origin)
{
    FocusedFieldDescriptor d = appField();
    d.applicationId = QStringLiteral("firefox");
    d.webOrigin = origin;
    d.domIdentifier = QStringLiteral("login-email");
    return d;
}

QString sha256(const char *text)
{
    return QString::fromLatin1(QCryptographicHash::hash(QByteArray(text), QCryptographicHash::Sha256).toHex());
}

TEST(FocusedFieldDescriptorTest, WorkedExampleHashesTheDocumentedText)
{
    EXPECT_EQ(appField().fingerprint(), sha256("app|demo|axtextfield|title:e-mail|placeholder:|type:email"));
    EXPECT_EQ(appField().scopeKey(), QStringLiteral("app:demo"));
}

using Change = void (*)(FocusedFieldDescriptor &);

struct Row {
    const char *what;
    FocusedFieldDescriptor (*base)();
    Change change;
    bool sameFingerprint;
};

FocusedFieldDescriptor httpsField() { return webField(QStringLiteral("https://shop.example.com")); }
FocusedFieldDescriptor identifiedField()
{
    FocusedFieldDescriptor d = appField();
    d.accessibilityIdentifier = QStringLiteral("email");
    return d;
}

const Row rows[] = {
    {"title differs only in case, accents and spaces", appField,
     [](FocusedFieldDescriptor &d) { d.title = QStringLiteral("  É-MAIL \n"); }, true},
    {"absent title equals empty title", appField,
     [](FocusedFieldDescriptor &d) {
         d.title.reset();
         d.placeholder = QStringLiteral("x");
     },
     false},
    {"the two flags never count", appField,
     [](FocusedFieldDescriptor &d) {
         d.hasSelectedText = true;
         d.isEmpty = true;
     },
     true},
    {"kind label changes a field without identifiers", appField,
     [](FocusedFieldDescriptor &d) { d.fieldType = QStringLiteral("Text"); }, false},
    {"a DOM identifier keeps the fingerprint when title and kind change", httpsField,
     [](FocusedFieldDescriptor &d) {
         d.title = QStringLiteral("Your e-mail");
         d.placeholder = QStringLiteral("name@example.com");
         d.fieldType = QStringLiteral("Login");
     },
     true},
    {"a web field does not depend on the browser", httpsField,
     [](FocusedFieldDescriptor &d) { d.applicationId = QStringLiteral("chromium"); }, true},
    {"another scheme is another field", httpsField,
     [](FocusedFieldDescriptor &d) { d.webOrigin = QStringLiteral("http://shop.example.com"); }, false},
    {"the role is always a part", httpsField,
     [](FocusedFieldDescriptor &d) { d.role = QStringLiteral("AXComboBox"); }, false},
    {"an empty origin is an application field", httpsField,
     [](FocusedFieldDescriptor &d) { d.webOrigin = QString(); }, false},
    {"the same identifier in two applications", identifiedField,
     [](FocusedFieldDescriptor &d) { d.applicationId = QStringLiteral("other"); }, false},
    {"an accessibility identifier keeps the fingerprint when the title changes", identifiedField,
     [](FocusedFieldDescriptor &d) { d.title = QStringLiteral("Mail"); }, true},
};

TEST(FocusedFieldDescriptorTest, WhatChangesAFingerprint)
{
    for (const Row &row : rows) {
        const FocusedFieldDescriptor before = row.base();
        FocusedFieldDescriptor after = before;
        row.change(after);
        EXPECT_EQ(before.fingerprint() == after.fingerprint(), row.sameFingerprint) << row.what;
    }
}

TEST(FocusedFieldDescriptorTest, EmptyOriginCountsAsAbsentAndBlankIdentifierStillSelectsItsBranch)
{
    FocusedFieldDescriptor emptyOrigin = appField();
    emptyOrigin.webOrigin = QString();
    EXPECT_EQ(emptyOrigin.fingerprint(), appField().fingerprint());
    EXPECT_EQ(emptyOrigin.scopeKey(), QStringLiteral("app:demo"));

    FocusedFieldDescriptor blankDom = appField();
    blankDom.domIdentifier = QStringLiteral("   ");
    EXPECT_EQ(blankDom.fingerprint(), sha256("app|demo|axtextfield|dom:"));

    FocusedFieldDescriptor web = webField(QStringLiteral("HTTPS://Shop.Example.com"));
    EXPECT_EQ(web.scopeKey(), QStringLiteral("web:https://shop.example.com"));
}

TEST(FocusedFieldDescriptorTest, SeparatorsInsidePartsDoNotCollide)
{
    // Unescaped, both would hash "app|a|r|title:x|placeholder:y|placeholder:|type:t".
    FocusedFieldDescriptor first;
    first.applicationId = QStringLiteral("a");
    first.role = QStringLiteral("r");
    first.title = QStringLiteral("x|placeholder:y");
    first.fieldType = QStringLiteral("t");
    FocusedFieldDescriptor second = first;
    second.title = QStringLiteral("x");
    second.placeholder = QStringLiteral("y|placeholder:");
    EXPECT_NE(first.fingerprint(), second.fingerprint());
    EXPECT_NE(first.fingerprint(), sha256("app|a|r|title:x|placeholder:y|placeholder:|type:t"));

    FocusedFieldDescriptor left;
    left.applicationId = QStringLiteral("app|x");
    left.role = QStringLiteral("r");
    left.domIdentifier = QStringLiteral("d");
    FocusedFieldDescriptor right;
    right.applicationId = QStringLiteral("app");
    right.role = QStringLiteral("x|r");
    right.domIdentifier = QStringLiteral("d");
    EXPECT_NE(left.fingerprint(), right.fingerprint());

    FocusedFieldDescriptor backslash = left;
    backslash.applicationId = QStringLiteral("app\\");
    backslash.role = QStringLiteral("|x|r");
    FocusedFieldDescriptor plain = left;
    plain.applicationId = QStringLiteral("app\\|x");
    plain.role = QStringLiteral("r");
    EXPECT_NE(backslash.fingerprint(), plain.fingerprint());
}

TEST(FocusedFieldDescriptorTest, FingerprintIsAlwaysSixtyFourHexDigits)
{
    const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
    QSet<QString> seen;
    for (const QString &title : {QString(), QStringLiteral("|"), QString(5000, QLatin1Char('x')), QStringLiteral("Hasło")}) {
        FocusedFieldDescriptor d = appField();
        d.title = title.isNull() ? std::nullopt : std::optional<QString>(title);
        EXPECT_TRUE(hex.match(d.fingerprint()).hasMatch()) << d.fingerprint().toStdString();
        seen.insert(d.fingerprint());
    }
    EXPECT_EQ(seen.size(), 4);
}

TEST(FocusedFieldDescriptorTest, DescriptorsDifferingOnlyInAFlagAreUnequal)
{
    FocusedFieldDescriptor a = appField();
    FocusedFieldDescriptor b = appField();
    b.hasSelectedText = true;
    EXPECT_NE(a, b);
    EXPECT_EQ(a.fingerprint(), b.fingerprint());
    b.hasSelectedText = false;
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));
    b.title.reset();
    a.title = QString();
    EXPECT_NE(a, b) << "absent equals absent only";
}

} // namespace
