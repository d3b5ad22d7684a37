// The built ftpbench program against the real-server fixture: a download, an
// upload and a listing, as scripts/bench runs them, and its failure exits.
#include "support/PyFtpdServer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct BenchRun {
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

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

    static BenchRun Run(const QStringList& arguments)
    {
        QProcess process;
        process.start(QStringLiteral(QFTP_FTPBENCH), arguments);
        BenchRun run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished(5000);
            run.Err = "ftpbench did not finish in time";
            return run;
        }
        run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.Out = process.readAllStandardOutput();
        run.Err = process.readAllStandardError();
        return run;
    }

    PyFtpdServer Server;
    QTemporaryDir Dir;
};

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
        EXPECT_EQ(fields[0].size(), 10) << line.constData();
        EXPECT_EQ(fields[0].at(0), name == "a folder" ? 'd' : '-') << line.constData();
        EXPECT_EQ(fields[2].count(' '), 2) << "date text: " << fields[2].constData();
        if (name == "five.txt") {
            EXPECT_EQ(fields[1], "5");
        } else if (name == "\xc3\xa9t\xc3\xa9") {
            EXPECT_EQ(fields[1], "70000");
        }
    }
    EXPECT_EQ(names, (QSet<QByteArray>{"a folder", "five.txt", "two  spaces and\ttab", "\xc3\xa9t\xc3\xa9"}));
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
