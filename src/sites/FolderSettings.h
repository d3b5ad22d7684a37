#pragma once
#include "sites/SiteData.h"

#include <QList>
#include <QString>
#include <functional>

// Names in the site list are compared without regard to case.
bool SameName(const QString& a, const QString& b);

// base, then "base (2)", "base (3)" ... : the first name that taken refuses.
QString MakeUniqueItemName(const QString& base, const std::function<bool(const QString&)>& taken);

// The sites of one folder, sorted by name (without regard to case) after
// every adding, pasting and renaming in place.
class TFolderSettings {
public:
    QList<TSiteData> Sites;

    int Count() const { return int(Sites.size()); }
    // The first site of that name, or -1.
    int IndexOf(const QString& name) const;
    bool Contains(const QString& name) const { return IndexOf(name) >= 0; }
    QString UniqueName(const QString& base) const;
    // Equal names keep their order. Returns, for each new position, the
    // position the site had before.
    QList<int> Sort();
    // Adds moved sites in order; one whose name the folder already holds
    // gets a unique name first, and renamed hears of it. Then sorts.
    void Paste(const QList<TSiteData>& sites,
               const std::function<void(const QString& oldName, const QString& newName)>& renamed = {});
};
