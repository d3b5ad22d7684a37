#pragma once
#include "views/framework/FileAttributes.h"

#include <QList>
#include <QString>
#include <memory>

class TDirectory;

// The local file system as the local pane sees it: folders listed by name,
// trees of folders, and the changes the pane makes. Paths are absolute and
// use "/"; a name whose first character is "." is hidden.
class TLocalFolder {
public:
    struct TEntry {
        QString Name;
        bool IsFolder = false;  // a folder, or a link to one
        // Name leads back to this entry. A name that is not valid UTF-8 is
        // shown with replacement characters and names no entry, or another.
        bool ExactName = true;
        // A link whose target cannot be reached (gone, or not ours to see).
        bool BrokenLink = false;
    };

    TLocalFolder() = delete;

    // The entries of the folder of the kinds asked for, in no set order;
    // false when the folder cannot be opened for listing (gone, refused).
    static bool List(const QString& path, TFileAttributes kinds, QList<TEntry>& entries);
    // The folder as a tree: Name its last component, Path the path, files by
    // name, subfolders as subtrees (recursive) or empty ones. Hidden entries
    // count. A folder that cannot be listed gives no tree, and one inside
    // the tree is left out; a link back to a folder above is not entered,
    // and a broken link, which has nothing to read, is left out.
    static std::unique_ptr<TDirectory> ReadTree(const QString& path, bool recursive);

    // Two paths name the same item: their canonical paths are equal (their
    // clean forms when the item is gone).
    static bool SameItem(const QString& a, const QString& b);
    // A name that can be given to a new or renamed entry of a folder: not
    // empty, not "." or "..", without "/" and without NUL.
    static bool IsValidName(const QString& name);
    // Something, even a broken link, is at path.
    static bool Exists(const QString& path);

    // A new name within the same folder; never replaces an existing entry.
    static bool Rename(const QString& path, const QString& newName, QString& error);
    // Into the desktop trash, where it can be restored from.
    static bool MoveToTrash(const QString& path, QString& error);
    // Removed for good: a folder with everything in it; a link, never what
    // it points at.
    static bool RemoveForGood(const QString& path, QString& error);
};
