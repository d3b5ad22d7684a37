#include "views/framework/ListRules.h"

#include <QLocale>
#include <cmath>

namespace {

template <class T>
int Sign(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int Sign(int value)
{
    return Sign(value, 0);
}

}  // namespace

QString TListRules::MakeUniqueName(const QString& name, QString format,
                                   const std::function<bool(const QString&)>& taken)
{
    if (!taken(name)) return name;
    int placeholder = format.indexOf(QLatin1String("%d"), 0, Qt::CaseInsensitive);
    if (placeholder < 0) {
        placeholder = format.size();
        format += QLatin1String("%d");
    }
    // Every try removes a distinct name from a finite set, so this ends.
    for (int n = 2;; ++n) {
        QString candidate = name + QString(format).replace(placeholder, 2, QString::number(n));
        if (!taken(candidate)) return candidate;
    }
}

int TListRules::FindPrefix(int count, const std::function<QString(int)>& nameAt, const QString& text,
                           int start, bool wrap, const std::function<bool(int)>& skip)
{
    const QLocale locale;
    const QString wanted = locale.toUpper(text);
    int index = qMax(start, 0);
    for (int examined = 0; examined < count; ++examined, ++index) {
        if (index >= count) {
            if (!wrap) break;
            index = 0;
        }
        if (locale.toUpper(nameAt(index)).startsWith(wanted) && !(skip && skip(index))) return index;
    }
    return -1;
}

int TListRules::CompareItems(bool aIsDirectory, const TItemInfo& a, bool bIsDirectory, const TItemInfo& b,
                             TSortType key, bool descending)
{
    if (aIsDirectory != bIsDirectory) return aIsDirectory ? -1 : 1;
    int order = 0;
    switch (key) {
    case stName: order = Sign(QString::localeAwareCompare(a.Name, b.Name)); break;
    case stType: order = Sign(QString::compare(a.TypeName, b.TypeName, Qt::CaseInsensitive)); break;
    case stSize: order = Sign(a.Size, b.Size); break;
    case stDate: order = Sign(a.Date, b.Date); break;
    }
    return descending ? -order : order;
}

QString TListRules::ByteCountText(quint64 bytes, const QLocale& locale)
{
    return locale.toString(qulonglong(bytes)) + QLatin1String(" bytes");
}

QString TListRules::HumanSizeText(quint64 bytes, const QLocale& locale)
{
    // Short is the point: no digit grouping.
    QLocale plain = locale;
    plain.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    if (bytes < 1024) return ByteCountText(bytes, plain);
    const char* const units[] = {"kB", "MB", "GB"};
    double value = double(bytes) / 1024;
    size_t unit = 0;
    while (unit + 1 < std::size(units) && std::round(value * 10) >= 10240) {
        value /= 1024;
        ++unit;
    }
    return plain.toString(value, 'f', 1) + u' ' + QLatin1String(units[unit]);
}
