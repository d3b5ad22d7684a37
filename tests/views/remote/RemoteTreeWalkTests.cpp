// The trees the remote view hands to transfers: whole or nothing, links at
// the top followed without going round, names that are paths left out.
#include "RemoteViewFixture.h"

#include "views/tree/Directory.h"

namespace {

using Commands = QByteArrayList;

const Commands Listing{"TYPE A", "PORT *", "LIST"};

QStringList DirectoryNames(const TDirectory& tree)
{
    QStringList names;
    for (int i = 0; i < tree.Contents.DirectoryCount(); ++i)
        names << tree.Contents.GetDirectory(i)->Name;
    return names;
}

class RemoteTreeWalk : public RemoteViewTest {
protected:
    // Counts what the main window answers with a "No connection" box.
    void CountConnectionRequests()
    {
        Ftp.OnConnectionRequired = [this](bool&) { ++ConnectionRequests; };
    }
    int ConnectionRequests = 0;
};

TEST_F(RemoteTreeWalk, ADroppedConnectionFailsTheWholeTreeWithoutAskingAgain)
{
    Connect();
    CountConnectionRequests();
    // The server goes away as the walk leaves "d/sub"; "pub" is still to come.
    Server.CloseControlOn("CDUP");
    Select({"d", "pub"});
    EXPECT_EQ(View.GetDirectoryTree(true, true), nullptr);
    EXPECT_EQ(Sent(),
              (Commands{"CWD d"} + Listing + Commands{"PWD", "CWD sub"} + Listing + Commands{"PWD", "CDUP"}));
    EXPECT_EQ(ConnectionRequests, 0);
    EXPECT_TRUE(Dialogs.Asked.empty());
    EXPECT_FALSE(View.IsBusy());
}

// Any directory that cannot be entered or listed fails the tree; the walk
// still returns to the view's directory.
TEST_F(RemoteTreeWalk, ADirectoryThatCannotBeReadFailsTheTree)
{
    const struct {
        const char* what;
        std::function<void(TRemoteSite&)> spoil;
        Commands sent;
    } cases[] = {
        {"refused", [](TRemoteSite& s) { s.Refused << "/d/sub"; },
         Commands{"CWD d"} + Listing + Commands{"PWD", "CWD sub", "CDUP"}},
        {"unlistable", [](TRemoteSite& s) { s.Unlistable << "/d/sub"; },
         Commands{"CWD d"} + Listing + Commands{"PWD", "CWD sub"} + Listing + Commands{"CDUP", "CDUP"}},
    };
    Connect();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.spoil(Site);
        Mark();
        Select({"d", "a.txt"});
        EXPECT_EQ(View.GetDirectoryTree(true, true), nullptr);
        EXPECT_EQ(View.GetItemTree(Row("d"), true), nullptr);
        EXPECT_EQ(Sent().mid(0, c.sent.size()), c.sent);
        EXPECT_EQ(Site.Cwd, "/");
        Site.Refused.clear();
        Site.Unlistable.clear();
    }
}

TEST_F(RemoteTreeWalk, LinksAtTheTopAreFollowedOnceOrTakenAsFiles)
{
    Site.AddLink("/d/sub/up", "/d");        // leads back to a directory above
    Site.AddLink("/d/sub/here", "/d/sub");  // leads to the directory itself
    Site.AddLink("/d/sub/gone", "/nowhere");
    Site.Refused << "/d/sub/gone";
    Connect("/d/sub");
    Select({"up", "here", "gone", "x.txt"});
    std::unique_ptr<TDirectory> tree = View.GetDirectoryTree(true, true);
    ASSERT_TRUE(tree);
    // "up" is walked, but its "sub" is where the walk began: not again.
    EXPECT_EQ(Sent(),
              (Commands{"CWD gone", "CWD here"} + Listing + Commands{"PWD", "CWD /d/sub", "CWD up"} +
               Listing + Commands{"PWD", "CWD sub"} + Listing + Commands{"PWD", "CWD /d", "CWD /d/sub"}));
    EXPECT_EQ(tree->Contents.Files, (QStringList{"gone", "x.txt"}));
    ASSERT_EQ(DirectoryNames(*tree), QStringList{"up"});
    const TDirectory& up = *tree->Contents.GetDirectory(0);
    EXPECT_EQ(up.Path, "/d");
    EXPECT_EQ(up.Contents.Files, (QStringList{"f1", "f2", "link"}));
    EXPECT_EQ(DirectoryNames(up), QStringList{});
    EXPECT_EQ(Site.Cwd, "/d/sub");
}

TEST_F(RemoteTreeWalk, NamesThatArePathsNeverBecomeEntries)
{
    const QByteArray hostile =
        "total 3\r\n"
        "drwxr-xr-x   2 ftp  ftp      4096 Jan 12 12:30 sub\r\n"
        "-rw-r--r--   1 ftp  ftp         5 Feb  5  2001 ../../.profile\r\n"
        "drwxr-xr-x   2 ftp  ftp      4096 Jan 12 12:30 x/../..\r\n"
        "drwxr-xr-x   2 ftp  ftp      4096 Jan 12 12:30 ..\r\n"
        "-rw-r--r--   1 ftp  ftp         5 Feb  5  2001 f1\r\n";
    const auto site = Ftp.OnStatus;
    Ftp.OnStatus = [&, site](QObject* sender, const QString& text) {
        site(sender, text);
        if (text == "LIST" && Site.Cwd == "/d") Server.SetData("LIST", hostile);
    };
    Connect();
    std::unique_ptr<TDirectory> tree = View.GetItemTree(Row("d"), true);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->Contents.Files, QStringList{"f1"});
    EXPECT_EQ(DirectoryNames(*tree), QStringList{"sub"});
    EXPECT_FALSE(Sent().contains("CWD x/../.."));
}

}  // namespace
