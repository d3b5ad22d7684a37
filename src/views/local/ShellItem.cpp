#include "views/local/ShellItem.h"

#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>

namespace {

QString TypeNameOf(const QFileInfo& info)
{
    const QMimeDatabase mimes;
    // By name, as the desktop does: reading every file's first bytes would
    // make listing a folder of large files slow.
    const QMimeType type = info.isDir()
                               ? mimes.mimeTypeForName(QStringLiteral("inode/directory"))
                               : mimes.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    return type.comment();
}

QString ShortDateTime(const QDateTime& time)
{
    const QLocale locale;
    return locale.toString(time.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(time.time(), QLocale::ShortFormat);
}

}  // namespace

QString TShellItem::SizeTextOf(quint64 size, bool isFolder, bool hasData)
{
    if (isFolder || !hasData) return {};
    if (size == 0) return QStringLiteral("0");
    quint64 kb = size / 1024;
    const quint64 rest = size % 1024;
    if (rest > 512 || (rest == 512 && kb % 2 == 1)) ++kb;
    return QString::number(qMax<quint64>(kb, 1));
}

void TShellItem::Update(bool isVolume)
{
    const QFileInfo info(ItemId);
    const bool hasData = !isVolume && info.exists();
    IsLink = !isVolume && info.isSymLink();
    // A link whose target is gone still is an entry the user may remove.
    const bool broken = IsLink && !hasData;
    TypeName = hasData ? TypeNameOf(info) : broken ? QStringLiteral("Broken link") : QString();
    Size = hasData && !info.isDir() ? quint64(info.size()) : 0;
    const QDateTime written = hasData ? info.lastModified() : QDateTime();
    Date = written.isValid() ? QDateTimeToDateTime(written) : 0;
    SizeText = SizeTextOf(Size, IsFolder, hasData);
    DateText = Date != 0 ? ShortDateTime(written) : QString();
    NeedsUpdate = false;
}
