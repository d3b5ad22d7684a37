// Reading the replies that open a passive data connection, and the "EPRT"
// argument: a reply that cannot be read must give nothing, never a guess.
#include "net/FtpPassive.h"

#include <gtest/gtest.h>

namespace {

struct PasvCase {
    const char* Reply;
    const char* Address;  // nullptr: refused
    quint16 Port;
};

const PasvCase PasvCases[] = {
    {"227 Entering Passive Mode (192,168,1,20,195,149)\r\n", "192.168.1.20", 50069},
    {"227 Entering Passive Mode (10,0,0,1,4,1)", "10.0.0.1", 1025},
    // Without parentheses, with "=" or spaces, as servers write it.
    {"227 Entering Passive Mode 127,0,0,1,200,10\r\n", "127.0.0.1", 51210},
    {"227 =127,0,0,1,0,21\r\n", "127.0.0.1", 21},
    {"227 Passive (127, 0, 0, 1, 1, 0).\r\n", "127.0.0.1", 256},
    // A server that names no address of its own.
    {"227 Entering Passive Mode (0,0,0,0,39,16)\r\n", "0.0.0.0", 10000},
    // A digit in the text before the numbers is not one of them.
    {"227 Mode 2 on (1,2,3,4,0,80)\r\n", "1.2.3.4", 80},
    {"227 Entering Passive Mode (256,0,0,1,4,1)\r\n", nullptr, 0},
    {"227 Entering Passive Mode (127,0,0,1,4,300)\r\n", nullptr, 0},
    {"227 Entering Passive Mode (127,0,0,1,1000,1)\r\n", nullptr, 0},
    {"227 Entering Passive Mode (127,0,0,1,4)\r\n", nullptr, 0},
    {"227 Entering Passive Mode (127,0,0,1,0,0)\r\n", nullptr, 0},
    {"227 Entering Passive Mode (-1,0,0,1,4,1)\r\n", nullptr, 0},
    {"227 Entering Passive Mode\r\n", nullptr, 0},
    {"227 (a,b,c,d,e,f)\r\n", nullptr, 0},
    {"227", nullptr, 0},
    {"", nullptr, 0},
};

TEST(PassiveReplies, PasvGivesTheSixNumbersOrNothing)
{
    for (const PasvCase& c : PasvCases) {
        const auto target = FtpPassive::ParsePasvReply(c.Reply);
        ASSERT_EQ(target.has_value(), c.Address != nullptr) << c.Reply;
        if (!target) continue;
        EXPECT_EQ(target->Address.toString(), QString::fromLatin1(c.Address)) << c.Reply;
        EXPECT_EQ(target->Port, c.Port) << c.Reply;
    }
}

struct EpsvCase {
    const char* Reply;
    int Port;  // -1: refused
};

const EpsvCase EpsvCases[] = {
    {"229 Entering Extended Passive Mode (|||6446|)\r\n", 6446},
    {"229 Entering Extended Passive Mode (!!!65535!)\r\n", 65535},
    {"229 ok (~~~1~)", 1},
    {"229 Server (v2) ready (|||6446|)\r\n", 6446},
    {"229 Entering Extended Passive Mode (|||0|)\r\n", -1},
    {"229 Entering Extended Passive Mode (|||65536|)\r\n", -1},
    {"229 Entering Extended Passive Mode (|||123456|)\r\n", -1},
    {"229 Entering Extended Passive Mode (||||)\r\n", -1},
    {"229 Entering Extended Passive Mode (|||64a6|)\r\n", -1},
    {"229 Entering Extended Passive Mode (|1|::1|6446|)\r\n", -1},
    {"229 Entering Extended Passive Mode (|||6446!)\r\n", -1},
    {"229 Entering Extended Passive Mode (|||6446|\r\n", -1},
    {"229 Entering Extended Passive Mode ( |||6446|)\r\n", -1},
    {"229 Entering Extended Passive Mode (1116446)\r\n", -1},
    {"229 Entering Extended Passive Mode 6446\r\n", -1},
    {"229 (", -1},
    {"", -1},
};

TEST(PassiveReplies, EpsvGivesThePortBetweenTheDelimitersOrNothing)
{
    for (const EpsvCase& c : EpsvCases) {
        const auto port = FtpPassive::ParseEpsvReply(c.Reply);
        ASSERT_EQ(port.has_value(), c.Port >= 0) << c.Reply;
        if (port) {
            EXPECT_EQ(*port, c.Port) << c.Reply;
        }
    }
}

TEST(PassiveReplies, EprtNamesTheFamilyAddressAndPort)
{
    EXPECT_EQ(FtpPassive::EprtArgument(QHostAddress("::1"), 2121), "|2|::1|2121|");
    EXPECT_EQ(FtpPassive::EprtArgument(QHostAddress("127.0.0.1"), 6275), "|1|127.0.0.1|6275|");
    EXPECT_EQ(FtpPassive::EprtArgument(QHostAddress("fe80::1%1"), 21), "|2|fe80::1|21|");
}

}  // namespace
