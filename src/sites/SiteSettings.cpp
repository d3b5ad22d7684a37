#include "sites/SiteSettings.h"

#include "platform/StoredText.h"

#include <QByteArrayList>

#include <algorithm>
#include <array>

namespace {

constexpr QByteArrayView Separator("\r\n");
constexpr int SingleLineFields = 7;

QByteArray SingleLine(const QString& field)
{
    return EncodeStored(QString(field).replace(QLatin1String("\r\n"), QLatin1String(" ")));
}

// Takes the text up to the next separator (or to the end) off the front of rest.
QByteArray TakeField(QByteArrayView& rest)
{
    const qsizetype end = rest.indexOf(Separator);
    if (end < 0) {
        const QByteArrayView field = rest;
        rest = QByteArrayView();
        return field.toByteArray();
    }
    const QByteArrayView field = rest.first(end);
    rest = rest.sliced(end + Separator.size());
    return field.toByteArray();
}

const QByteArray LineEnd("\r\n");
const QByteArray DataConnectionKey("DataConnection");
const QByteArray ForceListKey("ForceList");
const QByteArray EncryptionKey("Encryption");

// The stored word of each encryption choice, in the order of TSiteEncryption;
// the default has none, as it is never written.
const std::array<QByteArray, 4> EncryptionValues = {"", "require-explicit", "implicit", "plain"};

QByteArray KeyOf(const QByteArray& line)
{
    const qsizetype equals = line.indexOf('=');
    return equals < 0 ? QByteArray() : line.first(equals);
}

QByteArrayList ExtraLines(const QByteArray& extras)
{
    QByteArrayList lines;
    QByteArrayView rest(extras);
    while (!rest.isEmpty()) {
        const QByteArray line = TakeField(rest);
        if (!line.isEmpty()) lines.append(line);
    }
    return lines;
}

}  // namespace

void TSiteSettings::Assign(const TSiteSettings* source)
{
    if (source) *this = *source;
}

QByteArray SiteToText(const TSiteSettings& site)
{
    const std::array<QByteArray, SingleLineFields> fields = {
        SingleLine(site.SiteName),
        SingleLine(site.Address),
        site.NormalLogin ? QByteArray("1") : QByteArray("0"),
        SingleLine(site.UserName),
        SingleLine(site.Password),
        SingleLine(site.LocalStartupDir),
        SingleLine(site.RemoteStartupDir),
    };
    QByteArray text;
    for (const QByteArray& field : fields)
        text += field + Separator.toByteArray();
    return text + EncodeStored(site.Comments);
}

TSiteSettings TextToSite(const QByteArray& text)
{
    QByteArrayView rest(text);
    std::array<QString, SingleLineFields> fields;
    for (QString& field : fields)
        field = DecodeStored(TakeField(rest));
    bool isNumber = false;
    const int loginType = fields[2].toInt(&isNumber);
    TSiteSettings site;
    site.SiteName = fields[0];
    site.Address = fields[1];
    site.NormalLogin = isNumber && loginType != 0;
    site.UserName = fields[3];
    site.Password = fields[4];
    site.LocalStartupDir = fields[5];
    site.RemoteStartupDir = fields[6];
    site.Comments = DecodeStored(rest.toByteArray());
    return site;
}

QByteArray SiteToExtras(const TSiteSettings& site, const QByteArray& previous)
{
    QByteArray extras;
    if (site.DataConnection != dcDefault)
        extras += DataConnectionKey + (site.DataConnection == dcPassive ? "=passive" : "=active") + LineEnd;
    if (site.ForceList) extras += ForceListKey + "=1" + LineEnd;
    if (site.Encryption != enExplicitIfAvailable && size_t(site.Encryption) < EncryptionValues.size())
        extras += EncryptionKey + '=' + EncryptionValues[site.Encryption] + LineEnd;
    for (const QByteArray& line : ExtraLines(previous)) {
        const QByteArray key = KeyOf(line);
        if (key != DataConnectionKey && key != ForceListKey && key != EncryptionKey) extras += line + LineEnd;
    }
    return extras;
}

void ExtrasToSite(const QByteArray& extras, TSiteSettings& site)
{
    site.DataConnection = dcDefault;
    site.ForceList = false;
    site.Encryption = enExplicitIfAvailable;
    for (const QByteArray& line : ExtraLines(extras)) {
        const QByteArray key = KeyOf(line);
        const QByteArray value = line.mid(key.size() + 1);
        if (key == DataConnectionKey && value == "passive") site.DataConnection = dcPassive;
        if (key == DataConnectionKey && value == "active") site.DataConnection = dcActive;
        if (key == ForceListKey) site.ForceList = value == "1";
        if (key == EncryptionKey && !value.isEmpty()) {
            const auto found = std::find(EncryptionValues.begin(), EncryptionValues.end(), value);
            if (found != EncryptionValues.end())
                site.Encryption = TSiteEncryption(found - EncryptionValues.begin());
        }
    }
}

TSiteSettings SiteOf(const TSiteData& data)
{
    TSiteSettings site = TextToSite(data.SiteText());
    ExtrasToSite(data.Extras(), site);
    return site;
}
