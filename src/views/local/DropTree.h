#pragma once
#include <QStringList>
#include <functional>
#include <memory>

class TDirectory;
class TDirectoryList;

// How the drop grouping sees the disk: whether a path is a folder, and the
// folder's whole tree (nullptr when it cannot be read).
struct TDropTreeSource {
    std::function<bool(const QString& path)> IsFolder;
    std::function<std::unique_ptr<TDirectory>(const QString& path)> ReadTree;
};

// Groups dropped paths, in order, by the folder they lie in: each group is a
// TDirectory named after that folder, with Path the folder ("/" at the top),
// the dropped files in Files and the dropped folders' trees in Directories.
// Only consecutive paths share a group: /a/x, /b/y, /a/z give three. A
// folder whose tree cannot be read is left out. Anything thrown ends the
// grouping quietly with the groups made so far.
void BuildDropTree(const QStringList& paths, TDirectoryList& list, const TDropTreeSource& source);
