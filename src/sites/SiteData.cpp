#include "sites/SiteData.h"

#include "platform/StoredText.h"

namespace {

constexpr QByteArrayView Separator("\r\n");

}  // namespace

TSiteData::TSiteData(const QByteArray& siteText)
{
    SetSiteText(siteText);
}

void TSiteData::SetSiteText(const QByteArray& siteText)
{
    FSiteText = siteText;
    const qsizetype end = siteText.indexOf(Separator);
    FName = end < 0 ? QString() : DecodeStored(siteText.first(end));
}

void TSiteData::Rename(const QString& name)
{
    // A CR LF in the name would end the first field early and shift the rest.
    const QByteArray line = EncodeStored(QString(name).replace(QLatin1String("\r\n"), QLatin1String(" ")));
    const qsizetype end = FSiteText.indexOf(Separator);
    // A text without CR LF is one field only: the name, which is replaced.
    SetSiteText(line + Separator.toByteArray() + (end < 0 ? QByteArray() : FSiteText.sliced(end + 2)));
}
