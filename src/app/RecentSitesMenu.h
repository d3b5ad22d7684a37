#pragma once
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;

// A site connected from the site list: its name and the caption of its folder.
struct TRecentEntry {
    QString Name;
    QString Folder;
};

// The recently connected sites below the fixed commands of the "&Connect"
// submenu, most recent first, at most eleven. An entry names its site; the
// site list looks it up again when the entry is clicked. Every change is
// copied to the settings' list of recent sites ("name\r\nfolder" each).
class TRecentSiteMenu : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxEntries = 11;

    // separator is the menu's last fixed item; the entries follow it.
    TRecentSiteMenu(QMenu& menu, QAction& separator, QStringList& store, QObject* parent = nullptr);

    // Connects to a site by its folder's caption and its name; false when the
    // site list has no such site.
    std::function<bool(const QString& folder, const QString& name)> ConnectByName;
    QIcon ItemIcon;

    // At the top, unless the same name and folder (without regard to case)
    // are there already, which then keep their place.
    void Add(const QString& name, const QString& folder);
    void Delete(int index);
    // Nothing happens unless both indexes are valid.
    void Move(int from, int to);
    void Clear();
    int Count() const { return int(Entries.size()); }
    // Two empty strings for an invalid index.
    TRecentEntry GetEntry(int index) const;
    // The stored order is restored.
    void LoadFromSettings();
    // Nestable; the last EndUpdate rebuilds.
    void BeginUpdate() { ++UpdateCount; }
    void EndUpdate();
    // Captions, hints, the separator and the settings' list from the entries.
    void Rebuild();

    // A click on an entry's item: reconnects, and moves the entry to the top;
    // an entry whose site is gone is removed with a message.
    void RecentMenuItemClick(QAction* item);

private:
    QList<QAction*> EntryItems() const;
    int IndexOf(const TRecentEntry& entry) const;

    QMenu& Menu;
    QAction& Separator;
    QStringList& Store;
    QList<TRecentEntry> Entries;
    int UpdateCount = 0;
};
