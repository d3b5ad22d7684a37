#include "sites/FolderSettings.h"

#include <QCollator>
#include <algorithm>
#include <numeric>

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString MakeUniqueItemName(const QString& base, const std::function<bool(const QString&)>& taken)
{
    QString name = base;
    for (int number = 2; taken(name); ++number)
        name = QStringLiteral("%1 (%2)").arg(base).arg(number);
    return name;
}

int TFolderSettings::IndexOf(const QString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameName(Sites.at(i).Name(), name)) return i;
    return -1;
}

QString TFolderSettings::UniqueName(const QString& base) const
{
    return MakeUniqueItemName(base, [this](const QString& name) { return Contains(name); });
}

QList<int> TFolderSettings::Sort()
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QList<int> order(Sites.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this, &collator](int a, int b) {
        return collator.compare(Sites.at(a).Name(), Sites.at(b).Name()) < 0;
    });
    QList<TSiteData> sorted;
    sorted.reserve(Sites.size());
    for (int from : order)
        sorted.append(Sites.at(from));
    Sites = sorted;
    return order;
}

void TFolderSettings::Paste(const QList<TSiteData>& sites,
                            const std::function<void(const QString&, const QString&)>& renamed)
{
    for (TSiteData site : sites) {
        if (Contains(site.Name())) {
            const QString oldName = site.Name();
            site.Rename(UniqueName(oldName));
            if (renamed) renamed(oldName, site.Name());
        }
        Sites.append(site);
    }
    Sort();
}
