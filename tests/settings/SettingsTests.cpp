// The settings object against the store in the test's own XDG_CONFIG_HOME.
#include "settings/Settings.h"

#include "settings/ToolTipSwitch.h"
#include "support/dialogs/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const QStringList ExpectedDefaultExtensions = {"asm", "bat", "c",    "cpp", "css",   "diz", "h",
                                               "hpp", "htm", "html", "inc", "inf",   "ini", "java",
                                               "js",  "log", "pas",  "pl",  "shtml", "txt", "xml"};

// Every field in one readable text, so two records compare in one go.
std::string Fields(const TSettings& s)
{
    const TConnectionSettings& c = s.ConnectionSettings;
    QString text;
    QDebug(&text) << "general" << int(s.GeneralFlags) << "transfer" << int(s.TransferFlags) << "connection"
                  << c.Retries << c.RetryDelay << c.DefaultPort << c.ProxyPort << c.UseProxy << c.ProxyAddress
                  << c.EmailAddress << "data connection" << s.PassiveMode << "keep-alive" << s.KeepAlive
                  << s.KeepAliveSeconds << "dirs" << s.LastDir << s.LastLogName << "main" << s.MainWidth
                  << s.MainHeight << s.MainMaximized << s.MainSizeRemembered << "log" << s.LogHeight
                  << "site list" << s.SiteListWidth << s.SiteListHeight << s.SiteListSelection << "ext"
                  << s.TextExtensions << "recent" << s.RecentSites << "sorting" << s.LocalSortKey
                  << s.LocalSortDescending << s.RemoteSortKey << s.RemoteSortDescending;
    return text.toStdString();
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(StoreFile); }

    // Writes values the way another run of the program (or a damaged file) left them.
    void Store(const QString& name, const QVariant& value)
    {
        QSettings(StoreFile, QSettings::IniFormat).setValue(name, value);
    }

    QVariant Stored(const QString& name) const
    {
        return QSettings(StoreFile, QSettings::IniFormat).value(name);
    }

    // What a fresh store loads (pinned down field by field in its own test).
    static std::string DefaultFields()
    {
        QTemporaryDir dir;
        TSettings fresh(dir.filePath("fresh.ini"));
        fresh.LoadAll();
        return Fields(fresh);
    }

    const QString StoreFile = TSettings::DefaultStoreFileName();
    TScriptedDialogs Dialogs;  // any error box is recorded, never shown
};

TEST_F(SettingsTest, StoreIsTheIniFileOfVantrelQuilloFtpInTheConfigFolder)
{
    EXPECT_EQ(StoreFile, qEnvironmentVariable("XDG_CONFIG_HOME") + "/Vantrel/QuilloFTP.ini");
}

TEST_F(SettingsTest, FreshStoreGivesEveryDefaultAndIsCreated)
{
    TSettings settings;
    settings.LoadAll();

    EXPECT_TRUE(QFileInfo::exists(StoreFile));
    EXPECT_EQ(settings.GeneralFlags, 6);
    EXPECT_EQ(settings.TransferFlags, 3);
    const TConnectionSettings& connection = settings.ConnectionSettings;
    EXPECT_EQ(connection.Retries, 0);
    EXPECT_EQ(connection.RetryDelay, 20);
    EXPECT_EQ(connection.DefaultPort, 21);
    EXPECT_EQ(connection.ProxyPort, 0);
    EXPECT_FALSE(connection.UseProxy);
    EXPECT_EQ(connection.ProxyAddress, "");
    EXPECT_EQ(connection.EmailAddress, "quilloftp@example.org");
    EXPECT_TRUE(settings.PassiveMode);
    EXPECT_TRUE(settings.KeepAlive);
    EXPECT_EQ(settings.KeepAliveSeconds, 60);
    EXPECT_EQ(settings.LastDir, QDir::currentPath());
    EXPECT_EQ(settings.LastLogName, QDir::currentPath() + "/QFTPLog.txt");
    EXPECT_EQ(settings.MainWidth, 639);
    EXPECT_EQ(settings.MainHeight, 461);
    EXPECT_FALSE(settings.MainMaximized);
    EXPECT_FALSE(settings.MainSizeRemembered);
    EXPECT_EQ(settings.LogHeight, 100);
    EXPECT_EQ(settings.SiteListWidth, 425);
    EXPECT_EQ(settings.SiteListHeight, 322);
    EXPECT_EQ(settings.SiteListSelection, 0);
    EXPECT_EQ(settings.TextExtensions, ExpectedDefaultExtensions);
    EXPECT_TRUE(settings.RecentSites.isEmpty());
    EXPECT_TRUE(Dialogs.Asked.empty());
}

TEST_F(SettingsTest, EveryGroupComesBackFromTheStore)
{
    TSettings written;
    written.GeneralFlags = gfOpenSiteList;
    written.TransferFlags = tfConfirmOverwrite;
    written.ConnectionSettings = {
        2, 45, 2121, 8080, true, "proxy.local", QString::fromUtf8("m\xC3\xA4x@example.org")};
    written.LastDir = QString::fromUtf8("/home/caf\xC3\xA9, \"quoted\"");
    written.LastLogName = "/tmp/log;file.txt";
    written.MainWidth = 800;
    written.MainHeight = 600;
    written.MainMaximized = true;
    written.MainSizeRemembered = true;  // what the store tells once it holds a size
    written.LogHeight = 140;
    written.SiteListWidth = 300;
    written.SiteListHeight = 200;
    written.SiteListSelection = 4;
    written.TextExtensions = {"md", "RST"};
    written.RecentSites = {"Site A\r\nFolder", "Site=B\r\n[Top]"};
    written.LocalSortKey = 2;
    written.LocalSortDescending = true;
    written.RemoteSortKey = 3;
    written.PassiveMode = false;
    written.KeepAlive = false;
    written.KeepAliveSeconds = 3600;
    written.SaveWindowSettings();
    written.SaveRecentSites();
    written.SaveSiteListSettings();
    written.SaveTextExtensions();
    written.SaveGeneral();
    written.SaveTransfer();
    written.SaveConnection();
    written.SavePaneSorting();

    TSettings reread;
    reread.LoadAll();
    EXPECT_EQ(Fields(reread), Fields(written));
}

TEST_F(SettingsTest, StoredValuesHaveTheirDesignedKindsAndLayouts)
{
    TSettings settings;
    settings.GeneralFlags = 5;
    settings.MainWidth = 0x01020304;
    settings.TextExtensions = {"txt", "md"};
    settings.RecentSites = {"one", "two"};
    settings.SaveGeneral();
    settings.SaveWindowSettings();
    settings.SaveSiteListSettings();
    settings.SaveConnection();
    settings.SaveTextExtensions();
    settings.SaveRecentSites();

    // Little-endian 32-bit numbers; texts with a length byte in 75 bytes of room.
    const auto bytes = [](std::initializer_list<int> values) {
        QByteArray out;
        for (int value : values)
            out.append(char(value));
        return out;
    };
    const auto shortText = [](const QByteArray& text) {
        return char(text.size()) + text + QByteArray(75 - text.size(), '\0');
    };
    EXPECT_EQ(Stored("General").toString(), "5");
    EXPECT_EQ(Stored("MainSize").toByteArray().toHex(), bytes({4, 3, 2, 1, 0xCD, 1, 0, 0, 0}).toHex());
    EXPECT_EQ(Stored("Sitelist").toByteArray().toHex(),
              bytes({0xA9, 1, 0, 0, 0x42, 1, 0, 0, 0, 0, 0, 0}).toHex());
    EXPECT_EQ(Stored("Connection").toByteArray().toHex(),
              (bytes({0, 0, 0, 0, 20, 0, 0, 0, 21, 0, 0, 0, 0, 0, 0, 0, 0}) + shortText("") +
               shortText("quilloftp@example.org"))
                  .toHex());
    EXPECT_EQ(Stored("Ext").toString(), "txt\r\nmd\r\n");
    EXPECT_EQ(Stored("Recent/0").toString(), "one");
    EXPECT_EQ(Stored("Recent/1").toString(), "two");
}

TEST_F(SettingsTest, SavingOneGroupLeavesTheOthersAsStored)
{
    TSettings settings;
    settings.MainWidth = 1000;
    settings.TransferFlags = 0;
    settings.RecentSites = {"unsaved"};
    settings.GeneralFlags = gfShowToolTips;
    settings.SaveGeneral();

    TSettings reread;
    reread.LoadAll();
    EXPECT_EQ(reread.GeneralFlags, gfShowToolTips);
    EXPECT_EQ(reread.MainWidth, 639);
    EXPECT_EQ(reread.TransferFlags, 3);
    EXPECT_TRUE(reread.RecentSites.isEmpty());
}

TEST_F(SettingsTest, SavingFewerRecentSitesDropsTheOldTail)
{
    TSettings settings;
    settings.RecentSites = {"a", "b", "c"};
    settings.SaveRecentSites();
    settings.RecentSites = {"z"};
    settings.SaveRecentSites();
    settings.LoadRecentSites();
    EXPECT_EQ(settings.RecentSites, QStringList({"z"}));
    EXPECT_FALSE(Stored("Recent/1").isValid());
}

TEST_F(SettingsTest, FlagsKeepOnlyTheirDesignedBits)
{
    Store("General", 15);
    Store("Transfer", 255);
    TSettings settings;
    settings.LoadAll();
    EXPECT_EQ(settings.GeneralFlags, 7);
    EXPECT_EQ(settings.TransferFlags, 3);

    settings.GeneralFlags = 0xFF;
    settings.SaveGeneral();
    EXPECT_EQ(Stored("General").toInt(), 7);
}

TEST_F(SettingsTest, DamagedValuesReadAsTheirDefaults)
{
    const QByteArray connection = PackConnection({9, 9, 9, 9, true, "p", "e@x.y"});
    Store("General", "lots");
    Store("Transfer", "99999999999");
    Store("LastDir", QByteArray("/bytes"));
    Store("LastLogName", QStringList({"a", "b"}));
    Store("MainSize", PackMainSize(1, 2, true).left(8));
    Store("Sitelist", "string, not bytes");
    Store("Connection", connection + '\0');
    Store("Ext", 12);
    Store("LogHeight", "tall");
    Store("LocalSort", 4);  // one past the last key
    Store("RemoteSort", -1);
    Store("RemoteSortDescending", "yes");
    Store("PassiveMode", 2);
    Store("KeepAlive", "off");
    Store("KeepAliveSeconds", QByteArray("60"));

    TSettings settings;
    settings.LoadAll();
    EXPECT_EQ(Fields(settings), DefaultFields());
    EXPECT_TRUE(Dialogs.Asked.empty());
}

TEST_F(SettingsTest, KeepAliveSecondsOutsideTheirRangeReadAsTheDefault)
{
    const struct {
        QVariant Stored;
        qint32 Read;
    } cases[] = {
        {10, 10}, {3600, 3600}, {9, 60}, {3601, 60}, {0, 60}, {-30, 60}, {"45", 45}, {"45s", 60},
    };
    for (const auto& c : cases) {
        Store("KeepAliveSeconds", c.Stored);
        TSettings settings;
        settings.LoadConnection();
        EXPECT_EQ(settings.KeepAliveSeconds, c.Read) << c.Stored.toString().toStdString();
    }
}

TEST_F(SettingsTest, NewConnectionValuesLeaveTheConnectionRecordAtItsSize)
{
    TSettings settings;
    settings.PassiveMode = false;
    settings.KeepAlive = false;
    settings.KeepAliveSeconds = 120;
    settings.SaveConnection();
    EXPECT_EQ(Stored("Connection").toByteArray().size(), ConnectionRecordSize);
    EXPECT_EQ(Stored("PassiveMode").toString(), "0");
    EXPECT_EQ(Stored("KeepAlive").toString(), "0");
    EXPECT_EQ(Stored("KeepAliveSeconds").toString(), "120");
}

TEST_F(SettingsTest, MainSizeStoredAsTextReadsAsDefaults)
{
    Store("MainSize", "800x600");
    TSettings settings;
    settings.LoadWindowSettings();
    EXPECT_EQ(settings.MainWidth, 639);
    EXPECT_EQ(settings.MainHeight, 461);
    EXPECT_FALSE(settings.MainMaximized);
}

TEST_F(SettingsTest, LogHeightThatIsNoHeightReadsAsTheDefault)
{
    for (const QVariant& stored : {QVariant(0), QVariant(-40), QVariant("")}) {
        Store("LogHeight", stored);
        TSettings settings;
        settings.LoadWindowSettings();
        EXPECT_EQ(settings.LogHeight, DefaultLogHeight) << stored.toString().toStdString();
    }
}

TEST_F(SettingsTest, EmptyExtensionListGivesTheDefaults)
{
    Store("Ext", "");
    TSettings settings;
    settings.LoadTextExtensions();
    EXPECT_EQ(settings.TextExtensions, ExpectedDefaultExtensions);

    Store("Ext", "md\rrst\nTXT");
    settings.LoadTextExtensions();
    EXPECT_EQ(settings.TextExtensions, QStringList({"md", "rst", "TXT"}));
}

TEST_F(SettingsTest, RecentSitesStopAtTheFirstGapOrEmptyEntry)
{
    Store("Recent/0", "first");
    Store("Recent/1", "second");
    Store("Recent/3", "after a gap");
    TSettings settings;
    settings.LoadRecentSites();
    EXPECT_EQ(settings.RecentSites, QStringList({"first", "second"}));

    Store("Recent/1", "");
    settings.LoadRecentSites();
    EXPECT_EQ(settings.RecentSites, QStringList({"first"}));
}

TEST_F(SettingsTest, EightBitTextOfAnOlderStoreIsReadAsWindows1252)
{
    QDir().mkpath(QFileInfo(StoreFile).absolutePath());
    QFile file(StoreFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "[General]\nLastDir=/home/caf\xE9\nLastLogName=/home/na\xC3\xAFve.txt\n"
        "[Recent]\n0=Caf\xE9 \x80 site\\r\\nFolder\n");
    file.close();

    TSettings settings;
    settings.LoadAll();
    EXPECT_EQ(settings.LastDir, QString::fromUtf8("/home/caf\xC3\xA9"));
    EXPECT_EQ(settings.LastLogName, QString::fromUtf8("/home/na\xC3\xAFve.txt"));
    EXPECT_EQ(settings.RecentSites,
              QStringList({QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC site\r\nFolder")}));
}

TEST_F(SettingsTest, StoreThatCannotBeOpenedIsReportedAndDefaultsApply)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile blocker(dir.filePath("Vantrel"));  // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    {
        TSettings settings(dir.filePath("Vantrel/QuilloFTP.ini"));
        ASSERT_EQ(Dialogs.Asked.size(), 1u);
        EXPECT_EQ(Dialogs.Asked[0].Text, "An error occurred while reading data from registry");
        EXPECT_EQ(Dialogs.Asked[0].Caption, "QuilloFTP");
        EXPECT_EQ(Dialogs.Asked[0].Kind, bkMessage);
        EXPECT_TRUE(Dialogs.Asked[0].Alert);
        settings.LoadAll();
        EXPECT_EQ(settings.GeneralFlags, 6);
        EXPECT_EQ(settings.TextExtensions, ExpectedDefaultExtensions);
        settings.SaveGeneral();  // silently writes nothing
        EXPECT_EQ(Dialogs.Asked.size(), 1u);
    }
    ASSERT_EQ(Dialogs.Asked.size(), 2u);
    EXPECT_EQ(Dialogs.Asked[1].Text, "An error occurred while saving data into registry");
    EXPECT_TRUE(Dialogs.Asked[1].Alert);
}

TEST_F(SettingsTest, StoreLostDuringTheRunIsReportedAtTheEnd)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        TSettings settings(dir.filePath("Vantrel/QuilloFTP.ini"));
        EXPECT_TRUE(Dialogs.Asked.empty());
        ASSERT_TRUE(QDir(dir.filePath("Vantrel")).removeRecursively());
        QFile blocker(dir.filePath("Vantrel"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Text, "An error occurred while saving data into registry");
}

TEST_F(SettingsTest, TextFilesAreKnownByTheirLastExtensionWhateverItsCase)
{
    TSettings settings;
    settings.LoadTextExtensions();
    struct Case {
        const char* name;
        bool text;
    };
    const Case cases[] = {
        {"readme", false},           {"INDEX.HTML", true},        {"notes.TxT", true},
        {"source.tar.gz", false},    {"archive.txt.zip", false},  {"trailing.", false},
        {"dir.txt/makefile", false}, {"/srv/a.b/page.htm", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(settings.IsTextFile(c.name), c.text) << c.name;

    settings.TextExtensions.append("GZ");
    EXPECT_TRUE(settings.IsTextFile("source.tar.gz"));
    EXPECT_FALSE(settings.IsTextFile("source.gz.tar"));
}

class TToolTipProbe : public QWidget {
public:
    int ToolTipsSeen = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) ++ToolTipsSeen;
        return QWidget::event(event);
    }
};

TEST_F(SettingsTest, ToolTipsFollowTheirGeneralFlag)
{
    TToolTipProbe probe;
    auto askTip = [&] {
        QHelpEvent tip(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
        QCoreApplication::sendEvent(&probe, &tip);
    };
    TSettings settings;
    settings.GeneralFlags = gfOpenSiteList | gfHideSiteList;
    settings.ApplyToolTips();
    askTip();
    EXPECT_EQ(probe.ToolTipsSeen, 0);

    settings.GeneralFlags = gfShowToolTips;
    settings.ApplyToolTips();
    askTip();
    EXPECT_EQ(probe.ToolTipsSeen, 1);
    EXPECT_TRUE(ToolTipsShown());
}

}  // namespace
