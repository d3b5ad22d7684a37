// Splitting a typed site address into host and port.
#include "sites/SiteAddress.h"

#include <gtest/gtest.h>

namespace {

struct TAddressCase {
    const char* Address;
    const char* Host;
    int Port;
};

const TAddressCase Cases[] = {
    {"ftp.example.org", "ftp.example.org", 0},
    {"ftp.example.org:2121", "ftp.example.org", 2121},
    {"127.0.0.1:21", "127.0.0.1", 21},
    {"10.1.2.3", "10.1.2.3", 0},
    {"host:", "host", 0},  // an empty port is no port
    {"host:00021", "host", 21},
    {"host:65535", "host", 65535},
    // Not a port: the whole text stays the host and its lookup fails.
    {"host:0", "host:0", 0},
    {"host:65536", "host:65536", 0},
    {"host:123456", "host:123456", 0},
    {"host:99999999999", "host:99999999999", 0},
    {"host:21a", "host:21a", 0},
    {"host:+21", "host:+21", 0},
    {"host: 21", "host: 21", 0},
    {":21", ":21", 0},
    // A bare IPv6 address is never cut, whatever its last group looks like.
    {"::1", "::1", 0},
    {"fe80::1:2121", "fe80::1:2121", 0},
    // Brackets set an IPv6 address apart from its port.
    {"[::1]:2121", "::1", 2121},
    {"[::1]", "::1", 0},
    {"[::1]:", "::1", 0},
    {"[::1]:0", "[::1]:0", 0},
    {"[::1]2121", "[::1]2121", 0},
    {"[::1", "[::1", 0},
    {"[]:21", "[]:21", 0},
    {"", "", 0},
};

TEST(SiteAddress, SplitsHostAndPort)
{
    for (const TAddressCase& c : Cases) {
        const TSiteAddress split = SplitSiteAddress(QString::fromLatin1(c.Address));
        EXPECT_EQ(split.Host, QString::fromLatin1(c.Host)) << c.Address;
        EXPECT_EQ(split.Port, c.Port) << c.Address;
    }
}

}  // namespace
