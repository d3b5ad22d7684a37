// The remote view against a real FTP server on loopback.
#include "RemoteSite.h"
#include "support/PyFtpdServer.h"
#include "support/TestFiles.h"

#include "views/tree/Directory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class RemoteViewEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Server.Start()) << Server.ErrorText().toStdString();
        SetUpTestClient(Ftp, Server.Port(), Server.User(), Server.Password());
        Ftp.OnDisconnect = [this](QObject*) { Ftp.Cancel(); };
        ForwardOutcomes(Ftp, View);
        ASSERT_TRUE(View.SetFtpControl(&Ftp));
        View.resize(600, 400);
        View.show();
    }
    void TearDown() override
    {
        EXPECT_FALSE(Dog.Fired());
        if (Ftp.Connected()) Ftp.Disconnect();
    }
    QString OnServer(const QString& path) const { return QDir(Server.RootPath()).filePath(path); }
    void Put(const QString& path)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(OnServer(path)).path()));
        ASSERT_TRUE(testfiles::Write(OnServer(path), "some bytes\n"));
    }
    int Row(const QString& name) const { return int(Captions(View).indexOf(name)); }

    PyFtpdServer Server;
    TResumableFtp Ftp;
    TFtpFileListView View;
    TWatchdog Dog{Ftp, 60000};
};

TEST_F(RemoteViewEndToEnd, BrowseCreateRenameAndDeleteATree)
{
    Put("tree/sub/deep.txt");
    Put("tree/a file.txt");
    Put("top.txt");
    Ftp.Connect();
    View.Open({});
    EXPECT_EQ(View.Directory(), "/");
    EXPECT_EQ(Captions(View), (QStringList{"tree", "top.txt"}));

    ASSERT_TRUE(View.OpenDirectory("tree"));
    EXPECT_EQ(View.Directory(), "/tree");
    EXPECT_EQ(Captions(View), (QStringList{"sub", "a file.txt"}));
    ASSERT_TRUE(View.GotoUpperDirectory());
    EXPECT_EQ(View.Directory(), "/");

    std::unique_ptr<TDirectory> tree = View.GetItemTree(Row("tree"), true);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->Path, "/tree");
    EXPECT_EQ(tree->Contents.Files, QStringList{"a file.txt"});
    ASSERT_EQ(tree->Contents.DirectoryCount(), 1);
    EXPECT_EQ(tree->Contents.GetDirectory(0)->Contents.Files, QStringList{"deep.txt"});

    ASSERT_EQ(View.CreateDirectory("new_directory", true, true), 0);
    EndCaptionEdit(View);
    EXPECT_TRUE(QFileInfo(OnServer("new_directory")).isDir());
    QString name = "renamed dir";
    EXPECT_TRUE(View.RenameItem(Row("new_directory"), name));
    EXPECT_TRUE(QFileInfo(OnServer("renamed dir")).isDir());

    EXPECT_TRUE(View.DeleteItems(Row("tree"), false));
    EXPECT_FALSE(QFileInfo::exists(OnServer("tree")));
    EXPECT_EQ(View.Directory(), "/");
    EXPECT_EQ(Captions(View), (QStringList{"renamed dir", "top.txt"}));
}

}  // namespace

TEST_F(RemoteViewEndToEnd, MlsdListingFillsTheColumnsWithSpacedAndUtf8NamesAndLinks)
{
    Put("sub dir/x.txt");
    Put("a.txt");
    Put("\xc3\xbcn\xc3\xaf.txt");
    ASSERT_TRUE(QFile::link("a.txt", OnServer("link")));
    ASSERT_TRUE(QFile::link("sub dir", OnServer("dirlink")));
    ASSERT_TRUE(QFile::link("nowhere", OnServer("dangling")));
    const QDateTime written(QDate(2021, 3, 4), QTime(5, 6, 7), Qt::UTC);
    QFile file(OnServer("a.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
    file.close();

    Ftp.Connect();
    ASSERT_TRUE(Ftp.MlsdOffered());
    EXPECT_TRUE(Ftp.Utf8Offered());
    View.Open({});
    const auto cell = [this](const QString& name, int column) {
        return View.model()->index(Row(name), column).data().toString();
    };
    const QString utf8Name = QString::fromUtf8("\xc3\xbcn\xc3\xaf.txt");
    for (const QString& name : {QStringLiteral("sub dir"), QStringLiteral("a.txt"), utf8Name,
                                QStringLiteral("link"), QStringLiteral("dirlink")})
        EXPECT_GE(Row(name), 0) << name.toStdString();
    EXPECT_EQ(cell(utf8Name, 0), utf8Name);
    // pyftpdlib describes a link by what it leads to, and leaves out one
    // that leads nowhere.
    EXPECT_EQ(Row("dangling"), -1);
    EXPECT_TRUE(View.IsDirectoryItem(Row("sub dir")));
    EXPECT_TRUE(View.IsDirectoryItem(Row("dirlink")));
    EXPECT_FALSE(View.IsDirectoryItem(Row("link")));
    EXPECT_TRUE(cell("sub dir", 4).startsWith(u'd'));
    EXPECT_TRUE(cell("a.txt", 4).startsWith(u'-'));
    // The exact size, and the time in local time to the second.
    EXPECT_EQ(View.GetItemFacts(Row("a.txt")).Size, 11u);
    EXPECT_EQ(View.GetItemFacts(Row("link")).Size, 11u);
    EXPECT_EQ(cell("a.txt", 3), written.toLocalTime().toString("MMM d yyyy hh:mm:ss"));
    EXPECT_EQ(DateTimeToQDateTime(View.GetItemFacts(Row("a.txt")).Date), written);
    EXPECT_TRUE(cell("sub dir", 1).isEmpty());
    EXPECT_FALSE(cell("a.txt", 1).isEmpty());

    ASSERT_TRUE(View.OpenDirectory("sub dir"));
    EXPECT_EQ(View.Directory(), "/sub dir");
    EXPECT_EQ(Captions(View), QStringList{"x.txt"});

    // Forced back to "LIST", the same folder shows the same entries.
    const QStringList byMlsd = Captions(View);
    Ftp.ForceList = true;
    ASSERT_TRUE(View.RefreshList());
    EXPECT_EQ(Captions(View), byMlsd);
}
