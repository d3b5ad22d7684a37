#pragma once
#include "sites/FolderSettings.h"

#include <QString>
#include <memory>
#include <vector>

// A folder of the site list: its name, its sites and its subfolders, in the
// order they were loaded, added or moved in. The folders of the list hang
// under one top folder that is not part of the list itself (and not stored).
class TSiteFolder {
public:
    explicit TSiteFolder(const QString& name = {});
    TSiteFolder(const TSiteFolder&) = delete;
    TSiteFolder& operator=(const TSiteFolder&) = delete;

    QString Name;
    TFolderSettings Settings;
    bool IsRoot = false;  // the list's first folder: never renamed, deleted or moved
    bool Cut = false;     // the source of a pending folder move

    TSiteFolder* Parent() const { return FParent; }
    int ChildCount() const { return int(FChildren.size()); }
    TSiteFolder* Child(int row) const { return FChildren.at(size_t(row)).get(); }
    int Row() const { return FRow; }  // among the parent's children
    // 0 for a folder directly under the top folder.
    int Level() const;

    TSiteFolder* AddChild(std::unique_ptr<TSiteFolder> child);  // as the last one
    std::unique_ptr<TSiteFolder> TakeChild(int row);
    void InsertChild(int row, std::unique_ptr<TSiteFolder> child);

    // The first subfolder of that name, without regard to case.
    TSiteFolder* ChildNamed(const QString& name) const;
    QString UniqueChildName(const QString& base) const;
    // True for this folder itself too.
    bool IsInside(const TSiteFolder* ancestor) const;

    // The folder after this one in pre-order (a folder, its subfolders and
    // their subtrees, then its next sibling) below top; nullptr at the end.
    TSiteFolder* Next(const TSiteFolder* top) const;
    // Every folder below this one in pre-order, without this one.
    std::vector<TSiteFolder*> Descendants() const;

private:
    void Renumber(int from);

    TSiteFolder* FParent = nullptr;
    // Kept up to date by every change of the children, so that finding a
    // folder's place (the views ask for it all the time) does not scan a
    // possibly huge list of siblings.
    int FRow = 0;
    std::vector<std::unique_ptr<TSiteFolder>> FChildren;
};
