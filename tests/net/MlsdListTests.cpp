// "MLSD" lines and "FEAT" replies, read without a server.
#include "net/FTPMlsdList.h"
#include "net/FtpFeatures.h"

#include <gtest/gtest.h>

namespace {

// One hour ahead of UTC, so every row shows the conversion.
const QTimeZone PlusOneHour(3600);

struct TEntryRow {
    QByteArray Line;
    bool Listed;
    QByteArray Attributes;
    QByteArray Name;
    QByteArray Size;
    QByteArray Date;
};

// A line that gives no entry.
TEntryRow Dropped(const QByteArray& line)
{
    return {line, false, {}, {}, {}, {}};
}

std::string Printable(const QByteArray& line)
{
    return line.left(80).toStdString();
}

}  // namespace

TEST(MlsdList, EntriesLookLikeUnixListingEntries)
{
    const QByteArray longName(10000, 'n');
    const QByteArray longPerm(1000, 'r');
    const TEntryRow rows[] = {
        // pyftpdlib's own lines.
        {"modify=20240102030405;perm=radfwMT;size=6;type=file;unique=fe00g1; a.txt", true, "- radfwMT",
         "a.txt", "6", "Jan 2 2024 04:04:05"},
        {"modify=20231231233000;perm=eldfmMTcp;size=4096;type=dir;unique=fe00g2; sub dir", true,
         "d eldfmMTcp", "sub dir", "4096", "Jan 1 2024 00:30:00"},
        // Unix servers: the mode beats the perm letters.
        {"type=file;size=1024;UNIX.mode=0644;perm=r; b.bin", true, "-rw-r--r--", "b.bin", "1024", ""},
        {"type=dir;sizd=512;unix.mode=2750; shared", true, "drwxr-s---", "shared", "512", ""},
        // The folder itself and its parent are no entries, by type or by name.
        Dropped("type=cdir;modify=20240102030405; ."),
        Dropped("type=pdir;modify=20240102030405; .."),
        Dropped("type=cdir; /home/alice"),
        Dropped("type=dir; .."),
        // Links, with and without their target.
        {"type=OS.unix=slink:/etc/real;UNIX.mode=0777; lnk", true, "lrwxrwxrwx", "lnk -> /etc/real", "", ""},
        {"type=OS.unix=symlink;size=7;modify=20240102030405; lnk2", true, "l", "lnk2", "7",
         "Jan 2 2024 04:04:05"},
        {"type=os.UNIX=SLINK:rel/target; lnk3", true, "l", "lnk3 -> rel/target", "", ""},
        {"type=OS.unix=slinky; odd", true, "?", "odd", "", ""},
        {"type=OS.unix=slink:/my dir/x;UNIX.mode=0777; lnk4", true, "lrwxrwxrwx", "lnk4 -> /my dir/x", "",
         ""},
        // Fact names and type values are case-insensitive; the first of a name counts.
        {"TYPE=File;SIZE=5;Modify=20240102030405; upper", true, "-", "upper", "5", "Jan 2 2024 04:04:05"},
        {"type=dir;type=file; twice", true, "d", "twice", "", ""},
        // The name is the rest of the line, whatever it holds.
        {"type=file;size=1; \xc3\xbcn\xc3\xaf.txt", true, "-", "\xc3\xbcn\xc3\xaf.txt", "1", ""},
        {"type=file;size=1;  leading", true, "-", " leading", "1", ""},
        {"type=file;size=1; trailing  ", true, "-", "trailing  ", "1", ""},
        {"type=file;size=1; a; b=c d", true, "-", "a; b=c d", "1", ""},
        {"type=file; a/b", true, "-", "a/b", "", ""},
        // No facts at all (RFC 3659 allows it), or some of them missing.
        {" bare", true, "?", "bare", "", ""},
        {"size=5; untyped", true, "?", "untyped", "5", ""},
        {"type=special; device", true, "?", "device", "", ""},
        // Malformed fact lists.
        {"type=file;size=3 no last semicolon", true, "-", "no last semicolon", "3", ""},
        Dropped("nofacts"),
        Dropped("type=file;"),
        Dropped("type=file; "),
        Dropped("-rw-r--r-- 1 u g 5 Jan 01 2020 a.txt"),
        {"type=file;size;=5;x; kept", true, "-", "kept", "", ""},
        {"type=file;size=12ab; z", true, "-", "z", "", ""},
        {"type=file;size=+5; pos", true, "-", "pos", "", ""},
        {"type=file;unix.mode=0x1ff; hex", true, "-", "hex", "", ""},
        // Sizes beyond 32 bits are exact; beyond a signed 64-bit count they are unknown.
        {"type=file;size=5368709120; big", true, "-", "big", "5368709120", ""},
        {"type=file;size=9223372036854775807; max", true, "-", "max", "9223372036854775807", ""},
        {"type=file;size=9223372036854775808; over", true, "-", "over", "", ""},
        {"type=file;size=000042; zeros", true, "-", "zeros", "42", ""},
        // Bad times leave the date empty, never a wrong one.
        {"type=file;modify=20241301000000; m13", true, "-", "m13", "", ""},
        {"type=file;modify=20240230120000; feb30", true, "-", "feb30", "", ""},
        {"type=file;modify=20240229120000; leap", true, "-", "leap", "", "Feb 29 2024 13:00:00"},
        {"type=file;modify=2024010203040; short", true, "-", "short", "", ""},
        {"type=file;modify=20240102030405x; tail", true, "-", "tail", "", ""},
        {"type=file;modify=20240102030405.987; ms", true, "-", "ms", "", "Jan 2 2024 04:04:05"},
        {"type=file;modify=2024-01-02T03:04:05; iso", true, "-", "iso", "", ""},
        // Overlong lines: the name stays whole, the attributes are cut.
        {"type=file;size=3; " + longName, true, "-", longName, "3", ""},
        {"type=file;perm=" + longPerm + "; perms", true, "- " + longPerm.left(253), "perms", "", ""},
    };
    for (const TEntryRow& row : rows) {
        SCOPED_TRACE(Printable(row.Line));
        TFTPMlsdList list;
        list.Zone = PlusOneHour;
        list.ParseLine(row.Line);
        if (!row.Listed) {
            EXPECT_TRUE(list.NameList.isEmpty());
            EXPECT_TRUE(list.AttributeList.isEmpty() && list.SizeList.isEmpty() && list.DateList.isEmpty());
            continue;
        }
        ASSERT_EQ(list.NameList.size(), 1);
        EXPECT_EQ(list.AttributeList, QByteArrayList{row.Attributes});
        EXPECT_EQ(list.NameList.first(), row.Name);
        EXPECT_EQ(list.SizeList, QByteArrayList{row.Size});
        EXPECT_EQ(list.DateList, QByteArrayList{row.Date});
    }
}

TEST(MlsdList, UnixModesBecomeTheNinePermissionLetters)
{
    const struct {
        const char* Mode;
        const char* Letters;
    } cases[] = {
        {"0644", "rw-r--r--"},
        {"755", "rwxr-xr-x"},
        {"100644", "rw-r--r--"},
        {"0", "---------"},
        {"4755", "rwsr-xr-x"},
        {"4644", "rwSr--r--"},
        {"2750", "rwxr-s---"},
        {"1777", "rwxrwxrwt"},
        {"1776", "rwxrwxrwT"},
        {"0o755", "rwxr-xr-x"},
        {"", ""},
        {"0x1F", ""},
        {"89", ""},
        {"-644", ""},
        {"12345670", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Mode);
        EXPECT_EQ(TFTPMlsdList::ModeLetters(c.Mode), QByteArray(c.Letters));
    }
}

TEST(FtpFeatures, OnlyTheFeatureLinesOfA211ReplyCount)
{
    const struct {
        QByteArrayList Reply;
        QByteArrayList Offered;
        QByteArray MlstFacts;
    } cases[] = {
        // pyftpdlib's answer.
        {{"211-Features supported:\r\n", " EPRT\r\n", " MDTM\r\n",
          " MLST type*;perm*;size*;modify*;unique*;unix.mode;\r\n", " REST STREAM\r\n", " UTF8\r\n",
          "211 End FEAT.\r\n"},
         {"EPRT", "MDTM", "MLST", "REST", "UTF8"},
         "type*;perm*;size*;modify*;unique*;unix.mode;"},
        // Names in any case; the first of a name counts.
        {{"211-Features:\r\n", " mlst Type*;Size*;\r\n", " utf8\r\n", " MLST other\r\n", "211 End\r\n"},
         {"MLST", "UTF8"},
         "Type*;Size*;"},
        // Prose without the leading space is not a feature.
        {{"211-Extensions supported:\r\n", "MLST type*;\r\n", " SIZE\r\n", "\r\n", " \r\n", "211 END\r\n"},
         {"SIZE"},
         ""},
        {{"211 No features\r\n"}, {}, ""},
        {{"500 Unknown command\r\n"}, {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Reply.first().toStdString());
        const TFtpFeatures features = TFtpFeatures::FromReply(c.Reply);
        EXPECT_EQ(features.Count(), c.Offered.size());
        for (const QByteArray& name : c.Offered) {
            EXPECT_TRUE(features.Has(name)) << name.constData();
            EXPECT_TRUE(features.Has(name.toLower())) << name.constData();
        }
        EXPECT_EQ(features.Parameters("mlst"), c.MlstFacts);
    }
}
