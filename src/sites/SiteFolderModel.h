#pragma once
#include "sites/SiteFolder.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <functional>
#include <memory>

// The folders of the site list as a tree for the folder pane. Every change
// of the tree goes through here, so the view follows it and keeps its
// selection and expanded folders.
class TSiteFolderModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TSiteFolderModel(QObject* parent = nullptr);

    // The invisible folder the list's folders hang under.
    TSiteFolder& Top() const { return *FTop; }
    // Replaces the whole tree.
    void Reset(std::unique_ptr<TSiteFolder> top);

    TSiteFolder* Folder(const QModelIndex& index) const;
    QModelIndex IndexOf(const TSiteFolder* folder) const;
    // The list's first folder, or nullptr when there is none.
    TSiteFolder* FirstFolder() const;

    TSiteFolder* AddFolder(TSiteFolder* parent, const QString& name);
    void RemoveFolder(TSiteFolder* folder);
    // Makes folder the last child of parent.
    void MoveFolder(TSiteFolder* folder, TSiteFolder* parent);
    // Sorts the subfolders of parent by name in the user's language, where
    // letter case decides only between names that are otherwise equal.
    void SortChildren(TSiteFolder* parent);
    // After a change of name or cut mark.
    void FolderChanged(TSiteFolder* folder);

    // Images: a closed and an open folder, and the same for the first folder.
    void SetIcons(const QIcon& folder, const QIcon& folderOpen, const QIcon& root, const QIcon& rootOpen);

    // An in-place edit ended with a new text; true when the folder took it.
    std::function<bool(TSiteFolder* folder, const QString& name)> OnRename;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;

private:
    std::unique_ptr<TSiteFolder> FTop;
    QIcon FolderIcon;
    QIcon RootIcon;
};

// The kind of data a drag from the site list window carries (its folder
// pane and site pane know what is dragged; the data only names the kind).
inline constexpr const char* SiteListDragType = "application/x-quilloftp-site-list-item";
