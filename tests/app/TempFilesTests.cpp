// The session's private folder for opened files: folders of their own,
// what counts as changed, and where kept files go.
#include "app/TempFiles.h"
#include "support/IsolatedTempFolder.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

class TempFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Temp.IsValid() && KeepDir.isValid());
        Files.KeepFolder = KeepDir.path();
    }
    // A downloaded copy of name in a folder of its own.
    QString Downloaded(const QString& name, const QByteArray& bytes)
    {
        const QString path = QDir(Files.NewFolder()).filePath(name);
        EXPECT_TRUE(testfiles::Write(path, bytes));
        Files.Add(path, QStringLiteral("/pub"), name);
        Files.NoteDownloaded(path);
        return path;
    }

    IsolatedTempFolder Temp;
    QTemporaryDir KeepDir;
    TTempFiles Files;
};

TEST_F(TempFiles, ACopyCountsAsChangedWhenItsSizeOrTimeDiffers)
{
    const struct {
        const char* Case;
        std::function<void(const QString& path)> Change;
        bool Changed;
    } cases[] = {
        {"untouched", [](const QString&) {}, false},
        {"longer", [](const QString& path) { testfiles::Write(path, "old text, and more"); }, true},
        {"same size, saved later",
         [](const QString& path) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                          QFileDevice::FileModificationTime));
         },
         true},
        {"deleted", [](const QString& path) { QFile::remove(path); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        const QString path = Downloaded(QStringLiteral("f.txt"), "old text");
        c.Change(path);
        EXPECT_EQ(Files.Changed().size(), c.Changed ? 1 : 0);
        Files.Clear();
    }
    // Before its download ends, a file has no state to differ from.
    const QString path = QDir(Files.NewFolder()).filePath(QStringLiteral("g.txt"));
    Files.Add(path, QStringLiteral("/"), QStringLiteral("g.txt"));
    ASSERT_TRUE(testfiles::Write(path, "arriving"));
    EXPECT_TRUE(Files.Changed().isEmpty());
}

TEST_F(TempFiles, KeptFilesMoveOutUnderANameNotTaken)
{
    const struct {
        const char* Name;
        QStringList Taken;
        const char* KeptAs;
    } cases[] = {
        {"doc.txt", {}, "doc.txt"},
        {"doc.txt", {"doc.txt"}, "doc (2).txt"},
        {"doc.txt", {"doc.txt", "doc (2).txt"}, "doc (3).txt"},
        {"README", {"README"}, "README (2)"},
        {".profile", {".profile"}, ".profile (2)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QDir(KeepDir.path()).removeRecursively();
        QDir().mkpath(KeepDir.path());
        for (const QString& taken : c.Taken)
            ASSERT_TRUE(testfiles::Write(QDir(KeepDir.path()).filePath(taken), "someone else's"));
        const QString path = Downloaded(QLatin1String(c.Name), "mine");
        const QString kept = Files.Keep(Files.Files().last());
        EXPECT_EQ(kept, QDir(KeepDir.path()).filePath(QLatin1String(c.KeptAs)));
        EXPECT_EQ(testfiles::Read(kept), "mine");
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(path).path())) << "its folder goes with it";
        EXPECT_TRUE(Files.Files().isEmpty());
    }
}

TEST_F(TempFiles, AtTheEndChangedCopiesAreKeptAndTheRestGoes)
{
    QString root;
    {
        TTempFiles files;
        files.KeepFolder = KeepDir.path();
        for (const char* name : {"changed.txt", "same.txt"}) {
            const QString path = QDir(files.NewFolder()).filePath(QLatin1String(name));
            ASSERT_TRUE(testfiles::Write(path, "as downloaded"));
            files.Add(path, QStringLiteral("/"), QLatin1String(name));
            files.NoteDownloaded(path);
        }
        ASSERT_TRUE(testfiles::Write(files.Files().first().Path, "edited after the download"));
        root = files.Root();
    }
    EXPECT_FALSE(QFileInfo::exists(root));
    EXPECT_EQ(testfiles::Read(QDir(KeepDir.path()).filePath("changed.txt")), "edited after the download");
    EXPECT_FALSE(QFileInfo::exists(QDir(KeepDir.path()).filePath("same.txt")));
}

TEST_F(TempFiles, NothingOutsideTheirFoldersIsDeletedAndUnkeptChangesStay)
{
    // A path built from a hostile name reaches out of the private folder.
    const QString outside = KeepDir.filePath(QStringLiteral("precious.txt"));
    ASSERT_TRUE(testfiles::Write(outside, "the user's"));
    const QString folder = Files.NewFolder();
    const QString escaping = folder + QStringLiteral("/../../") + QFileInfo(KeepDir.path()).fileName() +
                             QStringLiteral("/precious.txt");
    Files.Add(escaping, QStringLiteral("/"), QStringLiteral("x"));
    Files.Remove(escaping);
    EXPECT_EQ(testfiles::Read(outside), "the user's");

    // An edited copy that cannot be moved out stays, with its folder.
    const QString edited = Downloaded(QStringLiteral("notes.txt"), "as downloaded");
    ASSERT_TRUE(testfiles::Write(edited, "edited, and the keep folder is a file"));
    Files.KeepFolder = outside;
    EXPECT_TRUE(Files.Keep(Files.Changed().first()).isEmpty());
    const QString root = Files.Root();
    EXPECT_EQ(Files.Clear(), root);
    EXPECT_EQ(testfiles::Read(edited), "edited, and the keep folder is a file");
    QDir(root).removeRecursively();
}

}  // namespace
