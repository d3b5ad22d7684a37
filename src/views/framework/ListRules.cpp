#include "views/framework/ListRules.h"

#include <QLocale>

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
                             TSortType key)
{
    if (aIsDirectory != bIsDirectory) return aIsDirectory ? -1 : 1;
    switch (key) {
    case stName: return Sign(QString::localeAwareCompare(a.Name, b.Name));
    case stType: return Sign(QString::compare(a.TypeName, b.TypeName, Qt::CaseInsensitive));
    case stSize: return Sign(a.Size, b.Size);
    case stDate: return Sign(a.Date, b.Date);
    }
    return 0;
}
