// The remote view's command sequences against the scripted server.
#include "RemoteViewFixture.h"

#include "views/tree/Directory.h"

namespace {

using Commands = QByteArrayList;

const Commands Listing{"TYPE A", "PORT *", "LIST"};

// ---- Opening, listing and moving around ----

TEST_F(RemoteViewTest, OpenListsTheLoginDirectoryOrTheStartDirectory)
{
    Ftp.Connect();
    Mark();
    View.Open({});
    // A new connection asks the system once, before its first listing.
    EXPECT_EQ(Sent(), (Commands{"PWD", "TYPE A", "SYST", "PORT *", "LIST"}));
    EXPECT_EQ(View.Directory(), "/");
    EXPECT_EQ(History.text(), "/");
    // "." and ".." are gone; directories and links come first.
    EXPECT_EQ(Rows(), RootRows);
    EXPECT_EQ(Events, (QStringList{"busy", "refreshed", "ready"}));
    Ftp.Disconnect();
    View.Reset();

    Ftp.Connect();
    Mark();
    View.Open("/pub");
    EXPECT_EQ(Sent(), (Commands{"CWD /pub", "PWD", "TYPE A", "SYST", "PORT *", "LIST"}));
    EXPECT_EQ(View.Directory(), "/pub");
    EXPECT_EQ(Rows(), QStringList{"readme.txt"});
    Ftp.Disconnect();
    View.Reset();

    // A start directory that cannot be entered leaves the login directory.
    Ftp.Connect();
    Mark();
    View.Open("/missing");
    EXPECT_EQ(Sent(), (Commands{"CWD /missing", "PWD", "TYPE A", "SYST", "PORT *", "LIST"}));
    EXPECT_EQ(View.Directory(), "/");
    EXPECT_EQ(Rows(), RootRows);
}

TEST_F(RemoteViewTest, RefreshSendsTypeAThenTheListing)
{
    Connect();
    Site.AddFile("/new.txt");
    EXPECT_TRUE(View.RefreshList());
    EXPECT_EQ(Sent(), Listing);
    EXPECT_TRUE(Rows().contains("new.txt"));
    EXPECT_TRUE(Events.contains("refreshed"));

    // A refused listing leaves the view empty and is no refresh.
    Mark();
    Site.Unlistable << "/";
    EXPECT_FALSE(View.RefreshList());
    EXPECT_EQ(Sent(), Listing);
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_FALSE(Events.contains("refreshed"));
}

TEST_F(RemoteViewTest, OnlyTheOutcomeOfTheRunningCommandCounts)
{
    // The first listing of a connection sends "SYST" on the way; its success
    // must not pass for that of a listing the server broke off.
    Server.CloseControlOn("LIST");
    Ftp.Connect();
    Mark();
    QStringList outcomes;
    ForwardOutcomes(Ftp, View, &outcomes);
    View.Open({});
    EXPECT_EQ(Sent(), (Commands{"PWD", "TYPE A", "SYST", "PORT *", "LIST"}));
    EXPECT_TRUE(outcomes.contains("success 14"));  // "SYST"
    EXPECT_FALSE(outcomes.contains("success 4"));
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_FALSE(Events.contains("refreshed"));

    // A refused "RNFR" followed by an "RNTO" the server accepts is no rename.
    Ftp.Connect();
    View.RefreshList();
    Site.AcceptOrphanRename = true;
    Site.Refused << "/a.txt";
    QString name = "z.txt";
    EXPECT_FALSE(View.RenameItem(Row("a.txt"), name));
    EXPECT_EQ(name, "a.txt");
    EXPECT_TRUE(Rows().contains("a.txt"));
}

TEST_F(RemoteViewTest, EnteringAndLeavingDirectoriesListsEachOnce)
{
    Connect();
    QStringList upper;
    View.OnGotoUpperDirectory = [&](TCustomFileListView*, const QString& dir) { upper << dir; };
    EXPECT_TRUE(View.OpenDirectory("d"));
    EXPECT_EQ(Sent(), (Commands{"CWD d", "PWD"} + Listing));
    EXPECT_EQ(View.Directory(), "/d");
    EXPECT_EQ(History.text(), "/d");
    EXPECT_EQ(Rows(), (QStringList{"link", "sub", "f1", "f2"}));

    Mark();
    EXPECT_TRUE(View.GotoUpperDirectory());
    EXPECT_EQ(Sent(), (Commands{"CDUP", "PWD"} + Listing));
    EXPECT_EQ(upper, QStringList{"/"});  // the directory now current

    // A refused "CWD" changes nothing.
    Mark();
    EXPECT_FALSE(View.OpenDirectory("nowhere"));
    EXPECT_EQ(Sent(), Commands{"CWD nowhere"});
    EXPECT_EQ(View.Directory(), "/");
    EXPECT_EQ(Rows(), RootRows);

    // The history box's path: nothing for the current one; on this Unix
    // server another letter case is another path.
    Mark();
    View.SetDirectory("/");
    View.SetDirectory("/PUB");
    View.SetDirectory("/pub");
    EXPECT_EQ(Sent(), (Commands{"CWD /PUB", "CWD /pub", "PWD"} + Listing));
    EXPECT_EQ(View.Directory(), "/pub");
}

TEST_F(RemoteViewTest, DoubleClickFollowsLinksAndDirectoriesAndReportsFiles)
{
    Connect();
    QStringList clicked;
    View.OnItemDblClick = [&](TCustomFileListView*, Qt::MouseButton, int item) {
        clicked << View.GetItemInfo(item).Name;
    };
    QTest::mouseDClick(View.viewport(), Qt::LeftButton, {},
                       View.visualRect(View.model()->index(Row("a.txt"), 0)).center());
    EXPECT_EQ(clicked, QStringList{"a.txt"});
    EXPECT_TRUE(Sent().isEmpty());

    QTest::mouseDClick(View.viewport(), Qt::LeftButton, {},
                       View.visualRect(View.model()->index(Row("lnk"), 0)).center());
    EXPECT_EQ(Sent(), (Commands{"CWD lnk", "PWD"} + Listing));
    EXPECT_EQ(View.Directory(), "/pub");
}

// ---- New directories ----

TEST_F(RemoteViewTest, CreateDirectoryMakesANameUniqueOrReportsItTaken)
{
    Site.AddDirectory("/new_directory");
    Connect();
    EXPECT_EQ(View.CreateDirectory("new_directory", true, true), 0);
    EXPECT_EQ(Sent(), (Commands{"MKD new_directory_2"} + Listing));
    // The new directory is selected with its name open for editing.
    EXPECT_TRUE(View.IsEditing());
    EXPECT_EQ(View.GetItemInfo(View.FocusedItem()).Name, "new_directory_2");
    CancelEdit();

    Mark();
    EXPECT_EQ(View.CreateDirectory("new_directory", true, false), 1);
    CancelEdit();  // the taken name is offered for editing
    EXPECT_EQ(View.CreateDirectory("a.txt", false, false), 1);
    EXPECT_TRUE(Sent().isEmpty());

    // On a Unix server names differ by case.
    EXPECT_EQ(View.CreateDirectory("NEW_DIRECTORY", false, false), 0);
    EXPECT_EQ(Sent(), Commands{"MKD NEW_DIRECTORY"});

    // On a Unix server another letter case is another directory: the new
    // one is offered for its name, never the old one.
    Site.AddDirectory("/Fresh");
    View.SetSortType(stSize);  // equal sizes: the listing's order, "Fresh" first
    View.RefreshList();
    Mark();
    EXPECT_EQ(View.CreateDirectory("fresh", true, true), 0);
    EXPECT_EQ(Sent(), (Commands{"MKD fresh"} + Listing));
    EXPECT_EQ(View.GetItemInfo(View.FocusedItem()).Name, "fresh");
    EXPECT_EQ(View.SelectedItems(), QList<int>{View.FocusedItem()});
    CancelEdit();

    // Made meanwhile by someone else: the server refuses.
    Site.AddDirectory("/later");
    Mark();
    EXPECT_EQ(View.CreateDirectory("later", false, false), -1);
    EXPECT_EQ(Sent(), Commands{"MKD later"});
    EXPECT_EQ(Row("later"), -1);
}

TEST_F(RemoteViewTest, AWindowsServerComparesNamesWithoutCase)
{
    // Its system answer names no system the client knows, so the view asks
    // again and looks for the Windows NT mark itself.
    Server.SetReply("SYST", "215 Windows_NT\r\n");
    Site.AddDirectory("/newdir");
    Connect();
    EXPECT_EQ(Server.MaskedCommands().mid(3), (Commands{"PWD", "TYPE A", "SYST", "PORT *", "LIST", "SYST"}));
    EXPECT_TRUE(View.ServerIgnoresCase());
    EXPECT_EQ(Ftp.Vendor, vnWindowsNT);
    EXPECT_EQ(View.CreateDirectory("NewDir", false, false), 1);
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(RemoteViewTest, ADirectoryAddedWithoutListingCountsAsOneUntilTheNextListing)
{
    Connect();
    ASSERT_EQ(View.CreateDirectory("made", false, false), 0);
    EXPECT_EQ(Sent(), Commands{"MKD made"});
    const int made = Row("made");
    ASSERT_EQ(made, RootRows.size());  // appended, not sorted in
    EXPECT_TRUE(View.IsDirectoryItem(made));
    EXPECT_EQ(View.model()->index(made, 4).data().toString(), "");  // Attributes column blank
    EXPECT_EQ(View.model()->index(made, 1).data().toString(), "");  // no size

    // Deleting it walks it as a directory.
    Site.AddFile("/made/inner.txt");
    Mark();
    EXPECT_TRUE(View.DeleteItems(made, false));
    EXPECT_EQ(Sent(), (Commands{"CWD made", "PWD"} + Listing + Commands{"DELE inner.txt", "CDUP", "PWD"} +
                       Listing + Commands{"RMD made"}));
    EXPECT_FALSE(Site.Exists("/made"));
}

// ---- Renaming ----

TEST_F(RemoteViewTest, RenameSendsBothNamesAndReportsTheOldOne)
{
    Connect();
    QStringList renamed;
    View.OnRenameItem = [&](TCustomFileListView*, int item, const QString& old) {
        renamed << old + " -> " + View.GetItemInfo(item).Name;
    };
    QString name = "my notes.txt";
    EXPECT_TRUE(View.RenameItem(Row("a.txt"), name));
    EXPECT_EQ(Sent(), (Commands{"RNFR a.txt", "RNTO my notes.txt"}));
    EXPECT_EQ(renamed, QStringList{"a.txt -> my notes.txt"});
    EXPECT_TRUE(Site.Exists("/my notes.txt"));
    // The list keeps its order until the next listing.
    EXPECT_EQ(Rows()[3], "my notes.txt");

    // The same name, or a refused rename, changes nothing on the view.
    Mark();
    name = "b.txt";
    EXPECT_FALSE(View.RenameItem(Row("b.txt"), name));
    EXPECT_TRUE(Sent().isEmpty());
    Site.Refused << "/b.txt";
    name = "e.txt";
    EXPECT_FALSE(View.RenameItem(Row("b.txt"), name));
    EXPECT_EQ(Sent(), (Commands{"RNFR b.txt", "RNTO e.txt"}));  // the client sends both
    EXPECT_EQ(name, "b.txt");
    EXPECT_EQ(renamed.size(), 1);
}

// Servers replace an existing target without a word: the user is asked
// first, and the list never shows the name twice.
TEST_F(RemoteViewTest, RenamingOntoAListedNameAsksBeforeReplacingIt)
{
    Connect();
    Dialogs.Answer(mrNo);
    QString name = "b.txt";
    EXPECT_FALSE(View.RenameItem(Row("a.txt"), name));
    EXPECT_EQ(name, "a.txt");
    EXPECT_TRUE(Sent().isEmpty());
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Kind, bkYesNo);
    EXPECT_EQ(Dialogs.Asked[0].Text, "\"b.txt\" already exists. Replace it?");
    EXPECT_TRUE(Dialogs.Asked[0].Alert);

    Dialogs.Answer(mrYes);
    name = "b.txt";
    EXPECT_TRUE(View.RenameItem(Row("a.txt"), name));
    EXPECT_EQ(Sent(), (Commands{"RNFR a.txt", "RNTO b.txt"}));
    EXPECT_EQ(Rows(), (QStringList{"d", "lnk", "pub", "b.txt", "c.txt"}));
    EXPECT_EQ(View.GetItemInfo(Row("b.txt")).Size, 1234u);  // the renamed one
    EXPECT_FALSE(Site.Exists("/a.txt"));
}

// ---- Deleting ----

TEST_F(RemoteViewTest, SelectedItemsGoFromTheLastAndStopAtTheFirstFailure)
{
    Connect();
    Select({"a.txt", "b.txt", "c.txt"});
    AllowDeletions = false;
    EXPECT_FALSE(View.DeleteItems(-1, true));
    EXPECT_EQ(Events, QStringList{"deleting 3 '' 0"});
    EXPECT_TRUE(Sent().isEmpty());

    AllowDeletions = true;
    Site.Refused << "/b.txt";
    Mark();
    QStringList deleted;
    View.OnDeleteItem = [&](TCustomFileListView*) { deleted << "deleted"; };
    EXPECT_FALSE(View.DeleteItems(-1, true));
    EXPECT_EQ(Sent(), (Commands{"DELE c.txt", "DELE b.txt"}));
    EXPECT_EQ(Rows(), (QStringList{"d", "lnk", "pub", "a.txt", "b.txt"}));
    EXPECT_EQ(deleted, QStringList{"deleted"});
    EXPECT_TRUE(Site.Exists("/a.txt"));

    // One given item is named in the question.
    Mark();
    EXPECT_TRUE(View.DeleteItems(Row("a.txt"), false));
    EXPECT_EQ(Events.first(), "deleting 1 'a.txt' 0");
    EXPECT_EQ(Sent(), Commands{"DELE a.txt"});
}

TEST_F(RemoteViewTest, RecursiveDeleteEmptiesEachLevelBeforeRemovingIt)
{
    Connect();
    EXPECT_TRUE(View.DeleteItems(Row("d"), false));
    EXPECT_EQ(Events.first(), "deleting 1 'd' 1");
    // Links and directories first in each level's order; the link inside
    // goes by "DELE" and its target is never entered.
    EXPECT_EQ(Sent(),
              (Commands{"CWD d", "PWD"} + Listing + Commands{"DELE link", "CWD sub", "PWD"} + Listing +
               Commands{"DELE x.txt", "CDUP", "PWD"} + Listing +
               Commands{"RMD sub", "DELE f1", "DELE f2", "CDUP", "PWD"} + Listing + Commands{"RMD d"}));
    EXPECT_FALSE(Site.Exists("/d"));
    EXPECT_EQ(Site.Names("/pub"), QStringList{"readme.txt"});
    EXPECT_EQ(View.Directory(), "/");
    EXPECT_EQ(Rows(), RootRows.mid(1));
}

TEST_F(RemoteViewTest, RecursiveDeleteStaysWhereItFailed)
{
    Site.AddFile("/d/sub/w.txt");
    Connect();
    Site.Refused << "/d/sub/x.txt";
    EXPECT_FALSE(View.DeleteItems(Row("d"), false));
    EXPECT_EQ(Sent(), (Commands{"CWD d", "PWD"} + Listing + Commands{"DELE link", "CWD sub", "PWD"} +
                       Listing + Commands{"DELE w.txt", "DELE x.txt"}));
    EXPECT_EQ(View.Directory(), "/d/sub");
    // What went before the failure is gone from the rows too.
    EXPECT_EQ(Rows(), QStringList{"x.txt"});
    EXPECT_TRUE(Site.Exists("/d/f1"));

    // A directory that cannot be listed is never judged empty.
    Site.Refused.clear();
    Site.Unlistable << "/d/sub";
    View.GotoUpperDirectory();
    Mark();
    EXPECT_FALSE(View.DeleteItems(Row("sub"), false));
    EXPECT_EQ(Sent(), (Commands{"CWD sub", "PWD"} + Listing));
    EXPECT_TRUE(Site.Exists("/d/sub/x.txt"));
}

TEST_F(RemoteViewTest, LinksAreDeletedAsFilesWhateverTheSettings)
{
    Connect();
    EXPECT_TRUE(View.DeleteItems(Row("lnk"), false));
    EXPECT_EQ(Events.first(), "deleting 1 'lnk' 0");
    EXPECT_EQ(Sent(), Commands{"DELE lnk"});
    EXPECT_EQ(Site.Names("/pub"), QStringList{"readme.txt"});

    // Without recursion a directory gets "RMD" alone, which a non-empty one refuses.
    View.SetRecursiveDeletions(false);
    View.SetConfirmDeletions(false);
    Site.AddLink("/lnk2", "/pub");
    View.RefreshList();
    Mark();
    EXPECT_TRUE(View.DeleteItems(Row("lnk2"), false));
    EXPECT_FALSE(View.DeleteItems(Row("d"), false));
    EXPECT_EQ(Sent(), (Commands{"DELE lnk2", "RMD d"}));
    EXPECT_TRUE(Events.filter("deleting").isEmpty());
    EXPECT_TRUE(Rows().contains("d"));
}

TEST_F(RemoteViewTest, TheWalksNeverEnterDotEntriesListedBelowTheTop)
{
    // This server sends "." and ".." last. They stay on show, but no walk may
    // enter them: "." is the directory itself, ".." holds what nobody chose.
    Site.DotsLast = true;
    Connect();
    EXPECT_TRUE(Rows().contains(".") && Rows().contains(".."));
    std::unique_ptr<TDirectory> tree = View.GetItemTree(Row("d"), true);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->Contents.Files, (QStringList{"f1", "f2", "link"}));
    ASSERT_EQ(tree->Contents.DirectoryCount(), 1);
    EXPECT_EQ(tree->Contents.GetDirectory(0)->Contents.Files, QStringList{"x.txt"});
    EXPECT_EQ(tree->Contents.GetDirectory(0)->Contents.DirectoryCount(), 0);

    EXPECT_TRUE(View.DeleteItems(Row("d"), false));
    EXPECT_FALSE(Site.Exists("/d"));
    EXPECT_EQ(Site.Names("/"), (QStringList{"a.txt", "b.txt", "c.txt", "lnk", "pub"}));
    EXPECT_EQ(Site.Names("/pub"), QStringList{"readme.txt"});

    // Nor is either of them deleted when chosen.
    Mark();
    Select({"..", "."});
    EXPECT_FALSE(View.DeleteItems(-1, true));
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(Site.Names("/"), (QStringList{"a.txt", "b.txt", "c.txt", "lnk", "pub"}));
}

TEST_F(RemoteViewTest, DeletionFollowsTheChosenNamesWhenTheListingChanges)
{
    Site.AddDirectory("/e");
    Connect();
    // While "e" is being removed someone adds "c"; the fresh listing of the
    // root then has it at the index "d" had.
    View.OnDirectoryChange = [this](TCustomFileListView*, const QString&) {
        if (View.Directory() == "/e") Site.AddDirectory("/c");
    };
    Select({"d", "e"});
    EXPECT_TRUE(View.DeleteItems(-1, true));
    EXPECT_TRUE(Site.Exists("/c"));
    EXPECT_FALSE(Site.Exists("/d"));
    EXPECT_FALSE(Site.Exists("/e"));
    EXPECT_EQ(Sent().last(), "RMD d");
    EXPECT_TRUE(Rows().contains("c"));
    EXPECT_FALSE(Rows().contains("d"));
}

// ---- Permissions ----

TEST_F(RemoteViewTest, ChangeModeGoesItemByItemAndListsAgainOnSuccess)
{
    Connect();
    Select({"a.txt", "b.txt"});
    EXPECT_TRUE(View.ChangeMode(-1, true, 644));
    EXPECT_EQ(Sent(), (Commands{"SITE chmod 644 a.txt", "SITE chmod 644 b.txt"} + Listing));

    Mark();
    Select({"a.txt", "b.txt"});  // the listing cleared the selection
    Server.QueueReply("SITE", "550 Not permitted\r\n");
    EXPECT_FALSE(View.ChangeMode(-1, true, 600));
    EXPECT_EQ(Sent(), Commands{"SITE chmod 600 a.txt"});

    Mark();
    EXPECT_TRUE(View.ChangeMode(Row("c.txt"), false, 755));
    EXPECT_EQ(Sent(), (Commands{"SITE chmod 755 c.txt"} + Listing));
}

// ---- Trees ----

TEST_F(RemoteViewTest, ItemTreesWalkTheServerAndLeaveTheViewAlone)
{
    Connect();
    std::unique_ptr<TDirectory> tree = View.GetItemTree(Row("d"), true);
    ASSERT_TRUE(tree);
    EXPECT_EQ(Sent(), (Commands{"CWD d"} + Listing + Commands{"PWD", "CWD sub"} + Listing +
                       Commands{"PWD", "CDUP", "CDUP"}));
    EXPECT_EQ(tree->Name, "d");
    EXPECT_EQ(tree->Path, "/d");
    // A link below the top is a file, named without its target.
    EXPECT_EQ(tree->Contents.Files, (QStringList{"f1", "f2", "link"}));
    ASSERT_EQ(tree->Contents.DirectoryCount(), 1);
    const TDirectory* sub = tree->Contents.GetDirectory(0);
    EXPECT_EQ(sub->Path, "/d/sub");
    EXPECT_EQ(sub->Contents.Files, QStringList{"x.txt"});
    EXPECT_EQ(View.Directory(), "/");
    EXPECT_EQ(Rows(), RootRows);

    Mark();
    tree = View.GetItemTree(Row("d"), false);
    ASSERT_TRUE(tree);
    EXPECT_EQ(Sent(), (Commands{"CWD d"} + Listing + Commands{"PWD", "CDUP"}));
    EXPECT_TRUE(tree->Contents.GetDirectory(0)->IsEmpty());

    Mark();
    EXPECT_EQ(View.GetItemTree(Row("a.txt"), true), nullptr);
    EXPECT_EQ(Sent(), Commands{"CWD a.txt"});
}

TEST_F(RemoteViewTest, ATreeTakenThroughALinkReturnsToTheViewsDirectory)
{
    Site.AddFile("/f1");
    Connect("/d");
    // "link" leads to /pub, whose parent is "/", not "/d".
    std::unique_ptr<TDirectory> tree = View.GetItemTree(Row("link"), true);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->Contents.Files, QStringList{"readme.txt"});
    EXPECT_EQ(Sent(), (Commands{"CWD link"} + Listing + Commands{"PWD", "CWD /d"}));
    // So the names the view shows still mean its own entries.
    EXPECT_TRUE(View.DeleteItems(Row("f1"), false));
    EXPECT_FALSE(Site.Exists("/d/f1"));
    EXPECT_TRUE(Site.Exists("/f1"));
}

TEST_F(RemoteViewTest, DirectoryTreesOfTheSelection)
{
    Connect();
    Select({"lnk", "a.txt"});
    std::unique_ptr<TDirectory> flat = View.GetDirectoryTree(false, true);
    ASSERT_TRUE(flat);
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(flat->Path, "/");
    EXPECT_EQ(flat->Contents.Files, QStringList{"a.txt"});
    ASSERT_EQ(flat->Contents.DirectoryCount(), 1);
    EXPECT_EQ(flat->Contents.GetDirectory(0)->Name, "lnk");

    // At the top a link is followed.
    std::unique_ptr<TDirectory> deep = View.GetDirectoryTree(true, true);
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->Contents.GetDirectory(0)->Contents.Files, QStringList{"readme.txt"});

    Ftp.Disconnect();
    EXPECT_EQ(View.GetDirectoryTree(true, true), nullptr);
}

// ---- Disconnection and failures ----

TEST_F(RemoteViewTest, ResetAfterADisconnectEmptiesTheViewAndEndsBusy)
{
    Connect();
    QStringList dirs;
    View.OnDirectoryChange = [&](TCustomFileListView*, const QString& old) { dirs << old; };
    // As the main window does on a lost connection, in the middle of a listing.
    Ftp.OnDisconnect = [this](QObject*) {
        Ftp.Cancel();
        View.Reset();
    };
    Server.CloseControlOn("LIST");
    EXPECT_FALSE(View.RefreshList());
    EXPECT_FALSE(Ftp.Connected());
    EXPECT_EQ(Events, (QStringList{"busy", "ready"}));
    EXPECT_FALSE(View.IsBusy());
    EXPECT_EQ(dirs, QStringList{"/"});
    EXPECT_EQ(View.Directory(), "");
    EXPECT_EQ(History.text(), "");
    EXPECT_EQ(View.ItemCount(), 0);
    EXPECT_EQ(Ftp.Vendor, vnNotDetected);

    // Not ready any more: nothing is tried.
    EXPECT_FALSE(View.IsReady());
    EXPECT_FALSE(View.RefreshList());
    EXPECT_EQ(View.CreateDirectory("x", true, true), -1);
    EXPECT_FALSE(View.OpenDirectory("pub"));
    EXPECT_FALSE(View.SendCommand("NOOP"));
}

TEST_F(RemoteViewTest, ClientErrorsEndInTheViewAndTimeOutsAreReported)
{
    Connect();
    int timeOuts = 0;
    View.OnTimeOut = [&](TCustomFileListView*) { ++timeOuts; };
    // A name that would put a second command on the wire never leaves.
    EXPECT_EQ(View.CreateDirectory("x\r\nDELE a.txt", false, false), -1);
    EXPECT_TRUE(Sent().isEmpty());

    // A failure nobody handles raises in the client; the view reports false.
    Ftp.OnFailure = nullptr;
    EXPECT_FALSE(View.SendCommand("NOOP"));
    EXPECT_EQ(timeOuts, 0);

    Ftp.Expire();
    EXPECT_FALSE(View.SendCommand("NOOP"));
    EXPECT_EQ(timeOuts, 1);
    EXPECT_TRUE(View.IsReady());
}

TEST_F(RemoteViewTest, TheClientIsSwappedOnlyWhileNeitherIsConnected)
{
    TResumableFtp other;
    Ftp.Connect();
    EXPECT_FALSE(View.SetFtpControl(&other));
    EXPECT_EQ(View.FtpControl(), &Ftp);
    Ftp.Disconnect();
    EXPECT_TRUE(View.SetFtpControl(&other));
    EXPECT_TRUE(other.ParseList);
    EXPECT_FALSE(View.IsReady());
}

}  // namespace
