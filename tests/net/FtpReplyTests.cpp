// The judgement of reply lines, from tables of lines servers send (and
// lines that only look like replies).
#include "net/FtpReply.h"

#include <gtest/gtest.h>

namespace {

struct CodeCase {
    const char* line;
    int code;
};

TEST(FtpReply, CodeIsThreeDigitsFrom100To599EndedBySpaceHyphenOrLineEnd)
{
    const CodeCase cases[] = {
        {"220 Ready\r\n", 220},
        {"220-Welcome\r\n", 220},
        {"200\r\n", 200},
        {"200\n", 200},
        {"200", 200},
        {"100 Lowest\r\n", 100},
        {"599 Highest\r\n", 599},
        {"600 Beyond\r\n", 0},
        {"099 Below\r\n", 0},
        {"99x Odd\r\n", 0},
        {"2\r\n", 0},
        {"70000 Wraps\r\n", 0},
        {"2300 Four digits\r\n", 0},
        {"abc\r\n", 0},
        {"\r\n", 0},
        {"", 0},
        {" 220 Indented\r\n", 0},
        {"22O Letter O\r\n", 0},
        {"220/Slash\r\n", 0},
    };
    for (const CodeCase& c : cases)
        EXPECT_EQ(FtpReply::CodeOf(c.line), c.code) << c.line;
}

struct LastLineCase {
    const char* first;
    const char* line;
    bool last;
};

TEST(FtpReply, MultiLineReplyEndsOnlyAtItsOwnCodeFollowedBySpaceOrLineEnd)
{
    const LastLineCase cases[] = {
        {"220 Ready\r\n", "220 Ready\r\n", true},
        {"200\r\n", "200\r\n", true},
        {"220-Welcome\r\n", "220-Welcome\r\n", false},
        {"220-Welcome\r\n", "220 Ready\r\n", true},
        {"220-Welcome\r\n", "220\r\n", true},
        {"220-Welcome\r\n", "No code on this line\r\n", false},
        {"220-Welcome\r\n", "\r\n", false},
        {"220-Welcome\r\n", " 220 indented\r\n", false},
        {"220-Welcome\r\n", "220-More\r\n", false},
        {"220-Welcome\r\n", "230 Another code\r\n", false},
        {"220-Welcome\r\n", "421-Embedded\r\n", false},
        {"211-Features\r\n", "2110 Four digits\r\n", false},
        {"211-Features\r\n", "21\r\n", false},
    };
    for (const LastLineCase& c : cases)
        EXPECT_EQ(FtpReply::IsLastLine(c.first, c.line), c.last) << c.first << " / " << c.line;
}

struct WaitingCase {
    const char* input;
    bool abort;
    bool refusal;
};

TEST(FtpReply, WaitingInputIsJudgedByItsFirstWholeCode)
{
    const WaitingCase cases[] = {
        {"421 Timeout.\r\n", true, true},
        {"426-Transfer aborted\r\n", true, true},
        {"421\r\n", true, true},
        {"421", false, false},  // too little to tell yet
        {"4210 Not a code\r\n", false, true},
        {"425 Can't open data connection\r\n", false, true},
        {"550 No such file", false, false},  // the line is not whole yet
        {"150 Opening\r\n", false, false},
        {"226 Done\r\n", false, false},
        {"Garbage\r\n", false, true},
        {"", false, false},
    };
    for (const WaitingCase& c : cases) {
        EXPECT_EQ(FtpReply::StartsAbortReply(c.input), c.abort) << c.input;
        EXPECT_EQ(FtpReply::StartsRefusal(c.input), c.refusal) << c.input;
    }
}

TEST(FtpReply, MessageTextIsOneLineWithoutLineEnd)
{
    EXPECT_EQ(FtpReply::Text("530 Login incorrect.\r\n"), "530 Login incorrect.");
    EXPECT_EQ(FtpReply::Text("550 a\rb\n"), "550 a b");
    EXPECT_EQ(FtpReply::Text("200"), "200");
    EXPECT_EQ(FtpReply::Text("\r\n"), "");
}

}  // namespace
