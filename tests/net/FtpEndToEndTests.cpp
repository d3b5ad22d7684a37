// The engine against a real FTP server on loopback.
#include "support/EngineRecorder.h"
#include "support/IsolatedTempFolder.h"
#include "support/PyFtpdServer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using testfiles::Read;
using testfiles::SeededBytes;

void WriteFile(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(testfiles::Write(path, bytes)) << path.toStdString();
}

// Each case runs in active and in passive mode.
class FtpEndToEnd : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Temp.IsValid());
        ASSERT_TRUE(Ftp.TemporaryDirectory().startsWith(QFileInfo(Temp.Path()).canonicalFilePath() + "/"));
        ASSERT_TRUE(Server.Start()) << Server.ErrorText().toStdString();
        SetUpTestClient(Ftp, Server.Port(), Server.User(), Server.Password());
        Ftp.PassiveMode = GetParam();
        Ftp.ParseList = true;
        // As the main window does: a closed control connection ends any wait.
        Ftp.OnDisconnect = [this](QObject*) { Ftp.Cancel(); };
    }
    void TearDown() override
    {
        EXPECT_FALSE(Log.WatchdogFired());
        if (Ftp.Connected()) Ftp.Disconnect();
    }
    QString Remote(const QString& name) const { return QDir(Server.RootPath()).filePath(name); }
    QString Local(const QString& name) const { return Dir.filePath(name); }

    PyFtpdServer Server;
    QTemporaryDir Dir;
    // Resumed transfers pass through the temporary folder.
    IsolatedTempFolder Temp;
    TResumableFtp Ftp;
    EngineRecorder Log{Ftp, 60000};
};

INSTANTIATE_TEST_SUITE_P(DataConnection, FtpEndToEnd, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

TEST_P(FtpEndToEnd, LoginIsAcceptedOrRefused)
{
    Ftp.Connect();
    EXPECT_TRUE(Ftp.Connected());
    Ftp.Disconnect();
    EXPECT_FALSE(Ftp.Connected());

    Ftp.Password = "wrong";
    try {
        Ftp.Connect();
        FAIL() << "a wrong password was accepted";
    } catch (const FTPException& e) {
        EXPECT_TRUE(e.ReplyLine().startsWith("530")) << e.ReplyLine().constData();
    }
    EXPECT_FALSE(Ftp.Connected());
}

TEST_P(FtpEndToEnd, ListingIsParsed)
{
    QDir(Server.RootPath()).mkdir("sub dir");
    WriteFile(Remote("a file.txt"), "12345");
    Ftp.Connect();
    Ftp.SetTransferType(1);
    Ftp.ListDirectory();
    ASSERT_NE(Ftp.DirectoryList(), nullptr);
    QByteArrayList names = Ftp.DirectoryList()->NameList;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (QByteArrayList{"a file.txt", "sub dir"}));
    EXPECT_EQ(Ftp.Vendor, vnUnix);
}

TEST_P(FtpEndToEnd, BinaryTransfersAreByteExact)
{
    Ftp.Connect();
    Ftp.SetTransferType(2);
    for (qsizetype size : {qsizetype(0), qsizetype(1), qsizetype(3 << 20) + 17}) {
        const QByteArray payload = SeededBytes(size, quint32(size));
        const QString name = QStringLiteral("bin%1").arg(size);
        WriteFile(Local(name), payload);
        Ftp.StoreFile(Local(name), name.toUtf8());
        EXPECT_EQ(Read(Remote(name)), payload) << size;
        Ftp.RetrieveFile(name.toUtf8(), Local(name + ".back"));
        EXPECT_EQ(Read(Local(name + ".back")), payload) << size;
    }
    // The mode asked for is the one that moved the data.
    EXPECT_EQ(Log.Status.count("EPSV"), GetParam() ? 6 : 0);
    EXPECT_EQ(Log.Status.filter(QRegularExpression("^PORT 127,0,0,1,\\d+,\\d+$")).size(), GetParam() ? 0 : 6);
}

TEST_P(FtpEndToEnd, TextModeConvertsLineEndsBothWays)
{
    Ftp.Connect();
    Ftp.SetTransferType(1);
    WriteFile(Local("notes.txt"), "first\nsecond\n\nlast");
    Ftp.StoreFile(Local("notes.txt"), "notes.txt");
    // The server stores text with its own (Unix) line ends.
    EXPECT_EQ(Read(Remote("notes.txt")), "first\nsecond\n\nlast");
    Ftp.RetrieveFile("notes.txt", Local("back.txt"));
    EXPECT_EQ(Read(Local("back.txt")), "first\nsecond\n\nlast");
}

TEST_P(FtpEndToEnd, ResumedTransfersEndByteExact)
{
    const QByteArray payload = SeededBytes(1 << 20, 42);
    WriteFile(Remote("down.bin"), payload);
    WriteFile(Local("down.bin"), payload.left(300000));
    WriteFile(Local("up.bin"), payload);
    WriteFile(Remote("up.bin"), payload.left(123457));
    Ftp.Connect();
    Ftp.SetTransferType(2);
    Ftp.ResumeDownload(Local("down.bin"), "down.bin", 300000);
    EXPECT_EQ(Read(Local("down.bin")), payload);
    Ftp.ResumeUpload(Local("up.bin"), "up.bin", 123457);
    EXPECT_EQ(Read(Remote("up.bin")), payload);
}

TEST_P(FtpEndToEnd, AbortedDownloadKeepsItsPartAndTheClientGoesOn)
{
    WriteFile(Remote("big.bin"), SeededBytes(32 << 20, 8));
    Ftp.Connect();
    Ftp.SetTransferType(2);
    Ftp.OnPacketRecvd = [this](QObject*) {
        if (Ftp.DataReceivedBytes() > (1 << 20)) Ftp.Abort();
    };
    EXPECT_THROW(Ftp.RetrieveFile("big.bin", Local("big.bin")), EAbortError);
    const qint64 kept = QFileInfo(Local("big.bin")).size();
    EXPECT_GT(kept, 1 << 20);
    EXPECT_LT(kept, 32 << 20);
    Ftp.OnPacketRecvd = nullptr;
    EXPECT_EQ(Ftp.CurrentDirectory(), "/");
    EXPECT_EQ(Ftp.ReplyCode(), 257);
    WriteFile(Remote("small"), "small file");
    Ftp.RetrieveFile("small", Local("small"));
    EXPECT_EQ(Read(Local("small")), "small file");
}

TEST_P(FtpEndToEnd, ReplacingUploadKeepsTheOldFileUntilTheNewOneIsComplete)
{
    const QByteArray old = SeededBytes(200000, 1);
    const QByteArray payload = SeededBytes(8 << 20, 2);
    WriteFile(Remote("keep.bin"), old);
    WriteFile(Local("keep.bin"), payload);
    const auto remoteEntries = [this] {
        return QDir(Server.RootPath()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    Ftp.Connect();
    Ftp.SetTransferType(2);

    Ftp.OnPacketSent = [this](QObject*) {
        if (Ftp.DataSentBytes() > (1 << 20)) Ftp.Abort();
    };
    EXPECT_THROW(Ftp.StoreFileReplacing(Local("keep.bin"), "keep.bin"), EAbortError);
    Ftp.OnPacketSent = nullptr;
    EXPECT_EQ(Read(Remote("keep.bin")), old);
    EXPECT_EQ(remoteEntries(), QStringList{"keep.bin"});
    EXPECT_FALSE(Log.Events.contains("success 9"));

    Ftp.StoreFileReplacing(Local("keep.bin"), "keep.bin");
    EXPECT_EQ(Read(Remote("keep.bin")), payload);
    EXPECT_EQ(remoteEntries(), QStringList{"keep.bin"});
    EXPECT_EQ(Log.Events.count("success 9"), 1);

    // Text mode goes the same way, with the server's line ends.
    WriteFile(Remote("notes.txt"), "old notes\n");
    WriteFile(Local("notes.txt"), "new\r\nnotes\r\n");
    Ftp.SetTransferType(1);
    Ftp.StoreFileReplacing(Local("notes.txt"), "notes.txt");
    EXPECT_EQ(Read(Remote("notes.txt")), "new\nnotes\n");
    EXPECT_EQ(remoteEntries(), (QStringList{"keep.bin", "notes.txt"}));
}

TEST_P(FtpEndToEnd, ResumeOffsetAboveFourGigabytesReachesTheServerExactly)
{
    // A sparse remote file of 4 GiB + 10 bytes; only its last bytes are fetched.
    const qint64 offset = (4LL << 30) + 3;
    {
        QFile sparse(Remote("sparse.bin"));
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        ASSERT_TRUE(sparse.seek(offset));
        ASSERT_EQ(sparse.write("tail bytes"), 10);
    }
    // The local part is sparse too: only the merge point matters.
    {
        QFile local(Local("sparse.bin"));
        ASSERT_TRUE(local.open(QIODevice::WriteOnly));
        ASSERT_TRUE(local.resize(offset));
    }
    Ftp.Connect();
    Ftp.SetTransferType(2);
    Ftp.ResumeDownload(Local("sparse.bin"), "sparse.bin", offset);
    EXPECT_TRUE(Log.Status.contains(QStringLiteral("REST %1").arg(offset)));
    QFile local(Local("sparse.bin"));
    ASSERT_TRUE(local.open(QIODevice::ReadOnly));
    EXPECT_EQ(local.size(), offset + 10);
    ASSERT_TRUE(local.seek(offset));
    EXPECT_EQ(local.readAll(), "tail bytes");
}

bool HasIPv6Loopback()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHostIPv6);
}

// The server on "::1": the data connection is made with "EPSV" (passive) or
// "EPRT" (active), since "PASV" and "PORT" know only IPv4 addresses.
class FtpOverIPv6 : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (!HasIPv6Loopback()) GTEST_SKIP() << "this machine has no IPv6 loopback";
        ASSERT_TRUE(Server.Start()) << Server.ErrorText().toStdString();
        SetUpTestClient(Ftp, Server.Port(), Server.User(), Server.Password());
        Ftp.Host = QStringLiteral("::1");
        Ftp.PassiveMode = GetParam();
        Ftp.ParseList = true;
    }
    void TearDown() override { EXPECT_FALSE(Log.WatchdogFired()); }

    PyFtpdServer Server{false, QStringLiteral("::1")};
    QTemporaryDir Dir;
    TFtpClient Ftp;
    EngineRecorder Log{Ftp, 30000};
};

INSTANTIATE_TEST_SUITE_P(DataConnection, FtpOverIPv6, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

TEST_P(FtpOverIPv6, ListsAndTransfersByteExact)
{
    const QByteArray payload = SeededBytes(300000, 6);
    WriteFile(Dir.filePath("up.bin"), payload);
    Ftp.Connect();
    EXPECT_EQ(Ftp.RemoteAddressText(), "::1");
    Ftp.SetTransferType(2);
    Ftp.StoreFile(Dir.filePath("up.bin"), "six.bin");
    EXPECT_EQ(Read(QDir(Server.RootPath()).filePath("six.bin")), payload);
    Ftp.RetrieveFile("six.bin", Dir.filePath("back.bin"));
    EXPECT_EQ(Read(Dir.filePath("back.bin")), payload);
    Ftp.ListDirectory();
    EXPECT_EQ(Ftp.DirectoryList()->NameList, QByteArrayList{"six.bin"});
    const QStringList asked = Log.Status.filter(QRegularExpression("^(EPSV|PASV|EPRT|PORT)"));
    const QRegularExpression expected(GetParam() ? "^EPSV$" : "^EPRT \\|2\\|::1\\|\\d+\\|$");
    EXPECT_EQ(asked.filter(expected).size(), 3) << asked.join(", ").toStdString();
    EXPECT_EQ(asked.size(), 3) << asked.join(", ").toStdString();
}

}  // namespace
