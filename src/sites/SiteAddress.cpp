#include "sites/SiteAddress.h"

namespace {

bool AllDigits(QStringView text)
{
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// 0 for an empty port; -1 for one that is not a TCP port number (RFC 793:
// 16 bits, and port 0 cannot be connected to).
int PortOf(QStringView text)
{
    if (text.isEmpty()) return 0;
    if (!AllDigits(text) || text.size() > 5) return -1;
    const int port = text.toInt();
    return port >= 1 && port <= 65535 ? port : -1;
}

}  // namespace

TSiteAddress SplitSiteAddress(const QString& address)
{
    const TSiteAddress whole{address, 0};
    if (address.startsWith(u'[')) {
        // RFC 3986's form for an IPv6 literal with a port.
        const qsizetype close = address.indexOf(u']');
        if (close <= 1) return whole;
        const QStringView rest = QStringView(address).mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':')) return whole;
        const int port = PortOf(rest.mid(1));
        if (port < 0) return whole;
        return {address.mid(1, close - 1), port};
    }
    const qsizetype colon = address.lastIndexOf(u':');
    if (colon <= 0 || QStringView(address).left(colon).contains(u':')) return whole;
    const int port = PortOf(QStringView(address).mid(colon + 1));
    if (port < 0) return whole;
    return {address.left(colon), port};
}
