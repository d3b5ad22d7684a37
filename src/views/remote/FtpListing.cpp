#include "views/remote/FtpListing.h"

#include "net/FTPUnixList.h"
#include "platform/RemoteText.h"

#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QTime>
#include <charconv>

namespace {

const QByteArray LinkArrow = " -> ";

// The whole text as a decimal number; false for anything else, a sign included.
template <typename T>
bool ReadDecimal(QByteArrayView text, T& value)
{
    const char* end = text.data() + text.size();
    if (text.isEmpty() || text.front() == '-' || text.front() == '+') return false;
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end;
}

bool ReadDecimal(QStringView text, int& value)
{
    return ReadDecimal(QByteArrayView(text.toLatin1()), value);
}

quint64 ReadSize(const QByteArray& text)
{
    quint64 size = 0;
    return ReadDecimal(text, size) ? size : 0;
}

// The index of the first name after a leading "." and "..".
qsizetype FirstListed(const QByteArrayList& names)
{
    qsizetype first = 0;
    if (first < names.size() && names[first] == ".") ++first;
    if (first < names.size() && names[first] == "..") ++first;
    return first;
}

// One entry of a listing with details; i indexes the four lists.
std::unique_ptr<TFtpItem> MakeDetailedItem(const TFTPDirectoryList& list, qsizetype i)
{
    auto item = std::make_unique<TFtpItem>();
    const QByteArray& name = list.NameList[i];
    const QByteArray attributes = list.AttributeList.value(i);
    item->Attributes = DecodeRemote(attributes);
    const qsizetype arrow = name.indexOf(LinkArrow);
    if (attributes.startsWith('l') && arrow >= 0) {
        // A link shows neither size nor date: they describe the link, not its target.
        item->Name = DecodeRemote(name.left(arrow));
        item->LinkTarget = DecodeRemote(name.mid(arrow + LinkArrow.size()));
        return item;
    }
    item->Name = DecodeRemote(name);
    item->Size = ReadSize(list.SizeList.value(i));
    item->DateText = DecodeRemote(list.DateList.value(i));
    return item;
}

// Halves go to the even neighbour; a non-empty file shows at least 1.
quint64 RoundedKiloBytes(quint64 size)
{
    quint64 kb = size / 1024;
    const quint64 rest = size % 1024;
    if (rest > 512 || (rest == 512 && kb % 2 == 1)) ++kb;
    return qMax<quint64>(kb, 1);
}

// The desktop theme's icon for the type; without a theme (no desktop, or one
// that lacks the type) the style's plain folder or file icon.
QIcon IconFor(const QMimeType& type, bool directory)
{
    const QIcon themed = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (!themed.isNull()) return themed;
    static const QFileIconProvider provider;
    return provider.icon(directory ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
}

// By name only: the entry is remote, and a local file of the same name
// must not decide its type.
QMimeType TypeOf(const TFtpItem& item)
{
    const QMimeDatabase mimes;
    return TFtpListing::IsDirectoryItem(item)
               ? mimes.mimeTypeForName(QStringLiteral("inode/directory"))
               : mimes.mimeTypeForFile(item.Name, QMimeDatabase::MatchExtension);
}

}  // namespace

QIcon TFtpListing::IconOf(const TFtpItem& item)
{
    return IconFor(TypeOf(item), IsDirectoryItem(item));
}

TFtpListing::TItems TFtpListing::BuildItems(const TFTPDirectoryList& list, TFileAttributes filter)
{
    const bool hasDetails = list.NameList.isEmpty() || !list.SizeList.isEmpty();
    TItems items;
    items.reserve(list.NameList.size());
    for (qsizetype i = FirstListed(list.NameList); i < list.NameList.size(); ++i) {
        const bool isDir = hasDetails && list.AttributeList.value(i).startsWith('d');
        if (!filter.testFlag(isDir ? faFolders : faNormal)) continue;
        if (hasDetails) {
            items.push_back(MakeDetailedItem(list, i));
        } else {
            items.push_back(std::make_unique<TFtpItem>());
            items.back()->Name = DecodeRemote(list.NameList[i]);
        }
    }
    return items;
}

bool TFtpListing::IsDirectory(const TFtpItem& item)
{
    return item.CreatedDirectory || item.Attributes.startsWith(u'd');
}

bool TFtpListing::IsLink(const TFtpItem& item)
{
    return item.Attributes.startsWith(u'l');
}

bool TFtpListing::IsDirectoryItem(const TFtpItem& item)
{
    return IsDirectory(item) || IsLink(item);
}

TDateTime TFtpListing::ParseListingDate(const QString& text, int currentYear)
{
    QStringView rest = QStringView(text).trimmed();
    if (rest.size() < 3) return 0;
    const int month = TFTPUnixList::MonthNumber(rest.first(3).toLatin1());
    if (month == 0) return 0;
    rest = rest.sliced(3).trimmed();
    const qsizetype space = rest.indexOf(u' ');
    int day = 0;
    if (space < 0 || !ReadDecimal(rest.first(space), day)) return 0;
    rest = rest.sliced(space).trimmed();
    if (rest.isEmpty()) return 0;

    TDateTime result = 0;
    // 'Mon D YYYY HH:MM:SS', the exact time of an "MLSD" listing.
    if (const qsizetype yearEnd = rest.indexOf(u' '); yearEnd >= 0) {
        int year = 0;
        const QTime time =
            QTime::fromString(rest.sliced(yearEnd).trimmed().toString(), QStringLiteral("h:mm:ss"));
        if (ReadDecimal(rest.first(yearEnd), year) && time.isValid())
            TryEncodeDateTime(year, month, day, time.hour(), time.minute(), time.second(), result);
        return result;
    }
    const qsizetype separator = qMax(rest.lastIndexOf(u':'), rest.lastIndexOf(u'.'));
    int hour = 0;
    int minute = 0;
    if (separator >= 0 && ReadDecimal(rest.first(separator), hour) &&
        ReadDecimal(rest.sliced(separator + 1).left(2), minute)) {
        TryEncodeDateTime(currentYear, month, day, hour, minute, 0, result);
        return result;
    }
    int year = 0;
    if (ReadDecimal(rest, year)) TryEncodeDateTime(year, month, day, 0, 0, 0, result);
    return result;
}

QString TFtpListing::SizeText(const TFtpItem& item)
{
    if (IsDirectoryItem(item)) return {};
    if (item.Size > 0) return QString::number(RoundedKiloBytes(item.Size));
    return item.DateText.isEmpty() ? QString() : QStringLiteral("0");
}

void TFtpListing::UpdateItemInfo(TFtpItem& item, int currentYear, bool showIcons)
{
    if (!item.NeedsUpdate) return;
    const QMimeType type = TypeOf(item);
    item.TypeName = type.comment();
    item.Icon = showIcons ? IconFor(type, IsDirectoryItem(item)) : QIcon();
    item.SizeText = SizeText(item);
    item.Date = item.DateText.isEmpty() ? 0 : ParseListingDate(item.DateText, currentYear);
    item.NeedsUpdate = false;
}
