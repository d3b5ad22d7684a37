#include "app/RecentSitesMenu.h"

#include "platform/MessageBoxes.h"
#include "sites/FolderSettings.h"

#include <QAction>
#include <QMenu>

namespace {

const QString LineBreak = QStringLiteral("\r\n");

// "&1 name" to "&9 name", "1&0 name", then no accelerator.
QString EntryCaption(int number, const QString& name)
{
    // A "&" of the name is shown, not taken as an accelerator.
    QString caption =
        QStringLiteral("%1 %2").arg(number).arg(QString(name).replace(u'&', QLatin1String("&&")));
    if (number <= 9)
        caption.prepend(QLatin1Char('&'));
    else if (number == 10)
        caption.insert(1, QLatin1Char('&'));
    return caption;
}

}  // namespace

TRecentSiteMenu::TRecentSiteMenu(QMenu& menu, QAction& separator, QStringList& store, QObject* parent)
    : QObject(parent), Menu(menu), Separator(separator), Store(store)
{
    Separator.setVisible(false);
}

QList<QAction*> TRecentSiteMenu::EntryItems() const
{
    const QList<QAction*> all = Menu.actions();
    return all.mid(all.indexOf(&Separator) + 1);
}

int TRecentSiteMenu::IndexOf(const TRecentEntry& entry) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameName(Entries.at(i).Name, entry.Name) && SameName(Entries.at(i).Folder, entry.Folder))
            return i;
    return -1;
}

void TRecentSiteMenu::Add(const QString& name, const QString& folder)
{
    const TRecentEntry entry{name, folder};
    if (IndexOf(entry) >= 0) return;
    if (Count() >= MaxEntries) {
        Entries.removeLast();  // its item takes the new entry
    } else {
        QAction* item = Menu.addAction(QString());
        connect(item, &QAction::triggered, this, [this, item] { RecentMenuItemClick(item); });
    }
    Entries.prepend(entry);
    if (UpdateCount == 0) Rebuild();
}

void TRecentSiteMenu::Delete(int index)
{
    if (index < 0 || index >= Count()) return;
    Entries.removeAt(index);
    // The captions are rebuilt, so any item can go.
    const QList<QAction*> items = EntryItems();
    if (!items.isEmpty()) delete items.first();
    if (UpdateCount == 0) Rebuild();
}

void TRecentSiteMenu::Move(int from, int to)
{
    if (from < 0 || from >= Count() || to < 0 || to >= Count()) return;
    Entries.move(from, to);
    Rebuild();
}

void TRecentSiteMenu::Clear()
{
    BeginUpdate();
    for (int i = Count() - 1; i >= 0; --i)
        Delete(i);
    EndUpdate();
}

TRecentEntry TRecentSiteMenu::GetEntry(int index) const
{
    return index >= 0 && index < Count() ? Entries.at(index) : TRecentEntry();
}

void TRecentSiteMenu::LoadFromSettings()
{
    BeginUpdate();
    const QStringList stored = Store;
    // Each is added at the top, so the last goes first.
    for (auto it = stored.crbegin(); it != stored.crend(); ++it) {
        const qsizetype split = it->indexOf(LineBreak);
        if (split < 0)
            Add(*it, QString());
        else
            Add(it->left(split), it->mid(split + LineBreak.size()));
    }
    EndUpdate();
}

void TRecentSiteMenu::EndUpdate()
{
    if (UpdateCount > 0 && --UpdateCount == 0) Rebuild();
}

void TRecentSiteMenu::Rebuild()
{
    Store.clear();
    const QList<QAction*> items = EntryItems();
    for (int i = 0; i < Count() && i < items.size(); ++i) {
        const TRecentEntry& entry = Entries.at(i);
        items.at(i)->setText(EntryCaption(i + 1, entry.Name));
        items.at(i)->setStatusTip(QStringLiteral("Connects to \"%1\"").arg(entry.Name));
        items.at(i)->setIcon(ItemIcon);
        Store.append(entry.Name + LineBreak + entry.Folder);
    }
    Separator.setVisible(!Entries.isEmpty());
}

void TRecentSiteMenu::RecentMenuItemClick(QAction* item)
{
    const int index = int(EntryItems().indexOf(item));
    if (index < 0 || index >= Count()) {
        ShowMessageBox(QStringLiteral("Internal error"), true);
        Clear();
        return;
    }
    const TRecentEntry entry = Entries.at(index);
    if (ConnectByName && ConnectByName(entry.Folder, entry.Name)) {
        // Connecting ran the event loop; the entry may stand elsewhere now.
        Move(IndexOf(entry), 0);
        return;
    }
    Delete(index);
    ShowMessageBox(QStringLiteral("The site could not be found from its previous parent folder"), true);
}
