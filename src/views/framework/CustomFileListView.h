#pragma once
#include "views/framework/FileAttributes.h"
#include "views/framework/FileListItem.h"
#include "views/framework/ItemInfo.h"
#include "views/framework/SortType.h"

#include <QCursor>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeView>
#include <functional>
#include <memory>
#include <vector>

class QTimer;
class TDirectory;
class TFileListModel;
struct TListColumn;

// What both directory panes share: the current directory, report columns,
// keys, mouse, the busy state, find and unique names, drops and the export of
// directory trees. A concrete view supplies the abstract operations. An item
// is a row index; -1 stands for "no item".
class TCustomFileListView : public QTreeView {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TCustomFileListView* Sender)>;
    using TItemEvent = std::function<void(TCustomFileListView* Sender, Qt::MouseButton Button, int Item)>;
    using TFileDropEvent =
        std::function<void(TCustomFileListView* Sender, const QStringList& Files, bool& HandleFileDrop)>;
    using TDirectoryEvent = std::function<void(TCustomFileListView* Sender, const QString& OldDirectory)>;
    using TRenameEvent = std::function<void(TCustomFileListView* Sender, int Item, const QString& OldName)>;
    using TDeletingEvent = std::function<void(TCustomFileListView* Sender, int DeleteCount,
                                              const QString& DelItemName, bool IsDir, bool& CanDelete)>;
    // Items dragged from a file list view (Source, possibly this one) over
    // or onto this one; Pos is in viewport coordinates.
    using TDragOverEvent = std::function<void(TCustomFileListView* Sender, TCustomFileListView* Source,
                                              QPoint Pos, bool& Accept)>;
    using TDragDropEvent =
        std::function<void(TCustomFileListView* Sender, TCustomFileListView* Source, QPoint Pos)>;

    // Ends the busy state it began, whatever way the scope is left.
    class TBusyScope {
    public:
        explicit TBusyScope(TCustomFileListView& view);
        ~TBusyScope();
        TBusyScope(const TBusyScope&) = delete;
        TBusyScope& operator=(const TBusyScope&) = delete;

    private:
        TCustomFileListView& FView;
    };

    explicit TCustomFileListView(QWidget* parent = nullptr);
    ~TCustomFileListView() override;

    // Properties.
    bool ShowIcons() const { return FShowIcons; }
    void SetShowIcons(bool value);
    bool ChangeDirectoryOnDblClick() const { return FChangeDirectoryOnDblClick; }
    void SetChangeDirectoryOnDblClick(bool value) { FChangeDirectoryOnDblClick = value; }
    TFileAttributes FileAttributes() const { return FFileAttributes; }
    void SetFileAttributes(TFileAttributes value);  // a change refreshes
    // A control whose text always shows Directory (a combo box, line edit or
    // anything with a "text" property); forgotten when it is destroyed.
    QWidget* DirectoryControl() const { return FDirectoryControl; }
    void SetDirectoryControl(QWidget* control) { FDirectoryControl = control; }
    TSortType SortType() const { return FSortType; }
    virtual void SetSortType(TSortType value);  // a change sorts again
    // The key's order reversed; directories still come first.
    bool SortDescending() const { return FSortDescending; }
    void SetSortDescending(bool value);  // a change sorts again
    // The sort key of a column (Name, Size, Type, Date); false for a column
    // that sorts nothing.
    static bool SortTypeOfColumn(int column, TSortType& key);
    const QString& SizeString() const { return FSizeString; }
    void SetSizeString(const QString& value);
    bool AcceptShellFiles() const { return FAcceptShellFiles; }
    void SetAcceptShellFiles(bool value) { FAcceptShellFiles = value; }
    bool HandleFileDrops() const { return FHandleFileDrops; }
    void SetHandleFileDrops(bool value) { FHandleFileDrops = value; }
    bool HandleKeyPresses() const { return FHandleKeyPresses; }
    void SetHandleKeyPresses(bool value) { FHandleKeyPresses = value; }
    bool MultiSelect() const;
    void SetMultiSelect(bool value);
    // Columns of the owner's own, with their widths: used as they are.
    void SetColumns(const QList<TListColumn>& columns);
    TFileListModel* ListModel() const { return FModel; }

    const QString& Directory() const { return FDirectory; }

    // Busy is a nesting counter; only the outermost Begin and End are seen
    // (OnBusy, OnReady). Surplus EndBusy calls do nothing.
    void BeginBusy();
    void EndBusy();
    bool IsBusy() const { return FBusyCount > 0; }
    // RefreshList, once the window exists.
    void Refresh();

    // The first item, in index order, whose whole name equals name; -1 when none.
    int FindItem(const QString& name, bool caseSensitive) const;
    bool IsDirectoryName(const QString& name, bool caseSensitive) const;
    bool IsFileName(const QString& name, bool caseSensitive) const;
    // name, or name + format numbered 2, 3, ... when an item already has that
    // name in any letter case (remote "_%d", local " (%d)").
    QString MakeUniqueName(const QString& name, const QString& format) const;

    int ItemCount() const;
    int SelCount() const;
    QList<int> SelectedItems() const;  // ascending
    int FocusedItem() const;
    int ItemAt(QPoint viewportPos) const;
    // An item's caption is being edited in place.
    bool IsEditing() const { return state() == EditingState; }

    // The virtual operations of every file list view.
    virtual void SetDirectory(const QString& path);
    virtual bool RefreshList() = 0;
    virtual void SortItems();
    virtual TItemInfo GetItemInfo(int item) = 0;  // empty outside the list
    virtual void ClearItems();
    virtual bool GotoUpperDirectory() = 0;
    virtual bool OpenDirectory(const QString& name) = 0;
    // 0 made, 1 exists already (and not made unique), -1 failed.
    virtual int CreateDirectory(const QString& name, bool refresh, bool makeUnique) = 0;
    virtual void BeginRename(int item);
    // The end of an in-place edit; setting newName back undoes the edit.
    virtual bool RenameItem(int item, QString& newName) = 0;
    // item given: that item; otherwise, with selected, all selected items.
    virtual bool DeleteItems(int item, bool selected) = 0;
    virtual bool IsDirectoryItem(int item) const = 0;
    // The items (selected or all) as a tree owned by the caller: Path is
    // Directory, files by name, directories as subtrees (recursive) or
    // empty placeholders. A directory whose tree cannot be read is left out.
    virtual std::unique_ptr<TDirectory> GetDirectoryTree(bool recursive, bool selectedOnly);
    virtual std::unique_ptr<TDirectory> GetItemTree(int item, bool recursive) = 0;
    virtual void AddItem(const TItemInfo& info) = 0;

    // Events; each may stay unassigned.
    TItemEvent OnItemClick;
    TItemEvent OnItemDblClick;
    TFileDropEvent OnFileDrop;
    TDirectoryEvent OnDirectoryChange;
    TDirectoryEvent OnGotoUpperDirectory;
    TNotifyEvent OnRefreshList;
    TNotifyEvent OnDeleteItem;
    TRenameEvent OnRenameItem;
    TDeletingEvent OnDeleting;
    TNotifyEvent OnBusy;
    TNotifyEvent OnReady;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    // The user sorted the list by a column header.
    TNotifyEvent OnSortChange;

    using QTreeView::edit;

protected:
    using TItemList = std::vector<std::unique_ptr<TFileListItem>>;

    virtual QCursor GetCurrentCursor() const;
    virtual void SetCurrentCursor(const QCursor& cursor);
    // After a successful refresh: show the records, focus the first.
    virtual void ListRefreshed();
    // After a new directory: select it and open its name for editing.
    virtual void DirectoryCreated(const QString& name, bool refreshed);
    // OnDeleting's answer; true when nobody asks.
    virtual bool ConfirmDeletion(int count, const QString& name, bool isDir);
    virtual void ItemsDeleted();
    virtual void HandleDroppedFiles(const QStringList& files);
    virtual void ItemClick(Qt::MouseButton button, int item);
    virtual void ItemDblClick(Qt::MouseButton button, int item);
    // The view's own keys; runs when not busy, not editing, HandleKeyPresses.
    virtual void HandleKey(int key, Qt::KeyboardModifiers shift);
    // Whether an in-place edit of the item's caption may start.
    virtual bool CanEdit(int item);
    // The selection the user made: empty while the only selected item is the
    // one a listing selected by itself, so type-ahead is not bound to its kind.
    QList<int> ChosenItems() const;
    // Once, when the view is first shown.
    virtual void WindowCreated();
    bool HasWindow() const { return FWindowCreated; }

    // Files dropped from the desktop: OnFileDrop, then HandleDroppedFiles
    // unless the handler said no.
    void FilesDropped(const QStringList& files);
    bool AcceptsDragFrom(TCustomFileListView* source, QPoint pos);
    void DroppedFrom(TCustomFileListView* source, QPoint pos);

    // The records, one per row, owned here.
    TItemList& ItemList() { return FItems; }
    const TItemList& ItemList() const { return FItems; }
    TFileListItem* Record(int index) const;
    int RecordCount() const { return int(FItems.size()); }
    // The list's row count: SetItemCount renews all rows, GrowItemCount adds
    // rows at the end and keeps the others.
    void SetItemCount(int count);
    void GrowItemCount(int added = 1);
    void RedrawItem(int item);
    void Repaint();
    void AddColumn(const QString& caption, Qt::Alignment alignment);

    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ChangeSort(TSortType key, bool descending);
    void ColumnClicked(int column);
    void ShowSortIndicator();
    bool WantsDrop(const QDropEvent* event);
    bool AcceptDrag(QDropEvent* event);
    void AddToTree(TDirectory& tree, int item, bool recursive);
    void ShowFirstItem();
    void StartPendingEdit(const QModelIndex& index);
    void CancelPendingEdit();
    void PendingEditDue();

    TFileListModel* FModel;
    TItemList FItems;
    QString FDirectory;
    int FBusyCount = 0;
    QCursor FSavedCursor;
    bool FShowIcons = true;
    bool FChangeDirectoryOnDblClick = true;
    TFileAttributes FFileAttributes = TFileAttributes(faFolders | faNormal | faHidden);
    QPointer<QWidget> FDirectoryControl;
    TSortType FSortType = stName;
    bool FSortDescending = false;
    QString FSizeString = QStringLiteral("kB");
    bool FAcceptShellFiles = true;
    bool FHandleFileDrops = true;
    bool FHandleKeyPresses = true;
    bool FOwnerColumns = false;
    bool FWindowCreated = false;
    bool FListingSelection = false;  // the selection is the one ListRefreshed made
    // A click on the selected item edits it once the double-click time has
    // passed without anything else happening (object name "PendingEdit").
    QTimer* FPendingEdit;
    QPersistentModelIndex FPendingIndex;
    const TFileListItem* FPendingRecord = nullptr;
};
