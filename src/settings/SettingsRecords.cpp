#include "settings/SettingsRecords.h"

#include "platform/StoredText.h"

#include <QRegularExpression>
#include <QtEndian>

namespace {

constexpr qsizetype ProxyAddressOffset = 17;
constexpr qsizetype EmailAddressOffset = 93;

void AppendInt32(QByteArray& record, qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    record.append(bytes, 4);
}

qint32 Int32At(const QByteArray& record, qsizetype offset)
{
    return qFromLittleEndian<qint32>(record.constData() + offset);
}

// A length byte and room for ShortTextLimit bytes.
void AppendShortText(QByteArray& record, const QString& text)
{
    QByteArray bytes = EncodeStored(text);
    if (bytes.size() > ShortTextLimit) {
        qsizetype cut = ShortTextLimit;
        while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
            --cut;
        bytes.truncate(cut);
    }
    record.append(char(bytes.size()));
    record.append(bytes);
    record.append(ShortTextLimit - bytes.size(), '\0');
}

// A length byte beyond the room is damage; the room's bytes are still the text.
QString ShortTextAt(const QByteArray& record, qsizetype offset)
{
    const qsizetype length = qMin<qsizetype>(static_cast<unsigned char>(record[offset]), ShortTextLimit);
    return DecodeStored(record.mid(offset + 1, length));
}

}  // namespace

QByteArray PackConnection(const TConnectionSettings& connection)
{
    QByteArray record;
    record.reserve(ConnectionRecordSize);
    AppendInt32(record, connection.Retries);
    AppendInt32(record, connection.RetryDelay);
    AppendInt32(record, connection.DefaultPort);
    AppendInt32(record, connection.ProxyPort);
    record.append(char(connection.UseProxy ? 1 : 0));
    AppendShortText(record, connection.ProxyAddress);
    AppendShortText(record, connection.EmailAddress);
    return record;
}

bool UnpackConnection(const QByteArray& record, TConnectionSettings& connection)
{
    if (record.size() != ConnectionRecordSize) return false;
    connection.Retries = Int32At(record, 0);
    connection.RetryDelay = Int32At(record, 4);
    connection.DefaultPort = Int32At(record, 8);
    connection.ProxyPort = Int32At(record, 12);
    connection.UseProxy = record[16] != 0;
    connection.ProxyAddress = ShortTextAt(record, ProxyAddressOffset);
    connection.EmailAddress = ShortTextAt(record, EmailAddressOffset);
    return true;
}

QByteArray PackMainSize(qint32 width, qint32 height, bool maximized)
{
    QByteArray record;
    AppendInt32(record, width);
    AppendInt32(record, height);
    record.append(char(maximized ? 1 : 0));
    return record;
}

bool UnpackMainSize(const QByteArray& record, qint32& width, qint32& height, bool& maximized)
{
    if (record.size() != MainSizeRecordSize) return false;
    width = Int32At(record, 0);
    height = Int32At(record, 4);
    maximized = record[8] != 0;
    return true;
}

QByteArray PackSiteList(qint32 width, qint32 height, qint32 selection)
{
    QByteArray record;
    AppendInt32(record, width);
    AppendInt32(record, height);
    AppendInt32(record, selection);
    return record;
}

bool UnpackSiteList(const QByteArray& record, qint32& width, qint32& height, qint32& selection)
{
    if (record.size() != SiteListRecordSize) return false;
    width = Int32At(record, 0);
    height = Int32At(record, 4);
    selection = Int32At(record, 8);
    return true;
}

QStringList DefaultTextExtensions()
{
    return {"asm", "bat", "c",    "cpp", "css", "diz", "h",  "hpp",   "htm", "html", "inc",
            "inf", "ini", "java", "js",  "log", "pas", "pl", "shtml", "txt", "xml"};
}

QString JoinTextExtensions(const QStringList& extensions)
{
    QString text;
    for (const QString& extension : extensions)
        text += extension + QLatin1String("\r\n");
    return text;
}

QStringList SplitTextExtensions(const QString& text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineEnd);
    // The terminator of the last line does not start another one.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}
