#include "net/FtpPassive.h"

#include <QRegularExpression>

namespace FtpPassive {

std::optional<TPasvTarget> ParsePasvReply(const QByteArray& line)
{
    if (line.size() < 4) return std::nullopt;
    // Up to three digits each, so "1000" is no 100 with a stray 0; a run of
    // more digits before or after is no number of the six either, nor is a
    // negative one.
    static const QRegularExpression six(
        QStringLiteral("(?<![-\\d])(\\d{1,3}) *, *(\\d{1,3}) *, *(\\d{1,3}) *, *(\\d{1,3}) *, *(\\d{1,3}) *, "
                       "*(\\d{1,3})(?!\\d)"));
    const QRegularExpressionMatch match = six.match(QString::fromLatin1(line.mid(3)));
    if (!match.hasMatch()) return std::nullopt;
    int values[6];
    for (int i = 0; i < 6; ++i) {
        values[i] = match.captured(i + 1).toInt();
        if (values[i] > 255) return std::nullopt;
    }
    TPasvTarget target;
    target.Address = QHostAddress(quint32(values[0]) << 24 | quint32(values[1]) << 16 |
                                  quint32(values[2]) << 8 | quint32(values[3]));
    target.Port = quint16(values[4] * 256 + values[5]);
    if (target.Port == 0) return std::nullopt;
    return target;
}

namespace {

// The port in "(" d d d port d ")" starting at open, if that is what stands there.
std::optional<quint16> EpsvPortAt(const QByteArray& line, qsizetype open)
{
    if (open + 1 >= line.size()) return std::nullopt;
    const char d = line[open + 1];
    // A digit would make the port unreadable, though the range allows it.
    if (d < 33 || d > 126 || (d >= '0' && d <= '9')) return std::nullopt;
    // "(" d d d port d ")": the port is one to five digits.
    const QByteArray head(3, d);
    if (line.mid(open + 1, 3) != head) return std::nullopt;
    const qsizetype start = open + 4;
    const qsizetype end = line.indexOf(d, start);
    if (end < 0 || end - start < 1 || end - start > 5 || line.mid(end + 1, 1) != ")") return std::nullopt;
    quint32 port = 0;
    for (qsizetype i = start; i < end; ++i) {
        if (line[i] < '0' || line[i] > '9') return std::nullopt;
        port = port * 10 + quint32(line[i] - '0');
    }
    if (port == 0 || port > 65535) return std::nullopt;
    return quint16(port);
}

}  // namespace

std::optional<quint16> ParseEpsvReply(const QByteArray& line)
{
    // The text before the parentheses is free: "229 Server (v2) ready (|||6446|)".
    for (qsizetype open = line.indexOf('(', 3); open >= 0; open = line.indexOf('(', open + 1))
        if (const std::optional<quint16> port = EpsvPortAt(line, open)) return port;
    return std::nullopt;
}

QByteArray EprtArgument(const QHostAddress& address, quint16 port)
{
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    // No scope: the server has its own name for the interface.
    QHostAddress bare = address;
    bare.setScopeId({});
    return (v6 ? "|2|" : "|1|") + bare.toString().toLatin1() + '|' + QByteArray::number(port) + '|';
}

}  // namespace FtpPassive
