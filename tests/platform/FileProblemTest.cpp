#include "platform/FileProblem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

struct ErrnoCase {
    int error;
    const char *said;
};

class FileProblemTest : public ::testing::TestWithParam<ErrnoCase> {};

} // namespace

TEST_P(FileProblemTest, TheSystemsErrorBecomesPlainWordsNamingThePath)
{
    EXPECT_EQ(FileProblem::describe(GetParam().error, QStringLiteral("/home/ann/.local")).toStdString(), GetParam().said);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, FileProblemTest,
    ::testing::Values(ErrnoCase{EACCES, "permission denied on /home/ann/.local"},
                      ErrnoCase{EPERM, "permission denied on /home/ann/.local"},
                      ErrnoCase{ENOSPC, "no space left on the disk that holds /home/ann/.local"},
                      ErrnoCase{EDQUOT, "no space left on the disk that holds /home/ann/.local"},
                      ErrnoCase{EROFS, "/home/ann/.local is on a read-only file system"},
                      ErrnoCase{ENOTDIR, "/home/ann/.local is a file, not a folder"},
                      ErrnoCase{ENOENT, "/home/ann/.local does not exist"},
                      ErrnoCase{EIO, "the disk reported an input/output error on /home/ann/.local"},
                      ErrnoCase{ENAMETOOLONG, "file name too long on /home/ann/.local"}));

TEST(FileProblem, AFolderIsMadeWithItsParentsAndTheWayBlockedIsNamed)
{
    QTemporaryDir dir;
    const QString deep = QDir(dir.path()).filePath(QStringLiteral("a/b/c"));
    EXPECT_EQ(FileProblem::prepareFolder(deep), QString());
    EXPECT_TRUE(QFileInfo(deep).isDir());
    EXPECT_EQ(QFile::permissions(deep) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
    EXPECT_TRUE(QDir(deep).entryList(QDir::Files | QDir::Hidden).isEmpty()); // the write check leaves nothing

    QFile file(QDir(dir.path()).filePath(QStringLiteral("file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(FileProblem::prepareFolder(file.fileName() + QStringLiteral("/x/y")),
              QStringLiteral("%1 is a file, not a folder").arg(file.fileName()));
}
