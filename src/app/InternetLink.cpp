#include "app/InternetLink.h"

#include "sites/SiteSettings.h"

#include <QByteArray>
#include <QHostAddress>
#include <QStringList>
#include <optional>

namespace {

int HexValue(QChar c)
{
    if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
    return -1;
}

// Links copied from a browser or a mail carry "%XX" escapes (RFC 3986, 2.1),
// which stand for UTF-8 bytes. A "%" that starts no escape stays as typed.
// Nothing decoded may be a control character: a CR LF in a user name would
// become a second command on the control connection.
std::optional<QString> Decoded(const QString& text)
{
    QByteArray bytes;
    const QByteArray utf8 = text.toUtf8();
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const bool room = i + 2 < utf8.size();
        const int high = room ? HexValue(QChar(utf8[i + 1])) : -1;
        const int low = room ? HexValue(QChar(utf8[i + 2])) : -1;
        if (utf8[i] == '%' && high >= 0 && low >= 0) {
            bytes += char(high * 16 + low);
            i += 2;
        } else {
            bytes += utf8[i];
        }
    }
    // Nor a format or separator character: a right-to-left mark or a line
    // separator would rearrange the question that names the file.
    const QString decoded = QString::fromUtf8(bytes);
    for (const QChar c : decoded)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            return std::nullopt;
    return decoded;
}

// One name of a path: an escaped "/" would make it two names, and "."
// or ".." would climb where the link did not point.
std::optional<QString> DecodedName(const QString& text)
{
    std::optional<QString> name = Decoded(text);
    if (name && (name->contains(u'/') || *name == u"." || *name == u"..")) return std::nullopt;
    return name;
}

std::optional<QString> DecodedPath(const QString& text)
{
    QStringList names = text.split(u'/');
    for (QString& name : names) {
        if (name.isEmpty()) continue;  // a leading, doubled or trailing "/"
        std::optional<QString> decoded = DecodedName(name);
        if (!decoded) return std::nullopt;
        name = *decoded;
    }
    return names.join(u'/');
}

// A host name is one word of printable ASCII or other letters: a blank, a
// control character or an "@" there would be a login or a command that went
// astray, never a machine.
bool PlainHostName(const QString& host)
{
    if (host.isEmpty()) return false;
    for (const QChar c : host)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || c == u'@' || c == u'[' || c == u']' ||
            !c.isPrint() || c.isSpace())
            return false;
    return true;
}

// "host", "host:port", "[v6-address]" or "[v6-address]:port" (RFC 3986,
// 3.2.2); the port must be one a socket can reach. A bracketed address must
// be an IPv6 address and nothing else.
bool SplitHostPort(const QString& address, QString& host, int& port)
{
    QString portText;
    port = 0;
    if (address.startsWith(u'[')) {
        const qsizetype close = address.indexOf(u']');
        if (close < 0) return false;
        host = address.left(close + 1);
        // No zone ("%eth0"): it names an interface of this machine, and its
        // text could carry anything.
        if (host.contains(u'%')) return false;
        if (QHostAddress(address.mid(1, close - 1)).protocol() != QAbstractSocket::IPv6Protocol) return false;
        const QString after = address.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(u':')) return false;
        portText = after.mid(1);
    } else {
        const qsizetype colon = address.lastIndexOf(u':');
        host = colon < 0 ? address : address.left(colon);
        if (colon >= 0) portText = address.mid(colon + 1);
        // A bare host name needs a dot: "fileserver" alone is no Internet site.
        if (!PlainHostName(host) || !host.contains(u'.')) return false;
    }
    if (portText.isEmpty()) return true;
    for (const QChar c : portText)
        if (!c.isDigit() || c.unicode() > 0x7F) return false;
    bool ok = false;
    port = portText.toInt(&ok);
    return ok && port >= 1 && port <= 65535;
}

// The scheme names the encryption: "ftps" is TLS from the first byte,
// "ftpes" plain FTP that must turn to TLS with "AUTH TLS" (RFC 4217). Any
// other scheme means another protocol, whose password must not go in clear
// text to an FTP port (RFC 3986, 3.1: schemes are case-insensitive).
std::optional<TSiteEncryption> EncryptionOfScheme(const QString& scheme)
{
    if (scheme.compare(u"ftp", Qt::CaseInsensitive) == 0) return enExplicitIfAvailable;
    if (scheme.compare(u"ftps", Qt::CaseInsensitive) == 0) return enImplicit;
    if (scheme.compare(u"ftpes", Qt::CaseInsensitive) == 0) return enRequireExplicit;
    return std::nullopt;
}

}  // namespace

bool ParseLink(const QString& link, TSiteSettings& site, QString& fileName)
{
    QString rest = link.trimmed();
    TSiteEncryption encryption = enExplicitIfAvailable;
    const qsizetype schemeEnd = rest.indexOf(QStringLiteral("://"));
    if (schemeEnd >= 0) {
        const std::optional<TSiteEncryption> fromScheme = EncryptionOfScheme(rest.left(schemeEnd));
        if (!fromScheme) return false;
        encryption = *fromScheme;
        rest = rest.mid(schemeEnd + 3);
    }

    QString userName, password;
    bool normalLogin = false;
    // A login ends before the path: an "@" in a folder or file name
    // ("pub/file@v2.tar.gz") must not turn the host into a user name and
    // send the connection to whatever follows it.
    const qsizetype pathStart = rest.indexOf(u'/');
    qsizetype at = (pathStart < 0 ? rest : rest.left(pathStart)).indexOf(u'@');
    if (at >= 0) {
        // A user name or password may hold one "@" of its own when a "/"
        // follows the host; without any "/" the first "@" separates.
        const QString after = rest.mid(at + 1);
        const qsizetype second = after.indexOf(u'@');
        const qsizetype slash = after.indexOf(u'/');
        if (second >= 0 && slash > second) at += second + 1;
        const QString login = rest.left(at);
        rest = rest.mid(at + 1);
        normalLogin = true;
        const qsizetype colon = login.indexOf(u':');
        const std::optional<QString> user = Decoded(colon < 0 ? login : login.left(colon));
        const std::optional<QString> pass = Decoded(colon < 0 ? QString() : login.mid(colon + 1));
        if (!user || !pass) return false;
        userName = *user;
        password = *pass;
    }

    QString address = rest, directory, file;
    const qsizetype slash = rest.indexOf(u'/');
    if (slash >= 0) {
        address = rest.left(slash);
        const QString path = rest.mid(slash + 1);
        const qsizetype lastSlash = path.lastIndexOf(u'/');
        const qsizetype lastDot = path.lastIndexOf(u'.');
        // A last name with a "." is a file; "/" at the end makes it a folder.
        const bool namesFile = lastSlash < lastDot;
        const std::optional<QString> folder = DecodedPath(namesFile ? path.left(qMax(lastSlash, 0)) : path);
        if (!folder) return false;
        directory = *folder;
        if (namesFile) {
            const std::optional<QString> name = DecodedName(path.mid(lastSlash + 1));
            if (!name) return false;
            file = *name;
        }
    }

    QString host;
    int port = 0;
    if (!SplitHostPort(address, host, port)) return false;

    site = TSiteSettings();
    site.SiteName = host;
    // The record carries a port as "host:port"; none means the default port.
    site.Address = port > 0 ? QStringLiteral("%1:%2").arg(host).arg(port) : host;
    site.UserName = userName;
    site.Password = password;
    site.NormalLogin = normalLogin;
    site.RemoteStartupDir = directory;
    site.Encryption = encryption;
    fileName = file;
    return true;
}
