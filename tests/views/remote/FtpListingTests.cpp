#include "net/FTPMlsdList.h"
#include "net/FTPUnixList.h"
#include "net/ListingSamples.h"
#include "views/remote/FtpListing.h"

#include <QDir>
#include <QMimeDatabase>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString DateString(TDateTime date)
{
    return date == 0 ? QString() : DateTimeToQDateTime(date).toString("yyyy-MM-dd HH:mm");
}

TFtpListing::TItems Build(const QByteArrayList& lines, TFileAttributes filter = {faFolders, faNormal})
{
    TFTPUnixList list;
    for (const QByteArray& line : lines)
        list.ParseLine(line);
    return TFtpListing::BuildItems(list, filter);
}

QStringList Names(const TFtpListing::TItems& items)
{
    QStringList names;
    for (const auto& item : items)
        names.append(item->Name);
    return names;
}

TEST(FtpListing, BuildsTheEntryOfEachSampleLine)
{
    for (const TListingSample& row : ListingSamples) {
        SCOPED_TRACE(row.Line);
        const TFtpListing::TItems items = Build({row.Line});
        ASSERT_EQ(items.size(), row.Name ? 1u : 0u);
        if (!row.Name) continue;
        TFtpItem& item = *items[0];
        TFtpListing::UpdateItemInfo(item, SampleYear, false);
        EXPECT_EQ(item.RemoteName(), row.ItemName);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString shown = utf8(row.ItemName);
        if (!utf8.hasError()) {
            EXPECT_EQ(item.Name, shown);
        }
        EXPECT_EQ(item.LinkTarget, QString::fromUtf8(row.LinkTarget));
        EXPECT_EQ(item.Attributes, QString::fromUtf8(row.Attributes));
        EXPECT_EQ(item.Size, row.ItemSize);
        EXPECT_EQ(item.SizeText, row.SizeText);
        EXPECT_EQ(item.DateText, row.LinkTarget[0] ? "" : QString::fromUtf8(row.Date));
        EXPECT_EQ(DateString(item.Date), row.When);
        EXPECT_FALSE(item.NeedsUpdate);
    }
}

TEST(FtpListing, DropsDotAndDotDotOnlyAtTheTop)
{
    const struct {
        QByteArrayList Names;
        QStringList Kept;
    } cases[] = {
        {{".", "..", "a"}, {"a"}},       {{"..", ".", "a"}, {".", "a"}},
        {{".", "a", ".."}, {"a", ".."}}, {{"a", ".", ".."}, {"a", ".", ".."}},
        {{". ", ".."}, {". ", ".."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Names.join('|').constData());
        QByteArrayList lines;
        for (const QByteArray& name : c.Names)
            lines.append("drwxr-xr-x 2 u g 4096 Jan 1 2020 " + name);
        EXPECT_EQ(Names(Build(lines)), c.Kept);
        // A listing of bare names is trimmed the same way.
        TFTPDirectoryList bare;
        bare.NameList = c.Names;
        EXPECT_EQ(Names(TFtpListing::BuildItems(bare, {faFolders, faNormal})), c.Kept);
    }
}

TEST(FtpListing, FiltersDirectoriesAndFilesButNeverHidesDotNames)
{
    const QByteArrayList lines = {
        "drwxr-xr-x 2 u g 4096 Jan 1 2020 dir",
        "-rw-r--r-- 1 u g 1 Jan 1 2020 file",
        "lrwxrwxrwx 1 u g 3 Jan 1 2020 link -> dir",
        "-rw-r--r-- 1 u g 1 Jan 1 2020 .hidden",
    };
    const struct {
        TFileAttributes Filter;
        QStringList Kept;
    } cases[] = {
        {{faFolders, faNormal}, {"dir", "file", "link", ".hidden"}},
        {faFolders, {"dir"}},
        {faNormal, {"file", "link", ".hidden"}},
        {{faNormal, faHidden}, {"file", "link", ".hidden"}},
        {faHidden, {}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Filter.toInt());
        EXPECT_EQ(Names(Build(lines, c.Filter)), c.Kept);
    }
}

TEST(FtpListing, ParsesListingDates)
{
    const struct {
        const char* Text;
        const char* When;
    } cases[] = {
        {"jan 5 1999", "1999-01-05 00:00"},
        {"JAN 5 1999", "1999-01-05 00:00"},
        {"  Mar   3   1999  ", "1999-03-03 00:00"},
        {"Jan 5 12.30", "2024-01-05 12:30"},
        {"Dec 31 23:59", "2024-12-31 23:59"},  // no year: this year, even if ahead
        {"Jan 5 9:5", "2024-01-05 09:05"},
        {"Jan 5 12:345", "2024-01-05 12:34"},
        {"Jan 12 99", "0099-01-12 00:00"},  // two-digit years stay as written
        {"Feb 30 12:00", ""},
        {"Jan 5 25:00", ""},
        {"Jan 0 1999", ""},
        {"Jan 5 12:", ""},
        {"Jan 5 1.5.2", ""},
        {"Jan 5", ""},
        {"Janu 5 1999", ""},
        {"12 12:30 my", ""},
        {"", ""},
        // The exact local time an "MLSD" listing gives.
        {"Jan 2 2023 04:05:06", "2023-01-02 04:05"},
        {"Dec 31 2023 23:59:59", "2023-12-31 23:59"},
        {"Feb 29 2023 10:00:00", ""},
        {"Jan 2 2023 24:00:00", ""},
        {"Jan 2 2023 04:05", ""},
        {"Jan 2 23x 04:05:06", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(DateString(TFtpListing::ParseListingDate(c.Text, SampleYear)), c.When);
    }
    EXPECT_EQ(DateString(TFtpListing::ParseListingDate("Feb 29 10:00", 2023)), "");
}

TEST(FtpListing, SizeTextInWholeKilobytes)
{
    const struct {
        quint64 Size;
        const char* Attributes;
        const char* DateText;
        const char* Text;
    } cases[] = {
        {1, "-", "d", "1"},
        {512, "-", "d", "1"},
        {1535, "-", "d", "1"},
        {1536, "-", "d", "2"},
        {2560, "-", "d", "2"},
        {3584, "-", "d", "4"},
        {0, "-", "d", "0"},
        {0, "-", "", ""},
        {0, "", "", ""},
        {4096, "d", "d", ""},
        {4096, "l", "d", ""},
        {2147483648ull, "-", "d", "2097152"},
        {5368709120ull, "-", "d", "5242880"},
        {18446744073709551615ull, "-", "d", "18014398509481984"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Size);
        TFtpItem item;
        item.Size = c.Size;
        item.Attributes = c.Attributes;
        item.DateText = c.DateText;
        EXPECT_EQ(TFtpListing::SizeText(item), c.Text);
    }
}

TEST(FtpListing, ClassifiesByTheFirstAttributeCharacter)
{
    const struct {
        const char* Attributes;
        bool Created, Directory, Link;
    } cases[] = {
        {"drwxr-xr-x", false, true, false},  {"lrwxrwxrwx", false, false, true},
        {"-rw-r--r--", false, false, false}, {"Drwxr-xr-x", false, false, false},
        {"", false, false, false},           {"", true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Attributes);
        TFtpItem item;
        item.Attributes = c.Attributes;
        item.CreatedDirectory = c.Created;
        EXPECT_EQ(TFtpListing::IsDirectory(item), c.Directory);
        EXPECT_EQ(TFtpListing::IsLink(item), c.Link);
        EXPECT_EQ(TFtpListing::IsDirectoryItem(item), c.Directory || c.Link);
    }
}

// The type comes from the name alone: a local folder of the same name, in the
// working folder, must not turn a remote text file into a folder.
TEST(FtpListing, TypeNameFromTheNameOnly)
{
    QTemporaryDir local;
    ASSERT_TRUE(local.isValid());
    ASSERT_TRUE(QDir(local.path()).mkdir("report.txt"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(local.path());

    TFtpListing::TItems items =
        Build({"-rw-r--r-- 1 u g 1 Jan 1 2020 report.txt", "drwxr-xr-x 2 u g 4096 Jan 1 2020 photos.jpg",
               "lrwxrwxrwx 1 u g 3 Jan 1 2020 notes.txt -> doc"});
    for (auto& item : items)
        TFtpListing::UpdateItemInfo(*item, SampleYear, false);
    QDir::setCurrent(previous);

    const QMimeDatabase mimes;
    const QString folder = mimes.mimeTypeForName("inode/directory").comment();
    EXPECT_EQ(items[0]->TypeName, mimes.mimeTypeForName("text/plain").comment());
    EXPECT_NE(items[0]->TypeName, folder);
    EXPECT_EQ(items[1]->TypeName, folder);
    EXPECT_EQ(items[2]->TypeName, folder);
    EXPECT_TRUE(items[0]->Icon.isNull());

    // With icons on, every entry gets one, also where no desktop theme is
    // installed (as in these tests); folders and files look different.
    for (auto& item : items) {
        item->NeedsUpdate = true;
        TFtpListing::UpdateItemInfo(*item, SampleYear, true);
        EXPECT_FALSE(item->Icon.isNull()) << item->Name.toStdString();
    }
    EXPECT_NE(items[0]->Icon.pixmap(16).toImage(), items[1]->Icon.pixmap(16).toImage());
}

}  // namespace

TEST(FtpListing, MlsdEntriesFillTheColumnsAsListEntriesDo)
{
    // The same five entries, once as "LIST" and once as "MLSD" give them.
    TFTPUnixList unix;
    for (const QByteArray line : {"drwxr-xr-x 2 u g 4096 Mar 3 2023 sub dir",
                                  "-rw-r--r-- 1 u g 5368709120 Mar 3 2023 \xc3\xbcn\xc3\xaf.txt",
                                  "lrwxrwxrwx 1 u g 7 Mar 3 2023 lnk -> sub dir",
                                  "-rw-r--r-- 1 u g 0 Mar 3 2023  lead", "-rw-r--r-- 1 u g 1 Mar 3 2023 a/b"})
        unix.ParseLine(line);
    TFTPMlsdList mlsd;
    mlsd.Zone = QTimeZone(0);
    for (const QByteArray line :
         {"type=cdir; .", "type=dir;sizd=4096;modify=20230303101112;UNIX.mode=0755; sub dir",
          "type=file;size=5368709120;modify=20230303101112;UNIX.mode=0644; \xc3\xbcn\xc3\xaf.txt",
          "type=OS.unix=slink:sub dir;modify=20230303101112;UNIX.mode=0777; lnk",
          "type=file;size=0;modify=20230303101112;UNIX.mode=0644;  lead",
          "type=file;size=1;modify=20230303101112;UNIX.mode=0644; a/b"})
        mlsd.ParseLine(line);
    const TFtpListing::TItems fromList = TFtpListing::BuildItems(unix, {faFolders, faNormal});
    const TFtpListing::TItems fromMlsd = TFtpListing::BuildItems(mlsd, {faFolders, faNormal});
    ASSERT_EQ(fromMlsd.size(), 5u);
    ASSERT_EQ(fromList.size(), fromMlsd.size());
    for (size_t i = 0; i < fromMlsd.size(); ++i) {
        TFtpItem& list = *fromList[i];
        TFtpItem& item = *fromMlsd[i];
        SCOPED_TRACE(item.Name.toStdString());
        TFtpListing::UpdateItemInfo(list, SampleYear, false);
        TFtpListing::UpdateItemInfo(item, SampleYear, false);
        EXPECT_EQ(item.Name, list.Name);
        EXPECT_EQ(item.RemoteName(), list.RemoteName());
        EXPECT_EQ(item.LinkTarget, list.LinkTarget);
        EXPECT_EQ(item.Attributes, list.Attributes);
        EXPECT_EQ(TFtpListing::IsDirectory(item), TFtpListing::IsDirectory(list));
        EXPECT_EQ(TFtpListing::IsLink(item), TFtpListing::IsLink(list));
        EXPECT_EQ(item.Size, list.Size);
        EXPECT_EQ(item.SizeText, list.SizeText);
        // Only the time differs: "MLSD" knows it to the second.
        if (!TFtpListing::IsLink(item)) {
            EXPECT_EQ(item.DateText, "Mar 3 2023 10:11:12");
            EXPECT_EQ(DateTimeToQDateTime(item.Date), QDateTime(QDate(2023, 3, 3), QTime(10, 11, 12)));
        }
    }
    EXPECT_EQ(fromMlsd[2]->LinkTarget, "sub dir");
    EXPECT_EQ(fromMlsd[3]->Name, " lead");
}
