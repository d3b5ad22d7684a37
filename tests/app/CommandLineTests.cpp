// The program's arguments read into a link and the way to open it.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

struct TArgumentsCase {
    QStringList Arguments;
    bool HasLink;
    const char* Link = "";
    bool Normal = false;
    bool Quit = false;
    const char* LogFile = "";
    bool FromDesktop = false;
};

const TArgumentsCase ArgumentCases[] = {
    {{}, false},
    // The link follows the option name directly, nothing stripped.
    {{"-URLftp://h.example.org/f.zip"}, true, "ftp://h.example.org/f.zip"},
    {{"/URLh.example.org", "-n"}, true, "h.example.org", true},
    {{"-URL=h.example.org"}, true, "=h.example.org"},
    {{"-URLftp://h.example.org/f.zip", "-n", "-q", "-LOG/tmp/run log.txt"},
     true,
     "ftp://h.example.org/f.zip",
     true,
     true,
     "/tmp/run log.txt"},
    {{"/q", "/LOGx.txt", "/URLh.example.org"}, true, "h.example.org", false, true, "x.txt"},
    // The first of two links counts; "-URL" alone is a link, an empty one.
    {{"-URLa.example.org", "-URLb.example.org"}, true, "a.example.org"},
    {{"-URL"}, true, ""},
    // Switch letters and option names in exact case, alone after "-" or "/".
    {{"-url h.example.org", "-q"}, false},
    {{"-URLh.example.org", "-N", "-Q", "-nq", "-qq", "-log.txt"}, true, "h.example.org"},
    {{"-URLh.example.org", "q", "n"}, true, "h.example.org"},
    // Without a link every other option is ignored.
    {{"-n", "-q", "-LOGx.txt"}, false},
    // A bare link, as the desktop hands it over, is taken like "-URL"...
    {{"ftp://ann@h.example.org/dir/file.txt"},
     true,
     "ftp://ann@h.example.org/dir/file.txt",
     false,
     false,
     "",
     true},
    {{"-q", "FTP://h.example.org"}, true, "FTP://h.example.org", false, true, "", true},
    {{"ftps://h.example.org/f.zip"}, true, "ftps://h.example.org/f.zip", false, false, "", true},
    {{"-n", "FTPES://h.example.org"}, true, "FTPES://h.example.org", true, false, "", true},
    // ...but "-URL" wins over it, and other words are no links.
    {{"ftp://a.example.org", "-URLb.example.org"}, true, "b.example.org"},
    {{"h.example.org", "http://h.example.org/", "sftp://h.example.org", "ftpx://h.example.org"}, false},
};

class CommandLineTest : public testing::TestWithParam<TArgumentsCase> {};

TEST_P(CommandLineTest, ReadsTheLinkAndItsOptions)
{
    const TArgumentsCase& c = GetParam();
    const TCommandLine line = ParseCommandLine(c.Arguments);
    ASSERT_EQ(line.HasLink, c.HasLink);
    EXPECT_EQ(line.Link, QString::fromUtf8(c.Link));
    EXPECT_EQ(line.NormalLogin, c.Normal);
    EXPECT_EQ(line.QuitAfterLink, c.Quit);
    EXPECT_EQ(line.LogFile, QString::fromUtf8(c.LogFile));
    EXPECT_EQ(line.FromDesktop, c.FromDesktop);
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineTest, testing::ValuesIn(ArgumentCases),
                         [](const testing::TestParamInfo<TArgumentsCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

}  // namespace
