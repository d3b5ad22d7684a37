#pragma once
#include <QByteArray>
#include <QHostAddress>
#include <optional>

// The readings of the replies that open a passive data connection, free of
// sockets. A reply that cannot be read gives no value: the caller treats it
// as a failure, never guesses an address or port.
namespace FtpPassive {

// What a "227" names: an IPv4 address and a port (never 0).
struct TPasvTarget {
    QHostAddress Address;
    quint16 Port = 0;
};

// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)" (RFC 959, 4.1.1). Servers
// word it differently and some leave out the parentheses, so the first six
// comma-separated numbers after the code count; each must be 0-255.
std::optional<TPasvTarget> ParsePasvReply(const QByteArray& line);

// "229 Entering Extended Passive Mode (|||port|)" (RFC 2428, 3): the port
// between the delimiters, 1-65535. The delimiter is the first character in
// the parentheses, any of ASCII 33-126; the address fields stay empty.
std::optional<quint16> ParseEpsvReply(const QByteArray& line);

// The argument of "EPRT" (RFC 2428, 2): "|1|132.235.1.2|6275|" for IPv4,
// "|2|::1|6275|" for IPv6.
QByteArray EprtArgument(const QHostAddress& address, quint16 port);

}  // namespace FtpPassive
