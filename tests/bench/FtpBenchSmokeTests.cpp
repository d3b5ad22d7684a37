// The built ftpbench program against the real-server fixture: a download, an
// upload and a listing, as scripts/bench runs them, the transfer window's
// tree and file transfers, and its failure exits.
#include "BenchRun.h"
#include "support/PyFtpdServer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

class FtpBenchSmoke : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Server.Start()) << Server.ErrorText().toStdString(); }

    // The address of a remote path, with the fixture's password percent-encoded.
    QString Url(const QString& encodedPath, const QByteArray& password = {}) const
    {
        const QByteArray pass = password.isNull() ? Server.Password() : password;
        return QStringLiteral("ftp://%1:%2@127.0.0.1:%3/%4")
            .arg(QString::fromLatin1(Server.User()), QString::fromLatin1(pass.toPercentEncoding()))
            .arg(Server.Port())
            .arg(encodedPath);
    }
    QString Remote(const QString& name) const { return QDir(Server.RootPath()).filePath(name); }
    QString Local(const QString& name) const { return Dir.filePath(name); }

    static BenchRun Run(const QStringList& arguments) { return RunFtpBench(arguments); }

    PyFtpdServer Server;
    QTemporaryDir Dir;
};

// Every folder and file below root by relative path: a file's bytes, or
// "<folder>" for a folder, so an empty folder counts as much as a file.
QMap<QString, QByteArray> TreeOf(const QString& root)
{
    QMap<QString, QByteArray> tree;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        tree.insert(base.relativeFilePath(info.filePath()),
                    info.isDir() ? QByteArray("<folder>") : testfiles::Read(info.filePath()));
    }
    return tree;
}

// Files of several sizes on two levels, a name with spaces, an empty file
// and an empty folder.
void WriteSampleTree(const QString& root)
{
    ASSERT_TRUE(QDir().mkpath(root + "/empty folder"));
    ASSERT_TRUE(QDir().mkpath(root + "/sub/deeper"));
    ASSERT_TRUE(testfiles::Write(root + "/top.bin", testfiles::SeededBytes(300000, 11)));
    ASSERT_TRUE(testfiles::Write(root + "/notes.txt", "one\r\ntwo\nthree"));
    ASSERT_TRUE(testfiles::Write(root + "/sub/with space.dat", testfiles::SeededBytes(4097, 12)));
    ASSERT_TRUE(testfiles::Write(root + "/sub/deeper/zero", ""));
}

TEST_F(FtpBenchSmoke, GetAndPutMoveFilesByteExact)
{
    const QByteArray payload = testfiles::SeededBytes((1 << 20) + 123, 5);
    ASSERT_TRUE(QDir(Server.RootPath()).mkdir("sub dir"));
    ASSERT_TRUE(testfiles::Write(Remote("sub dir/down load.bin"), payload));

    const BenchRun get = Run({"get", Url("sub%20dir/down%20load.bin"), Local("got.bin")});
    ASSERT_EQ(get.ExitCode, 0) << get.Err.constData();
    EXPECT_EQ(get.Out, QByteArray::number(payload.size()) + '\n');
    EXPECT_EQ(testfiles::Read(Local("got.bin")), payload);

    ASSERT_TRUE(testfiles::Write(Local("up.bin"), payload));
    const BenchRun put = Run({"put", Local("up.bin"), Url("sub%20dir/up%20load.bin")});
    ASSERT_EQ(put.ExitCode, 0) << put.Err.constData();
    EXPECT_EQ(put.Out, QByteArray::number(payload.size()) + '\n');
    EXPECT_EQ(testfiles::Read(Remote("sub dir/up load.bin")), payload);
}

TEST_F(FtpBenchSmoke, TheDataConnectionModeIsActiveUnlessPassiveIsAskedFor)
{
    ASSERT_TRUE(testfiles::Write(Remote("f.bin"), "some bytes"));
    const struct {
        QStringList options;
        bool passive;
    } cases[] = {
        {{}, false},
        {{"--active"}, false},
        {{"--passive"}, true},
        {{"--passive", "--active"}, false},
        {{"--active", "-v", "--passive"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        const BenchRun run =
            Run(QStringList{"-v"} + c.options + QStringList{"get", Url("f.bin"), Local("f.bin")});
        ASSERT_EQ(run.ExitCode, 0) << run.Err.constData();
        EXPECT_EQ(run.Out, "10\n");
        const QList<QByteArray> lines = run.Err.split('\n');
        EXPECT_EQ(lines.count("EPSV"), c.passive ? 1 : 0);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const QByteArray& l) { return l.startsWith("PORT "); }),
                  c.passive ? 0 : 1);
    }
}

TEST_F(FtpBenchSmoke, ListCountsAndPrintsParsedEntries)
{
    ASSERT_TRUE(QDir(Server.RootPath()).mkpath("listing/a folder"));
    ASSERT_TRUE(testfiles::Write(Remote("listing/five.txt"), "12345"));
    ASSERT_TRUE(testfiles::Write(Remote("listing/two  spaces and\ttab"), ""));
    ASSERT_TRUE(
        testfiles::Write(Remote(QString::fromUtf8("listing/\xc3\xa9t\xc3\xa9")), QByteArray(70000, 'x')));

    const BenchRun count = Run({"list", Url("listing/")});
    ASSERT_EQ(count.ExitCode, 0) << count.Err.constData();
    EXPECT_EQ(count.Out, "4\n");

    const BenchRun entries = Run({"list", Url("listing"), "--entries"});
    ASSERT_EQ(entries.ExitCode, 0) << entries.Err.constData();
    ASSERT_TRUE(entries.Out.endsWith('\n'));
    QSet<QByteArray> names;
    for (const QByteArray& line : entries.Out.chopped(1).split('\n')) {
        // attributes, size and date never hold a TAB; the name may.
        const QList<QByteArray> fields = line.split('\t');
        ASSERT_GE(fields.size(), 4) << line.constData();
        const QByteArray name = line.mid(fields[0].size() + fields[1].size() + fields[2].size() + 3);
        names.insert(name);
        // pyftpdlib offers "MLSD" and, once asked for it, the file mode: the
        // permission letters as "LIST" shows them; the exact time to the second.
        EXPECT_EQ(fields[0], name == "a folder" ? "drwxr-xr-x" : "-rw-r--r--") << line.constData();
        EXPECT_EQ(fields[2].count(' '), 3) << "date text: " << fields[2].constData();
        EXPECT_EQ(fields[2].count(':'), 2) << "date text: " << fields[2].constData();
        if (name == "five.txt") {
            EXPECT_EQ(fields[1], "5");
        } else if (name == "\xc3\xa9t\xc3\xa9") {
            EXPECT_EQ(fields[1], "70000");
        }
    }
    EXPECT_EQ(names, (QSet<QByteArray>{"a folder", "five.txt", "two  spaces and\ttab", "\xc3\xa9t\xc3\xa9"}));
}

// The transfer window offscreen moves a tree byte-exact both ways, binary
// whatever the extension, and one file through app-get.
TEST_F(FtpBenchSmoke, TransferWindowMovesTreesAndFilesByteExact)
{
    WriteSampleTree(Remote("tree"));
    const QMap<QString, QByteArray> sample = TreeOf(Remote("tree"));
    ASSERT_EQ(sample.size(), 7);  // three folders, four files

    const BenchRun get = Run({"mirror-get", Url("tree"), Local("got")});
    ASSERT_EQ(get.ExitCode, 0) << get.Err.constData();
    EXPECT_EQ(get.Out, "4\n");
    EXPECT_EQ(TreeOf(Local("got")), sample);

    const BenchRun put = Run({"mirror-put", Local("got"), Url("up%20here/")});
    ASSERT_EQ(put.ExitCode, 0) << put.Err.constData();
    EXPECT_EQ(put.Out, "4\n");
    EXPECT_EQ(TreeOf(Remote("up here")), sample);

    const BenchRun one = Run({"app-get", Url("tree/sub/with%20space.dat"), Local("with space.dat")});
    ASSERT_EQ(one.ExitCode, 0) << one.Err.constData();
    EXPECT_EQ(one.Out, "1\n");
    EXPECT_EQ(testfiles::Read(Local("with space.dat")), sample.value("sub/with space.dat"));
}

TEST_F(FtpBenchSmoke, TransferWindowFailuresExitNonZero)
{
    ASSERT_TRUE(testfiles::Write(Remote("there.bin"), "data"));
    // The job runs and its one file fails: the exit code must say so.
    const BenchRun missing = Run({"app-get", Url("not-there.bin"), Local("not-there.bin")});
    EXPECT_EQ(missing.ExitCode, 1) << missing.Err.constData();
    EXPECT_FALSE(QFile::exists(Local("not-there.bin")));

    const BenchRun noFolder = Run({"mirror-get", Url("no/such/folder"), Local("none")});
    EXPECT_EQ(noFolder.ExitCode, 1) << noFolder.Err.constData();

    const BenchRun wrongName = Run({"app-get", Url("there.bin"), Local("elsewhere.bin")});
    EXPECT_EQ(wrongName.ExitCode, 1);
    EXPECT_FALSE(QFile::exists(Local("elsewhere.bin")));
}

TEST_F(FtpBenchSmoke, FailuresExitNonZeroWithTheReason)
{
    ASSERT_TRUE(testfiles::Write(Remote("there.bin"), "data"));

    const BenchRun refused = Run({"get", Url("there.bin", "wrong"), Local("x")});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_TRUE(refused.Err.contains("530")) << refused.Err.constData();

    const BenchRun missing = Run({"get", Url("not-there.bin"), Local("y")});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_TRUE(missing.Err.contains("550")) << missing.Err.constData();

    const BenchRun noFolder = Run({"list", Url("no/such/folder/")});
    EXPECT_EQ(noFolder.ExitCode, 1);
    EXPECT_TRUE(noFolder.Err.contains("550")) << noFolder.Err.constData();

    const BenchRun noSource = Run({"put", Local("absent.bin"), Url("absent.bin")});
    EXPECT_EQ(noSource.ExitCode, 1);
    EXPECT_FALSE(noSource.Err.isEmpty());
    EXPECT_FALSE(QFile::exists(Remote("absent.bin")));

    for (const QStringList& wrong : {QStringList{"get", Url("there.bin")}, QStringList{"fetch"},
                                     QStringList{"list", Url(""), "--all"}}) {
        const BenchRun usage = Run(wrong);
        EXPECT_EQ(usage.ExitCode, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(usage.Err.startsWith("usage:")) << usage.Err.constData();
    }
}

}  // namespace
