#pragma once
#include "views/framework/VirtualCustomFileListView.h"

class TDirectoryList;
class TShellItem;

// How deletions run: into the trash (faAllowUndo), with a progress window,
// and after asking the user.
enum TFileActionFlag : quint8 {
    faAllowUndo = 0x1,
    faShowProgressBar = 0x2,
    faShowConfirmationBox = 0x4,
};
Q_DECLARE_FLAGS(TFileActionFlags, TFileActionFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFileActionFlags)

// The first folder of a view that was given no directory before it was shown.
enum TStartUpDir { sdMyComputer, sdCurrentDir, sdCurrentDriveRoot };

// What the local pane may do with an item.
enum TItemCapability : quint8 {
    icCanRename = 0x1,
    icCanCopy = 0x2,
    icCanMove = 0x4,
    icCanDelete = 0x8,
};
Q_DECLARE_FLAGS(TItemCapabilities, TItemCapability)
Q_DECLARE_OPERATORS_FOR_FLAGS(TItemCapabilities)

// The local pane: one folder of this machine, or the computer level above
// "/", which lists the mounted volumes. An item identifier is an absolute
// path (the computer level has ComputerId); Directory is the folder's path,
// empty at the computer level. A folder that cannot be listed sends the view
// back to the previous folder, then the home folder, then "/". The view
// lists nothing until it is first shown; a directory set before that is
// opened then.
class TFileListView : public TVirtualCustomFileListView {
    Q_OBJECT
public:
    using TIdentifierEvent = std::function<void(TCustomFileListView* Sender, const QString& OldIdentifier)>;

    // The identifier of the computer level; never a path.
    static const QString ComputerId;

    explicit TFileListView(QWidget* parent = nullptr);
    ~TFileListView() override;

    TFileActionFlags FileActionFlags() const { return FFileActionFlags; }
    void SetFileActionFlags(TFileActionFlags value) { FFileActionFlags = value; }
    // Going up from "/" leads to the computer level.
    bool CanBrowseToRoot() const { return FCanBrowseToRoot; }
    void SetCanBrowseToRoot(bool value) { FCanBrowseToRoot = value; }
    TStartUpDir StartUpDir() const { return FStartUpDir; }
    void SetStartUpDir(TStartUpDir value) { FStartUpDir = value; }
    bool InComputerFolder() const { return FInComputerFolder; }
    const QString& CurrentIdentifier() const { return FCurrentId; }

    // Shows the folder (or ComputerId); false when it cannot be shown or
    // listed. The only place where the folder changes.
    bool BrowseTo(const QString& identifier);
    // Nothing above: before the view is shown, at the computer level, and at
    // "/" unless CanBrowseToRoot.
    bool IsAtTop() const;
    // For the selected form, what all selected items allow, renaming never.
    TItemCapabilities ItemCapabilities(int item, bool selected) const;
    // The item's absolute path; empty outside the list.
    QString ItemPath(int item) const;
    // Dropped paths grouped by their folder (see DropTree.h), read from disk.
    static void BuildDropTree(const QStringList& paths, TDirectoryList& list);

    // Overrides of the file list view's operations.
    void SetDirectory(const QString& path) override;
    bool RefreshList() override;
    void SortItems() override;
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

    // After each folder change, with the previous folder's identifier.
    TIdentifierEvent OnDirectoryChangePIDL;
    // After a folder change onto another volume, with the old Directory.
    TDirectoryEvent OnDriveChange;

protected:
    QCursor GetCurrentCursor() const override;
    void SetCurrentCursor(const QCursor& cursor) override;
    void ItemDblClick(Qt::MouseButton button, int item) override;
    void HandleKey(int key, Qt::KeyboardModifiers shift) override;
    bool CanEdit(int item) override;
    void WindowCreated() override;
    void FreeItem(int index) override;
    void FillListItem(int index, TListItem& item) override;
    void UpdateItemInfo(int first, int last) override;

private:
    TShellItem* Item(int index) const;
    bool ShowFolder(const QString& identifier);
    bool ListCurrentFolder();
    void ShowListed();
    void FallBack();
    void OpenStartUpDir();
    void AppendItem(const QString& path, const QString& displayName, const QString& fileName,
                    bool isFolder = true, bool exactName = true);
    int Compare(const TShellItem& a, const TShellItem& b) const;
    QString ChildPath(const QString& name) const;
    int MakeDirectory(QString& name, bool makeUnique);

    TFileActionFlags FFileActionFlags =
        TFileActionFlags(faAllowUndo | faShowProgressBar | faShowConfirmationBox);
    bool FCanBrowseToRoot = true;
    TStartUpDir FStartUpDir = sdMyComputer;
    QString FCurrentId;
    QString FPreviousId;
    bool FInComputerFolder = false;
    bool FFallingBack = false;
    QString FPendingDirectory;
    bool FCursorPushed = false;
};
