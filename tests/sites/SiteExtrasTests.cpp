// The settings of a site that its stored text has no field for: their text,
// the extras block after the folder records, and how they stay with their
// site through renames, moves and edits.
#include "SiteListFixture.h"

#include "support/SelectRows.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QListView>
#include <QTest>

namespace {

QByteArray SiteText(const QByteArray& name)
{
    return name + "\r\nhost\r\n1\r\nuser\r\npw\r\n\r\n\r\n";
}

// The extras block as the program writes it; entries are (folder, site, text).
struct TEntry {
    qint32 Folder;
    qint32 Site;
    QByteArray Text;
};
QByteArray ExtrasBlock(const std::vector<TEntry>& entries)
{
    QByteArray block = QByteArray(SiteExtrasMagic) + Int32(qint32(entries.size()));
    for (const TEntry& entry : entries)
        block += Int32(entry.Folder) + Int32(entry.Site) + Int32(qint32(entry.Text.size())) + entry.Text;
    return block;
}

const QByteArray Tree = "A\r\nB\r\n";
const QByteArray Designed =
    FileBytes(Tree, {Record({SiteText("x"), SiteText("y")}), Record({SiteText("z")})});
const QByteArray Active = "DataConnection=active\r\nForceList=1\r\n";

// "name:extras" for every site with extras, in file order.
QStringList ExtrasOf(const TSiteFolder& top)
{
    QStringList found;
    for (const TSiteFolder* folder : top.Descendants())
        for (const TSiteData& site : folder->Settings.Sites)
            if (!site.Extras().isEmpty()) found << site.Name() + u':' + QString::fromUtf8(site.Extras());
    return found;
}

TEST(SiteExtras, EverySettingComesBackAndOnlyNonDefaultsAreWritten)
{
    const struct {
        TDataConnection Mode;
        bool ForceList;
        QByteArray Text;
        TSiteEncryption Encryption = enExplicitIfAvailable;
    } cases[] = {
        {dcDefault, false, ""},
        {dcPassive, false, "DataConnection=passive\r\n"},
        {dcActive, false, "DataConnection=active\r\n"},
        {dcDefault, true, "ForceList=1\r\n"},
        {dcActive, true, Active},
        {dcDefault, false, "Encryption=require-explicit\r\n", enRequireExplicit},
        {dcDefault, false, "Encryption=implicit\r\n", enImplicit},
        {dcPassive, true, "DataConnection=passive\r\nForceList=1\r\nEncryption=plain\r\n", enPlainOnly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text.constData());
        TSiteSettings site;
        site.DataConnection = c.Mode;
        site.ForceList = c.ForceList;
        site.Encryption = c.Encryption;
        EXPECT_EQ(SiteToExtras(site), c.Text);
        TSiteSettings read;
        read.DataConnection = dcPassive;  // every setting is replaced
        read.ForceList = true;
        read.Encryption = enPlainOnly;
        ExtrasToSite(c.Text, read);
        EXPECT_EQ(read, site);
    }
}

TEST(SiteExtras, ValuesThatAreNotTheKeysOwnReadAsDefaults)
{
    const struct {
        QByteArray Text;
        TDataConnection Mode;
        bool ForceList;
        TSiteEncryption Encryption = enExplicitIfAvailable;
    } cases[] = {
        {"DataConnection=PASSIVE\r\n", dcDefault, false},
        {"DataConnection\r\nForceList\r\n", dcDefault, false},
        {"DataConnection= active\r\nForceList=yes\r\n", dcDefault, false},
        {QByteArrayLiteral("\0\xFF=\r\n\r\n=1"), dcDefault, false},
        {"ForceList=1", dcDefault, true},                              // the last line needs no line end
        {"DataConnection=active\nForceList=1\r\n", dcDefault, false},  // LF alone ends no line
        {"Encryption=IMPLICIT\r\nEncryption=\r\nEncryption=tls\r\nEncryption=implicit \r\n", dcDefault,
         false},
        {"Encryption=1\r\nEncryption=explicit-if-available\r\n", dcDefault, false},
        {"Encryption=plain\r\nEncryption=implicit", dcDefault, false, enImplicit},  // the last line counts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text.constData());
        TSiteSettings site;
        ExtrasToSite(c.Text, site);
        EXPECT_EQ(site.DataConnection, c.Mode);
        EXPECT_EQ(site.ForceList, c.ForceList);
        EXPECT_EQ(site.Encryption, c.Encryption);
    }
}

TEST(SiteListFormat, ExtrasFollowTheDesignedRecordsWhichStayAsTheyWere)
{
    TSiteFolder top;
    TSiteListReader reader;
    reader.Read(Designed, top);
    ASSERT_FALSE(reader.DamageReported());
    EXPECT_EQ(EncodeSiteList(top), Designed);  // no extras, no block

    top.Child(0)->Settings.Sites[1].SetExtras(Active);
    top.Child(1)->Settings.Sites[0].SetExtras("ForceList=1\r\n");
    const QByteArray file = EncodeSiteList(top);
    EXPECT_EQ(file, Designed + ExtrasBlock({{0, 1, Active}, {1, 0, "ForceList=1\r\n"}}));

    TSiteFolder again;
    TSiteListReader second;
    second.Read(file, again);
    EXPECT_FALSE(second.DamageReported());
    EXPECT_EQ(Outline(again), "A[x,y]\nB[z]");
    EXPECT_EQ(ExtrasOf(again),
              QStringList({"y:DataConnection=active\r\nForceList=1\r\n", "z:ForceList=1\r\n"}));
    EXPECT_EQ(EncodeSiteList(again), file);
}

// A damaged block is reported like other damage, but the folders and sites
// before it are all there; no site gets extras from a block that does not
// read to its end.
TEST(SiteListFormat, ADamagedExtrasBlockCostsOnlyTheExtras)
{
    const QByteArray valid = ExtrasBlock({{0, 0, Active}, {1, 0, Active}});
    const struct {
        const char* Name;
        QByteArray Block;
    } cases[] = {
        {"truncated in an entry", valid.chopped(5)},
        {"truncated in the magic", valid.left(5)},
        {"other magic", "QFTPEXT9" + valid.mid(8)},
        {"no entries", ExtrasBlock({})},
        {"more entries than there are", QByteArray(SiteExtrasMagic) + Int32(3) + valid.mid(12)},
        {"folder out of range", ExtrasBlock({{0, 0, Active}, {2, 0, Active}})},
        {"negative folder", ExtrasBlock({{-1, 0, Active}})},
        {"site out of range", ExtrasBlock({{0, 0, Active}, {1, 1, Active}})},
        {"empty extras", ExtrasBlock({{0, 0, ""}})},
        {"oversized extras", ExtrasBlock({{0, 0, QByteArray(MaxSiteExtrasLength + 1, 'x')}})},
        {"bytes after the block", valid + "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TSiteFolder top;
        TSiteListReader reader;
        int questions = 0;
        reader.OnCorruptedFile = [&](TSiteFolder* folder) {
            EXPECT_EQ(folder, top.Child(1));
            return ++questions, false;
        };
        reader.Read(Designed + c.Block, top);
        EXPECT_EQ(questions, 1);
        EXPECT_EQ(Outline(top), "A[x,y]\nB[z]");
        EXPECT_TRUE(ExtrasOf(top).isEmpty());
    }
}

class SiteExtrasWindowTest : public SiteListTest {
protected:
    void OpenWith(const QByteArray& bytes)
    {
        ASSERT_TRUE(testfiles::Write(FileName(), bytes));
        Open();
        Window->show();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }
    void SelectSite(const QString& folder, int row)
    {
        Window->SelectFolder(Folder(folder));
        Window->Sites->setFocus();
        SelectRows(*Window->Sites, {row});
    }
    TSiteSettings ConnectTo(const QString& folder, const QString& site)
    {
        Connected.clear();
        EXPECT_TRUE(Window->ConnectByName(folder, site));
        return Connected.isEmpty() ? TSiteSettings() : Connected.last().first;
    }
};

TEST_F(SiteExtrasWindowTest, ASiteKeepsItsSettingsWhenRenamedMovedAndReloaded)
{
    OpenWith(Designed + ExtrasBlock({{0, 0, Active + "Encryption=implicit\r\n"}}));
    QAbstractItemModel* sites = Window->Sites->model();
    Window->SelectFolder(Folder("A"));
    ASSERT_TRUE(sites->setData(sites->index(0, 0), "w"));  // "w" sorts first again
    SelectSite("A", 0);
    Window->actCut->trigger();
    Window->SelectFolder(Folder("B"));
    Window->actPaste->trigger();
    EXPECT_EQ(Shown(), "A[y]\nB[w,z]");

    Window.reset();  // written at every change; read afresh
    Open();
    EXPECT_EQ(ExtrasOf(Window->Folders->Model().Top()),
              QStringList({"w:DataConnection=active\r\nForceList=1\r\nEncryption=implicit\r\n"}));
    const TSiteSettings site = ConnectTo("B", "w");
    EXPECT_EQ(site.DataConnection, dcActive);
    EXPECT_TRUE(site.ForceList);
    EXPECT_EQ(site.Encryption, enImplicit);
    // A site of an older file, without the line, asks for TLS if available.
    EXPECT_EQ(ConnectTo("B", "z").DataConnection, dcDefault);
    EXPECT_EQ(ConnectTo("B", "z").Encryption, enExplicitIfAvailable);
}

TEST_F(SiteExtrasWindowTest, TheSiteDialogShowsAndChangesThemKeepingUnknownKeys)
{
    OpenWith(Designed + ExtrasBlock({{1, 0, Active + "Encryption=plain\r\nProxy=socks5\r\n"}}));
    int shownMode = -1;
    bool shownForceList = false;
    int shownEncryption = -1;
    Dialogs.OnModal([&](QDialog& dialog) {
        auto* mode = dialog.findChild<QComboBox*>(QStringLiteral("cmbDataConnection"));
        auto* forceList = dialog.findChild<QCheckBox*>(QStringLiteral("chkForceList"));
        auto* encryption = dialog.findChild<QComboBox*>(QStringLiteral("cboEncryption"));
        shownMode = mode->currentIndex();
        shownForceList = forceList->isChecked();
        shownEncryption = encryption->currentIndex();
        mode->setCurrentIndex(dcPassive);
        forceList->setChecked(false);
        encryption->setCurrentIndex(enRequireExplicit);
        return int(QDialog::Accepted);
    });
    SelectSite("B", 0);
    Window->actEditSite->trigger();
    EXPECT_EQ(shownMode, dcActive);
    EXPECT_TRUE(shownForceList);
    EXPECT_EQ(shownEncryption, enPlainOnly);
    EXPECT_EQ(ConnectTo("B", "z").DataConnection, dcPassive);
    EXPECT_FALSE(ConnectTo("B", "z").ForceList);
    EXPECT_EQ(ConnectTo("B", "z").Encryption, enRequireExplicit);
    EXPECT_EQ(OnDisk(), Designed + ExtrasBlock({{1, 0,
                                                 "DataConnection=passive\r\nEncryption=require-explicit\r\n"
                                                 "Proxy=socks5\r\n"}}));

    // A new site takes what its dialog says.
    Dialogs.OnModal([](QDialog& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("cmbDataConnection"))->setCurrentIndex(dcActive);
        return int(QDialog::Accepted);
    });
    Window->SelectFolder(Folder("A"));
    Window->actAddSite->trigger();
    EXPECT_EQ(ConnectTo("A", "New site").DataConnection, dcActive);
}

}  // namespace
