// The remote view against a real FTP server on loopback.
#include "RemoteSite.h"
#include "support/PyFtpdServer.h"
#include "support/TestFiles.h"

#include "views/tree/Directory.h"

#include <QDir>
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
