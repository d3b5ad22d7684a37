#pragma once
#include <QString>

class TSiteSettings;

// Reads an Internet link, "[ftp://][username[:password]@]site.address[:port]
// [/directory[/file]]", into a new site record and the name of the file it
// names (empty when it names a directory). The scheme sets the encryption:
// "ftp" (or none) the default, "ftps" implicit TLS, "ftpes" explicit TLS
// required; without a port the address keeps none, even for "ftps", whose
// port is chosen when connecting. False for an unusable link: another scheme,
// a host without a ".", a port outside 1-65535, a "%2F" inside one name, or a
// control character anywhere once decoded.
bool ParseLink(const QString& link, TSiteSettings& site, QString& fileName);
