// The stored text of a site: what the site list file holds for each site.
#include "sites/SiteSettings.h"

#include <gtest/gtest.h>

namespace {

TSiteSettings FullSite()
{
    TSiteSettings site;
    site.SiteName = QString::fromUtf8("Caf\xC3\xA9 mirror");
    site.Address = "ftp.example.org";
    site.UserName = "joe";
    site.Password = "s3cret; \"quoted\"";
    site.Comments = "first line\r\nsecond line\r\n";
    site.LocalStartupDir = "/home/joe/mirror";
    site.RemoteStartupDir = "/pub/files";
    site.NormalLogin = true;
    return site;
}

TEST(SiteText, FieldsAreStoredInTheirDesignedOrder)
{
    EXPECT_EQ(SiteToText(FullSite()),
              QByteArray("Caf\xC3\xA9 mirror\r\nftp.example.org\r\n1\r\njoe\r\ns3cret; \"quoted\"\r\n"
                         "/home/joe/mirror\r\n/pub/files\r\nfirst line\r\nsecond line\r\n"));
}

TEST(SiteText, EveryFieldComesBack)
{
    const TSiteSettings site = FullSite();
    EXPECT_EQ(TextToSite(SiteToText(site)), site);

    TSiteSettings anonymous = site;
    anonymous.NormalLogin = false;
    anonymous.Comments.clear();
    anonymous.LocalStartupDir.clear();
    EXPECT_EQ(TextToSite(SiteToText(anonymous)), anonymous);
    EXPECT_EQ(TextToSite(SiteToText(TSiteSettings())), TSiteSettings());
}

TEST(SiteText, LineBreakInASingleLineFieldDoesNotShiftTheOthers)
{
    TSiteSettings site = FullSite();
    site.UserName = "joe\r\nsmith";
    site.Address = "ftp.example.org\r\n";
    const TSiteSettings read = TextToSite(SiteToText(site));
    EXPECT_EQ(read.UserName, "joe smith");
    EXPECT_EQ(read.Address, "ftp.example.org ");
    EXPECT_EQ(read.Password, site.Password);
    EXPECT_EQ(read.Comments, site.Comments);
}

TEST(SiteText, LoginTypeIsNormalForAnyNumberButZero)
{
    struct Case {
        const char* type;
        bool normal;
    };
    for (const Case c :
         {Case{"1", true}, Case{"0", false}, Case{"2", true}, Case{"-1", true}, Case{"", false},
          Case{"yes", false}, Case{"1x", false}, Case{"99999999999", false}}) {
        const QByteArray text = QByteArray("name\r\naddress\r\n") + c.type + "\r\nu\r\np\r\n\r\n\r\n";
        EXPECT_EQ(TextToSite(text).NormalLogin, c.normal) << c.type;
    }
}

TEST(SiteText, MissingSeparatorsLeaveTheLaterFieldsEmpty)
{
    TSiteSettings expected;
    expected.SiteName = "only a name";
    EXPECT_EQ(TextToSite("only a name"), expected);

    expected.Address = "host";
    expected.NormalLogin = true;
    expected.UserName = "user";
    EXPECT_EQ(TextToSite("only a name\r\nhost\r\n1\r\nuser"), expected);

    // A lone CR or LF is not a separator.
    const TSiteSettings lone = TextToSite("a\rb\nc\r\nhost");
    EXPECT_EQ(lone.SiteName, "a\rb\nc");
    EXPECT_EQ(lone.Address, "host");
    EXPECT_EQ(TextToSite(QByteArray()), TSiteSettings());
}

TEST(SiteText, CommentsAreTheRestOfTheTextLineBreaksIncluded)
{
    const TSiteSettings site = TextToSite("n\r\na\r\n0\r\nu\r\np\r\nl\r\nr\r\none\r\n\r\nthree\r\n");
    EXPECT_EQ(site.RemoteStartupDir, "r");
    EXPECT_EQ(site.Comments, "one\r\n\r\nthree\r\n");
}

TEST(SiteText, EightBitTextOfAnOlderSiteListReadsAsWindows1252)
{
    const TSiteSettings site = TextToSite(
        "Caf\xE9\r\nftp.example.org\r\n1\r\nj\xF6rg\r\n\x80uro\r\n\r\n\r\n"
        "na\xC3\xAFve UTF-8 stays\r\n");
    EXPECT_EQ(site.SiteName, QString::fromUtf8("Caf\xC3\xA9"));
    EXPECT_EQ(site.UserName, QString::fromUtf8("j\xC3\xB6rg"));
    EXPECT_EQ(site.Password, QString::fromUtf8("\xE2\x82\xACuro"));
    EXPECT_EQ(site.Comments, QString::fromUtf8("na\xC3\xAFve UTF-8 stays\r\n"));
    EXPECT_TRUE(site.NormalLogin);
}

}  // namespace
