#pragma once
#include <QString>

// A site address as typed: a host, optionally followed by ":" and a port.
struct TSiteAddress {
    QString Host;
    int Port = 0;  // 0: none given, the default port applies
};

// Splits "host:port". The port is the digits after the last ":" when the host
// before it has no ":" of its own, so a bare IPv6 address ("::1", "fe80::2")
// is never cut; "[v6-address]:port" and "[v6-address]" give the address
// without its brackets. An empty port ("host:") is no port. A port outside
// 1-65535 is not split off: the whole text stays the host, which no lookup
// finds, so the user is told the address is wrong instead of being connected
// to a port nobody typed.
TSiteAddress SplitSiteAddress(const QString& address);
