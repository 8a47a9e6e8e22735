// What the make targets do, read from make's own dry run: `make run` and `make build` build the program
// alone (a newcomer's first minute is not spent compiling every test), `make bench` still builds the
// benchmarks, `make test` the sanitized debug build and the Release build of everything.
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QString dryRun(const QString &target)
{
    QProcess make;
    make.setWorkingDirectory(QStringLiteral(TAVLEN_SOURCE_DIR));
    make.start(QStringLiteral("make"), {QStringLiteral("-n"), target});
    if (!make.waitForFinished(30000) || make.exitCode() != 0)
        return QStringLiteral("<make -n %1 failed: %2>").arg(target, QString::fromUtf8(make.readAllStandardError()));
    return QString::fromUtf8(make.readAllStandardOutput());
}

struct Row {
    const char *target;
    QStringList present;
    QStringList absent;
};

TEST(BuildScripts, EachMakeTargetBuildsWhatItIsFor)
{
    const Row rows[] = {
        {"run",
         {"-DBUILD_TESTING=OFF", "-DTAVLEN_BENCHMARKS=OFF", "cmake --build build/release --target tavlen",
          "scripts/run-tavlen build/release/tavlen"},
         {"-DTAVLEN_BENCHMARKS=ON", "-DBUILD_TESTING=ON"}},
        {"build",
         {"-DBUILD_TESTING=OFF", "-DTAVLEN_BENCHMARKS=OFF", "cmake --build build/release --target tavlen"},
         {"run-tavlen", "-DTAVLEN_BENCHMARKS=ON", "-DTAVLEN_WERROR=ON"}},
        // The benchmarks and the helper windows some of them drive.
        {"bench",
         {"-DTAVLEN_BENCHMARKS=ON -DBUILD_TESTING=ON", "cmake --build build/release --target tavlen benchmarks\n",
          "scripts/test-env"},
         {"--target tavlen\n"}},
        // The Release build with every test and benchmark is built too, warnings as errors in both.
        {"test",
         {"-DCMAKE_BUILD_TYPE=Debug -DTAVLEN_SANITIZE=ON -DTAVLEN_WERROR=ON",
          "-B build/release-check -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVLEN_WERROR=ON",
          "cmake --build build/release-check\n", "scripts/run-tests build/debug"},
         {"-DBUILD_TESTING=OFF", "-DTAVLEN_BENCHMARKS=OFF"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.target);
        const QString commands = dryRun(QString::fromLatin1(row.target));
        for (const QString &text : row.present)
            EXPECT_TRUE(commands.contains(text)) << "missing " << text.toStdString() << " in:\n" << commands.toStdString();
        for (const QString &text : row.absent)
            EXPECT_FALSE(commands.contains(text)) << "unexpected " << text.toStdString() << " in:\n"
                                                  << commands.toStdString();
    }
}

} // namespace
