// Remembered field values against the test desktop's real gnome-keyring, through Tavlen's own composition
// in processes of their own: values of every shape come back exactly after a restart, the values sit in the
// keyring under Tavlen's service, and neither the data folder nor anything Tavlen prints holds a value.

#include "DesktopTest.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

namespace {

class FieldValuesDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TAVLEN_REQUIRE_DESKTOP();
        environment.insert("XDG_DATA_HOME", home.path() + "/data");
        environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
    }

    // Runs the helper; everything it printed goes to `output` for the leak check.
    QList<QByteArray> run(const QStringList &arguments)
    {
        const auto result = DesktopTest::run(DesktopTest::helperPath("tavlen_field_values"), arguments, 20000, {},
                                             environment);
        output += result.standardOutput + result.standardError;
        EXPECT_TRUE(result.succeeded()) << result.error.toStdString();
        return result.standardOutput.trimmed().split('\n');
    }

    QList<QByteArray> record(const QString &kind, const QList<QByteArray> &values)
    {
        QStringList arguments{"record", kind};
        for (const QByteArray &value : values)
            arguments << QString::fromLatin1(value.toHex());
        return run(arguments);
    }

    // The values offered for the field, with their display values.
    QList<QPair<QByteArray, QByteArray>> suggest(const QString &kind)
    {
        QList<QPair<QByteArray, QByteArray>> offered;
        for (const QByteArray &line : run({"suggest", kind})) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 3 && parts[0] == "suggestion")
                offered.append({QByteArray::fromHex(parts[1]), parts[2] == "-" ? QByteArray() : QByteArray::fromHex(parts[2])});
        }
        return offered;
    }

    // Every file under the private home that contains `needle`.
    QStringList filesContaining(const QByteArray &needle) const
    {
        QStringList found;
        QDirIterator files(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(needle))
                found.append(file.fileName());
        }
        return found;
    }

    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QByteArray output;
};

TEST_F(FieldValuesDesktopTest, ValuesOfEveryShapeComeBackAfterARestart)
{
    const QList<QByteArray> values{
        "  spaced out  ",
        "first line\nsecond line",
        QByteArray("nul\0inside", 10),
        QStringLiteral(u"klucz \U0001F511 \U0001F469\u200D\U0001F4BB").toUtf8(),
        QStringLiteral(u"\u0645\u0631\u062D\u0628\u0627 \u05E9\u05DC\u05D5\u05DD").toUtf8(),
    };
    const QList<QByteArray> recorded = record("Text", values);
    EXPECT_EQ(recorded, QList<QByteArray>(values.size(), "recorded 1"));

    QList<QByteArray> offered;
    for (const auto &suggestion : suggest("Text"))
        offered.append(suggestion.first);
    // Newest first.
    QList<QByteArray> expected(values.rbegin(), values.rend());
    EXPECT_EQ(offered, expected);
}

TEST_F(FieldValuesDesktopTest, NoValueReachesTheDataFolderOrTheOutput)
{
    const QByteArray password = "Pa55-unique-7d1c";
    const QByteArray login = "login-unique-93ab";
    EXPECT_EQ(record("Login", {login}), QList<QByteArray>{"recorded 1"});
    EXPECT_EQ(record("Password", {password}), QList<QByteArray>{"recorded 1"});

    const auto offered = suggest("Password");
    ASSERT_EQ(offered.size(), 1);
    EXPECT_EQ(offered.first().first, password);
    // Shown masked: the display value is never the password.
    EXPECT_FALSE(offered.first().second.isEmpty());
    EXPECT_FALSE(offered.first().second.contains(password));
    EXPECT_EQ(suggest("Login").value(0).first, login);

    EXPECT_TRUE(QFile::exists(home.path() + "/data/trevik.tavlen/focused-field-associations.store"));
    for (const QByteArray &value : {password, login}) {
        EXPECT_EQ(filesContaining(value), QStringList{}) << value.constData();
        EXPECT_FALSE(output.contains(value)) << value.constData();
    }
}

} // namespace
