// The site list window: making, renaming, moving, finding and connecting,
// driven offscreen through its actions and the scripted dialog seam.
#include "SiteListFixture.h"

#include "support/SelectRows.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QTest>

namespace {

QByteArray SiteText(const QByteArray& name, const QByteArray& address = "host")
{
    return name + "\r\n" + address + "\r\n1\r\nuser\r\npw\r\n\r\n\r\n";
}

QString SameFolder()
{
    return QStringLiteral("Destination folder is the same as the source folder");
}

class SiteListWindowTest : public SiteListTest {
protected:
    void OpenWith(const QByteArray& tree, const QByteArrayList& records)
    {
        ASSERT_TRUE(testfiles::Write(FileName(), FileBytes(tree, records)));
        Open();
        Window->show();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }
    void SelectFolder(const QString& path, bool focus = true)
    {
        Window->SelectFolder(Folder(path));
        if (focus) Window->Folders->setFocus();
    }
    void SelectSites(const QString& path, const QList<int>& rows)
    {
        SelectFolder(path, false);
        Window->Sites->setFocus();
        SelectRows(*Window->Sites, rows);
    }
    bool Enabled(const QAction* action) const { return action->isEnabled(); }
};

TEST_F(SiteListWindowTest, NewSitesGetUniqueNamesAndATypedClashKeepsTheUniqueOne)
{
    OpenWith("Sites\r\n", {Record({})});
    QStringList titles;
    for (const char* typed : {"", "", "", "new SITE (2)"}) {
        Dialogs.OnModal([&titles, typed](QDialog& dialog) {
            titles.append(dialog.windowTitle());
            if (*typed) dialog.findChild<QLineEdit*>(QStringLiteral("edSiteName"))->setText(typed);
            return int(QDialog::Accepted);
        });
        Window->actAddSite->trigger();
    }
    EXPECT_EQ(
        titles,
        QStringList({"Settings for the site \"New site\"", "Settings for the site \"New site (2)\"",
                     "Settings for the site \"New site (3)\"", "Settings for the site \"New site (4)\""}));
    EXPECT_EQ(AskedTexts(),
              QStringList{"Parent folder already contains the site \"new SITE (2)\", object wasn't renamed"});
    EXPECT_EQ(Shown(), "Sites[New site,New site (2),New site (3),New site (4)]");
    EXPECT_EQ(FileOutline(OnDisk()), Shown());
}

TEST_F(SiteListWindowTest, CutSitesArePastedRenamedOnAClashAndAreNeverLost)
{
    OpenWith("A\r\nB\r\n", {Record({SiteText("x"), SiteText("y"), SiteText("z")}), Record({SiteText("X")})});
    SelectSites("A", {0, 1});
    Window->actCut->trigger();
    EXPECT_EQ(Shown(), "A[z]\nB[X]");
    // Another change writes the list with the cut sites where Undo puts them.
    SelectFolder("B");
    Window->actAddFolder->trigger();
    EXPECT_EQ(FileOutline(OnDisk()), "A[x,y,z]\nB[X]\n\tNew folder[]");

    Window->actPaste->trigger();
    EXPECT_EQ(AskedTexts(), QStringList{"Destination folder already contains the site \"x\".\r\n"
                                        "Moved site was renamed, the new name is: \"x (2)\""});
    EXPECT_EQ(Shown(), "A[z]\nB[X,x (2),y]\n\tNew folder[]");

    SelectSites("B", {2});
    Window->actCut->trigger();
    SelectFolder("A");
    Window->actUndo->trigger();
    EXPECT_EQ(Window->SelectedFolder(), Folder("B"));
    EXPECT_EQ(Shown(), "A[z]\nB[X,x (2),y]\n\tNew folder[]");

    // A cut still pending when the program closes goes back first.
    SelectSites("A", {0});
    Window->actCut->trigger();
    Window->SaveSiteList(true);
    EXPECT_EQ(Shown(), "A[z]\nB[X,x (2),y]\n\tNew folder[]");
    EXPECT_EQ(FileOutline(OnDisk()), Shown());
}

TEST_F(SiteListWindowTest, FolderMovesAreRefusedWhereTheyCannotGoAndRenamedOnAClash)
{
    const QByteArray tree = "A\r\n\tB\r\n\t\tC\r\nD\r\n\tb\r\n";
    const QString unmoved = "A[]\n\tB[]\n\t\tC[]\nD[]\n\tb[]";
    const struct {
        const char* destination;
        QString message;
        QString outline;
    } cases[] = {
        {"A/B", SameFolder(), unmoved},
        {"A", SameFolder(), unmoved},
        {"A/B/C", "Destination folder cannot be a sub-folder of the source folder", unmoved},
        {"D",
         "Destination folder already contains the folder \"B\".\r\n"
         "Moved folder was renamed, the new name is: \"B (2)\"",
         "A[]\nD[]\n\tb[]\n\tB (2)[]\n\t\tC[]"},
    };
    for (const auto& c : cases) {
        for (const bool drop : {false, true}) {
            SCOPED_TRACE(std::string(c.destination) + (drop ? " by drag and drop" : " by cut and paste"));
            Dialogs.Asked.clear();
            OpenWith(tree, {Record({}), Record({}), Record({}), Record({}), Record({})});
            SelectFolder("A/B");
            if (drop) {
                Window->FoldersDragDrop(false, Folder(c.destination));
            } else {
                Window->actCut->trigger();
                SelectFolder(c.destination);
                Window->actPaste->trigger();
            }
            EXPECT_EQ(AskedTexts(), QStringList{c.message});
            EXPECT_EQ(Shown(), c.outline);
            EXPECT_EQ(FileOutline(OnDisk()), c.outline);
            for (const TSiteFolder* folder : Window->Folders->Model().Top().Descendants())
                EXPECT_FALSE(folder->Cut);
            Window.reset();
        }
    }
}

TEST_F(SiteListWindowTest, FindAndFindNextCycleThroughTheFoldersHoldingTheName)
{
    OpenWith("F1\r\nF2\r\n\tF3\r\n", {Record({SiteText("alpha"), SiteText("srv")}),
                                      Record({SiteText("beta")}), Record({SiteText("a"), SiteText("Srv")})});
    const auto focusedSite = [this] {
        return Window->Sites->currentIndex().data().toString() + u'@' + Window->SelectedFolder()->Name;
    };
    Dialogs.AnswerInput("SRV");
    Window->actFindFirst->trigger();
    ASSERT_EQ(Dialogs.InputsAsked.size(), 1u);
    EXPECT_EQ(Dialogs.InputsAsked[0].Prompt, "Enter the name of the site to be searched for:");
    EXPECT_EQ(focusedSite(), "srv@F1");
    EXPECT_EQ(Window->ActivePane, TfrmSiteList::apSites);
    EXPECT_TRUE(Enabled(Window->actFindNext));
    Window->actFindNext->trigger();
    EXPECT_EQ(focusedSite(), "Srv@F3");
    Window->actFindNext->trigger();
    EXPECT_EQ(focusedSite(), "srv@F1");

    // A name no folder holds changes nothing.
    Dialogs.AnswerInput("none");
    Window->actFindFirst->trigger();
    EXPECT_EQ(focusedSite(), "srv@F1");
    EXPECT_EQ(Window->SearchText, "SRV");
    EXPECT_TRUE(Enabled(Window->actFindNext));

    // When the name is gone everywhere, Find next is done.
    for (const char* folder : {"F1", "F2/F3"}) {
        TFolderSettings& sites = Folder(folder)->Settings;
        sites.Sites[sites.IndexOf("srv")].Rename("other");
    }
    Window->actFindNext->trigger();
    EXPECT_FALSE(Enabled(Window->actFindNext));
}

TEST_F(SiteListWindowTest, ActionsFollowThePaneTheRootFolderAndAnEditInPlace)
{
    OpenWith("Root\r\n\tSub\r\n", {Record({}), Record({SiteText("s")})});
    const auto state = [this] {
        QString text;
        for (const QAction* action : {Window->actRenameItem, Window->actDeleteItem, Window->actCut,
                                      Window->actConnect, Window->actEditSite})
            text += action->isEnabled() ? u'1' : u'0';
        return text;
    };
    SelectFolder("Root");
    EXPECT_EQ(state(), "00000");
    SelectFolder("Root/Sub");
    EXPECT_EQ(state(), "11100");
    Window->Sites->setFocus();
    EXPECT_EQ(state(), "11111");
    EXPECT_EQ(Window->Sites->currentIndex().row(), 0);
    SelectFolder("Root", false);  // the site pane keeps the focus, with no sites
    EXPECT_EQ(state(), "00000");

    // While a name is edited in place only Close acts, and it ends the edit.
    SelectFolder("Root/Sub");
    Window->actRenameItem->trigger();
    ASSERT_TRUE(Window->Folders->IsEditing());
    Window->actAddFolder->trigger();
    Window->actExit->trigger();
    EXPECT_FALSE(Window->Folders->IsEditing());
    EXPECT_TRUE(Window->isVisible());
    EXPECT_EQ(Shown(), "Root[]\n\tSub[s]");
    Window->actExit->trigger();
    EXPECT_FALSE(Window->isVisible());
}

TEST_F(SiteListWindowTest, RenamingInPlaceRefusesClashesAndNamesTheFileCannotHold)
{
    OpenWith("Root\r\n\tbeta\r\n\tGamma\r\n",
             {Record({}), Record({SiteText("x"), SiteText("y")}), Record({})});
    const QString unstorable = QStringLiteral(
        "A folder name cannot begin with a blank or a tab or contain a line break, the folder wasn't "
        "renamed");
    const struct {
        const char* name;
        QString message;
    } refused[] = {
        {" lead", unstorable},
        {"\tTab", unstorable},
        {"two\nlines", unstorable},
        {"cr\rx", unstorable},
        {"GAMMA", "Parent folder already contains the folder \"GAMMA\", object wasn't renamed"},
    };
    QAbstractItemModel* folders = Window->Folders->model();
    SelectFolder("Root/beta");
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        Dialogs.Asked.clear();
        EXPECT_FALSE(folders->setData(Window->Folders->currentIndex(), QString::fromUtf8(c.name)));
        EXPECT_EQ(AskedTexts(), QStringList{c.message});
    }
    EXPECT_TRUE(folders->setData(Window->Folders->currentIndex(), "Zeta"));
    // Through the edit in place, as typed: only the case changes.
    Window->actRenameItem->trigger();
    auto* editor = qobject_cast<QLineEdit*>(Window->Folders->indexWidget(Window->Folders->currentIndex()));
    ASSERT_TRUE(editor);
    editor->setText("zeta");
    QTest::keyClick(editor, Qt::Key_Return);  // the edit ends from the event queue
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Window->Folders->IsEditing(); }, 5000));
    EXPECT_EQ(Window->windowTitle(), "Site list - zeta");
    EXPECT_EQ(Shown(), "Root[]\n\tGamma[]\n\tzeta[x,y]");  // siblings sorted
    EXPECT_EQ(FileOutline(OnDisk()), Shown());

    Dialogs.Asked.clear();
    QAbstractItemModel* sites = Window->Sites->model();
    EXPECT_FALSE(sites->setData(sites->index(0, 0), "Y"));
    EXPECT_EQ(AskedTexts(),
              QStringList{"Parent folder already contains the site \"Y\", object wasn't renamed"});
    // No longer than the site dialog allows: the file's reader takes no more.
    Dialogs.Asked.clear();
    EXPECT_FALSE(sites->setData(sites->index(0, 0), QString(SiteNameLimit + 1, u'n')));
    EXPECT_EQ(AskedTexts(),
              QStringList{"A site name can be at most 100 characters long, the site wasn't renamed"});
    Window->Sites->setFocus();
    Window->actRenameItem->trigger();
    editor = qobject_cast<QLineEdit*>(Window->Sites->indexWidget(Window->Sites->currentIndex()));
    ASSERT_TRUE(editor);
    editor->setText("z");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return !Window->Sites->indexWidget(Window->Sites->currentIndex()); }, 5000));
    EXPECT_EQ(Shown(), "Root[]\n\tGamma[]\n\tzeta[y,z]");
    EXPECT_EQ(Window->Sites->currentIndex().data().toString(), "z");
}

TEST_F(SiteListWindowTest, ConnectingReadsTheSiteFillsAnAnonymousLoginAndHidesTheList)
{
    const QByteArray anonymous = "Mirror\r\nfirst.example.org\r\n0\r\nkept\r\nkept\r\n\r\n/pub\r\n";
    OpenWith("Root\r\n\tWork\r\nWork\r\n",
             {Record({}), Record({anonymous}), Record({SiteText("Mirror", "second.example.org")})});
    // Enter in the site pane connects to the focused site.
    Settings.GeneralFlags = 0;
    SelectSites("Work", {0});
    QTest::keyClick(Window->Sites, Qt::Key_Return);
    ASSERT_EQ(Connected.size(), 1);
    EXPECT_EQ(Connected.last().first.Address, "second.example.org");
    EXPECT_EQ(Connected.last().first.UserName, "user");
    EXPECT_TRUE(Window->isVisible());

    // By name: the first folder in tree order of that name holding the site.
    Settings.GeneralFlags = gfHideSiteList;
    EXPECT_FALSE(Window->ConnectByName("Root", "Mirror"));
    ASSERT_TRUE(Window->ConnectByName("WORK", "mirror"));
    EXPECT_FALSE(Window->isVisible());
    ASSERT_EQ(Connected.size(), 2);
    const auto& [site, folder] = Connected.last();
    EXPECT_EQ(folder, "Work");
    EXPECT_EQ(site.Address, "first.example.org");
    EXPECT_EQ(site.UserName, "anonymous");
    EXPECT_EQ(site.Password, Settings.ConnectionSettings.EmailAddress);
    EXPECT_EQ(site.RemoteStartupDir, "/pub");
}

TEST_F(SiteListWindowTest, DeletingAFolderEndsAPendingMoveFromInsideIt)
{
    OpenWith("Root\r\n\tA\r\n\t\tB\r\n", {Record({}), Record({}), Record({SiteText("s")})});
    SelectSites("Root/A/B", {0});
    Window->actCut->trigger();
    SelectFolder("Root/A");
    Dialogs.Answer(mrYes);
    Window->actDeleteItem->trigger();
    EXPECT_EQ(AskedTexts(), QStringList{"Are you sure you want to delete folder \"A\" and its contents?"});
    EXPECT_FALSE(Window->CutPending);
    EXPECT_EQ(Shown(), "Root[]");

    Window->actAddFolder->trigger();
    SelectFolder("Root/New folder");
    Window->actCut->trigger();
    Dialogs.Asked.clear();
    Dialogs.Answer(mrCancel);
    Dialogs.Answer(mrOk);
    Window->actDeleteItem->trigger();
    EXPECT_EQ(Shown(), "Root[]\n\tNew folder[]");
    Window->actDeleteItem->trigger();
    const QString question = QStringLiteral(
        "The folder to be deleted is the source folder in a folder move operation.\r\nIf the folder is "
        "deleted, "
        "the operation will be cancelled.\r\nAre you sure you want to delete this folder?");
    EXPECT_EQ(AskedTexts(), QStringList({question, question}));
    EXPECT_EQ(Shown(), "Root[]");
    EXPECT_FALSE(Window->CutPending);
}

}  // namespace
