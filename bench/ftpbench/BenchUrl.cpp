#include "ftpbench/BenchUrl.h"

#include "platform/Exception.h"

#include <QUrl>

namespace {

// QUrl's decoded forms are QStrings; going through the encoded form keeps
// bytes that are not UTF-8.
QByteArray DecodedBytes(const QString& encoded)
{
    return QByteArray::fromPercentEncoding(encoded.toLatin1());
}

}  // namespace

TBenchUrl TBenchUrl::Parse(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("ftp") || url.host().isEmpty())
        throw Exception(QStringLiteral("Not an ftp address with a host: \"%1\"").arg(text));
    TBenchUrl result;
    result.Host = url.host();
    result.Port = static_cast<quint16>(url.port(21));
    if (!url.userName().isEmpty()) result.User = DecodedBytes(url.userName(QUrl::FullyEncoded));
    result.Password = DecodedBytes(url.password(QUrl::FullyEncoded));
    const QByteArray path = DecodedBytes(url.path(QUrl::FullyEncoded));
    if (!path.isEmpty()) result.Path = path;
    return result;
}

QByteArray TBenchUrl::Directory() const
{
    const qsizetype slash = Path.lastIndexOf('/');
    QByteArray folder = slash > 0 ? Path.left(slash) : QByteArray("/");
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    return folder;
}

QByteArray TBenchUrl::FileName() const
{
    return Path.mid(Path.lastIndexOf('/') + 1);
}
