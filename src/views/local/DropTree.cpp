#include "views/local/DropTree.h"

#include "views/tree/Directory.h"
#include "views/tree/DirectoryList.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The group for parent: the current one when it is for the same folder,
// otherwise a new one, which becomes current. Folders are told apart by
// exact name: on this file system "/a" and "/A" are two folders.
TDirectory* GroupFor(const QString& parent, TDirectoryList& list, TDirectory* current)
{
    if (current && current->Path == parent) return current;
    auto* group = new TDirectory(QFileInfo(parent).fileName());
    group->Path = parent;
    list.Add(group);
    return group;
}

void AddPath(const QString& path, TDirectoryList& list, TDirectory*& current, const TDropTreeSource& source)
{
    const QString clean = QDir::cleanPath(path);
    const QString parent = QFileInfo(clean).path();
    if (!source.IsFolder(clean)) {
        current = GroupFor(parent, list, current);
        current->Contents.Files << QFileInfo(clean).fileName();
        return;
    }
    std::unique_ptr<TDirectory> tree = source.ReadTree(clean);
    if (!tree) return;
    current = GroupFor(parent, list, current);
    current->Contents.AddDirectory(std::move(tree));
}

}  // namespace

void BuildDropTree(const QStringList& paths, TDirectoryList& list, const TDropTreeSource& source)
{
    TDirectory* current = nullptr;
    try {
        for (const QString& path : paths)
            AddPath(path, list, current, source);
    } catch (...) {
        // What was grouped so far still goes.
    }
}
