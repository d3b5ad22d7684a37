// The recent sites of the "&Connect" menu: the menu itself, and the main
// window connecting through it to the scripted server via the site list.
#include "app/ProgramStart.h"
#include "app/RecentSitesMenu.h"
#include "app/frmMain.h"
#include "sites/SiteListFile.h"
#include "sites/SiteListFixture.h"
#include "support/ScriptedFtpServer.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>

namespace {

QStringList Captions(const QMenu& menu, const QAction& separator)
{
    QStringList captions;
    const QList<QAction*> all = menu.actions();
    for (const QAction* item : all.mid(all.indexOf(&separator) + 1))
        captions.append(item->text());
    return captions;
}

TEST(RecentSiteMenu, KeepsElevenEntriesWithTheirKeysAndRestoresThemFromTheStoredList)
{
    QMenu menu;
    for (const char* fixed : {"new", "list", "link"})
        menu.addAction(fixed);
    QAction* separator = menu.addSeparator();
    QStringList store;
    TRecentSiteMenu recent(menu, *separator, store);
    EXPECT_FALSE(separator->isVisible());
    for (int i = 1; i <= 12; ++i)
        recent.Add(QStringLiteral("site %1").arg(i), "Folder");
    recent.Add("SITE 5", "folder");  // already there: keeps its place
    const QStringList expected = {"&1 site 12", "&2 site 11", "&3 site 10", "&4 site 9",
                                  "&5 site 8",  "&6 site 7",  "&7 site 6",  "&8 site 5",
                                  "&9 site 4",  "1&0 site 3", "11 site 2"};
    EXPECT_EQ(Captions(menu, *separator), expected);
    EXPECT_TRUE(separator->isVisible());
    ASSERT_EQ(store.size(), 11);
    EXPECT_EQ(store.first(), "site 12\r\nFolder");

    QMenu next;
    QAction* nextSeparator = next.addSeparator();
    QStringList stored = store;
    TRecentSiteMenu restored(next, *nextSeparator, stored);
    restored.LoadFromSettings();
    EXPECT_EQ(Captions(next, *nextSeparator), expected);
    EXPECT_EQ(stored, store);

    recent.Clear();
    EXPECT_EQ(menu.actions().size(), 4);
    EXPECT_TRUE(store.isEmpty());
    EXPECT_FALSE(separator->isVisible());
}

class RecentSitesTest : public ::testing::Test {
protected:
    RecentSitesTest()
    {
        QFile::remove(TSettings::DefaultStoreFileName());
        WriteSiteList({"Box", "Crate", "Gone"});
        Watchdog.setSingleShot(true);
        QObject::connect(&Watchdog, &QTimer::timeout, [this] {
            Fired = true;
            if (Main) Main->Ftp.Cancel();
        });
        Watchdog.start(20000);
    }
    ~RecentSitesTest() override { EXPECT_FALSE(Fired) << "a wait ran into the watchdog"; }

    static void WriteSiteList(const QByteArrayList& names)
    {
        QByteArrayList sites;
        for (const QByteArray& name : names)
            sites.append(name + "\r\n127.0.0.1\r\n1\r\nuser\r\npw\r\n\r\n\r\n");
        ASSERT_TRUE(QDir().mkpath(QFileInfo(DefaultSiteListFileName()).absolutePath()));
        ASSERT_TRUE(testfiles::Write(DefaultSiteListFileName(),
                                     FileBytes("QuilloFTP\r\n\tWork\r\n", {Record({}), Record(sites)})));
    }
    void Start()
    {
        Main = std::make_unique<TfrmMain>();
        Main->Settings().ConnectionSettings.DefaultPort = Server.Port();
    }
    QMenu& ConnectMenu() const { return *Main->findChild<QMenu*>("mnuConnect"); }
    QAction& Separator() const { return *ConnectMenu().findChild<QAction*>("mnuRecentSep"); }
    QStringList Entries() const { return Captions(ConnectMenu(), Separator()); }
    QAction* Entry(int index) const
    {
        return ConnectMenu().actions().at(Separator().isVisible() ? 4 + index : 0);
    }
    // Connects from the site list, disconnecting a running session first.
    void ConnectFromList(const char* name)
    {
        if (Main->IsConnected()) Dialogs.Answer(mrOk);
        ASSERT_TRUE(Main->frmSiteList->ConnectByName("work", name));
        ASSERT_TRUE(Main->IsConnected()) << name;
    }

    TScriptedDialogs Dialogs;
    ScriptedFtpServer Server;
    std::unique_ptr<TfrmMain> Main;
    QTimer Watchdog;
    bool Fired = false;
};

TEST_F(RecentSitesTest, SitesConnectedFromTheListSurviveARestartAndReconnectFromTheMenu)
{
    Start();
    EXPECT_FALSE(Separator().isVisible());
    for (const char* name : {"Crate", "Box", "Gone", "Box"})
        ConnectFromList(name);
    // Connecting from the list again leaves an entry where it is.
    EXPECT_EQ(Entries(), QStringList({"&1 Gone", "&2 Box", "&3 Crate"}));
    Dialogs.Answer(mrOk);  // still connected: quit anyway
    ASSERT_TRUE(Main->close());
    Main.reset();

    WriteSiteList({"Box", "Crate"});
    Start();
    EXPECT_EQ(Entries(), QStringList({"&1 Gone", "&2 Box", "&3 Crate"}));
    Entry(2)->trigger();
    EXPECT_TRUE(Main->IsConnected());
    EXPECT_EQ(Main->CurrentSite.SiteName, "Crate");
    EXPECT_EQ(Entries(), QStringList({"&1 Crate", "&2 Gone", "&3 Box"}));

    // A site gone from its folder goes from the menu at its first click.
    Entry(1)->trigger();
    EXPECT_EQ(Dialogs.Asked.back().Text, "The site could not be found from its previous parent folder");
    EXPECT_EQ(Entries(), QStringList({"&1 Crate", "&2 Box"}));
    EXPECT_EQ(Main->Settings().RecentSites, QStringList({"Crate\r\nWork", "Box\r\nWork"}));
}

TEST_F(RecentSitesTest, AddingTheCurrentSiteKeepsItsAddressWithThePortAndRemembersIt)
{
    Start();
    ConnectMenu().findChild<QAction*>("mnuOpenSiteList")->trigger();
    EXPECT_TRUE(Main->frmSiteList->isVisible());
    TSiteSettings site;
    site.SiteName = "Typed";
    site.Address = QStringLiteral("127.0.0.1:%1").arg(Server.Port());
    site.UserName = "user";
    site.Password = "pw";
    site.NormalLogin = true;
    site.Encryption = enPlainOnly;
    Main->Settings().ConnectionSettings.DefaultPort = 1;  // only the typed port reaches the server
    ASSERT_TRUE(Main->ConnectToSite(site, QString()));
    EXPECT_TRUE(Entries().isEmpty());

    Dialogs.Answer(mrYes);  // save the password
    Dialogs.OnModal([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Settings for the site \"Typed\"");
        return int(QDialog::Accepted);
    });
    Main->Actions["actAddToSitelist"]->trigger();
    EXPECT_EQ(Dialogs.Asked.back().Text, "Should the password be saved?\r\nPasswords are not encrypted.");
    const TSiteFolder* folder = Main->frmSiteList->SelectedFolder();
    ASSERT_TRUE(folder);
    const int row = folder->Settings.IndexOf("Typed");
    ASSERT_GE(row, 0);
    const TSiteSettings stored = TextToSite(folder->Settings.Sites[row].SiteText());
    EXPECT_EQ(stored.Address, site.Address);
    EXPECT_EQ(stored.Password, "pw");
    EXPECT_EQ(Entries(), QStringList{"&1 Typed"});
}

TEST_F(RecentSitesTest, TheSiteListOpensAtStartWhenTheSettingsSaySo)
{
    {
        TSettings settings;
        settings.GeneralFlags = gfOpenSiteList;
        settings.SaveGeneral();
    }
    const std::unique_ptr<TfrmMain> window = ShowMainWindow();
    EXPECT_TRUE(window->frmSiteList->isVisible());
    EXPECT_EQ(window->frmSiteList->windowTitle(), "Site list - QuilloFTP");
}

}  // namespace
