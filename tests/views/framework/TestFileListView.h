#pragma once
// A small concrete file list over plain records, to drive the framework.
#include "views/framework/VirtualCustomFileListView.h"
#include "views/tree/Directory.h"

#include <QSet>

struct TTestEntry {
    QString Name;
    bool IsDir = false;
    quint64 Size = 0;
    TDateTime Date = 0;
};

// Files and a folder whose names, sizes and dates each sort differently
// (one size beyond 32 bits).
inline QList<TTestEntry> Mixed()
{
    return {{"b.txt", false, 300, 3},
            {"A.pdf", false, 5'000'000'000ULL, 1},
            {"zdir", true},
            {"c.doc", false, 10, 2}};
}

class TTestItem : public TFileListItem {
public:
    QString ItemName() const override { return Entry.Name; }
    TTestEntry Entry;
    bool NeedsUpdate = true;
    QString TypeName;
};

class TTestFileListView : public TVirtualCustomFileListView {
public:
    explicit TTestFileListView(QWidget* parent = nullptr);

    // What RefreshList lists, in this order before sorting.
    QList<TTestEntry> Disk;
    // The operations the framework ran, e.g. "Up", "Delete 2 false".
    QStringList Calls;
    bool RefuseRenames = false;
    bool ThrowInCompare = false;
    QSet<QString> UnreadableTrees;
    int Updated = 0;  // records whose derived fields were computed
    int Freed = 0;
    int Compares = 0;

    QStringList Names() const;  // records in list order
    void ShowEntries(const QList<TTestEntry>& entries);

    bool RefreshList() override;
    TItemInfo GetItemInfo(int item) override;
    bool GotoUpperDirectory() override;
    bool OpenDirectory(const QString& name) override;
    int CreateDirectory(const QString& name, bool refresh, bool makeUnique) override;
    bool RenameItem(int item, QString& newName) override;
    bool DeleteItems(int item, bool selected) override;
    bool IsDirectoryItem(int item) const override;
    std::unique_ptr<TDirectory> GetItemTree(int item, bool recursive) override;
    void AddItem(const TItemInfo& info) override;
    int FindItemData(TFindKind find, const QString& text, int start, bool wrap) override;

    using TCustomFileListView::AcceptsDragFrom;
    using TCustomFileListView::DroppedFrom;
    using TCustomFileListView::FilesDropped;
    using TCustomFileListView::HasWindow;
    using TCustomFileListView::ListRefreshed;

protected:
    void FreeItem(int index) override;
    void FillListItem(int index, TListItem& item) override;
    void UpdateItemInfo(int first, int last) override;
    void HandleDroppedFiles(const QStringList& files) override;

private:
    TTestItem* Item(int index) const { return static_cast<TTestItem*>(Record(index)); }
    void Append(const TTestEntry& entry);
};
