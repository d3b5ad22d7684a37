// The remote view's export of directory trees for transfers. A transfer
// trusts the tree it is given, so a walk that cannot see all of a directory
// fails as a whole rather than hand back a tree with parts silently missing.
#include "views/remote/FtpFileListView.h"

#include "views/remote/FtpItem.h"
#include "views/remote/FtpListing.h"
#include "views/tree/Directory.h"

#include <QScopeGuard>
#include <optional>

namespace {

// Deeper than any real tree: a walk that gets here is going round.
constexpr qsizetype MaxWalkDepth = 256;

const TFileAttributes EveryEntry = TFileAttributes(faFolders | faNormal | faHidden);

// A listing's name that can be an entry of a tree. "." and ".." are the
// directory itself and its parent, and a name with "/" or NUL would be a
// path: used as a local name it could write anywhere.
bool IsTreeName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(u'/') && !name.contains(QChar(0));
}

}  // namespace

std::unique_ptr<TDirectory> TFtpFileListView::GetDirectoryTree(bool recursive, bool selectedOnly)
{
    if (recursive && !IsReady()) return nullptr;
    std::optional<TBusyScope> busy;
    if (recursive) busy.emplace(*this);
    // Names and kinds first: nothing of the view may be read once commands run.
    struct TChosen {
        QString Name;
        bool IsDirectory = false;
        bool IsLink = false;
    };
    QList<TChosen> chosen;
    QList<int> rows = selectedOnly ? SelectedItems() : QList<int>();
    if (!selectedOnly)
        for (int row = 0; row < RecordCount(); ++row)
            rows << row;
    for (int row : rows)
        if (Item(row))
            chosen.append({Item(row)->Name, IsDirectoryItem(row), TFtpListing::IsLink(*Item(row))});

    auto tree = std::make_unique<TDirectory>();
    tree->Path = Directory();
    QStringList above{Directory()};
    for (const TChosen& item : chosen) {
        if (!IsTreeName(item.Name)) continue;
        if (!item.IsDirectory)
            tree->Contents.Files << item.Name;
        else if (!recursive)
            tree->Contents.AddDirectory(std::make_unique<TDirectory>(item.Name));
        else if (!AddWalked(*tree, item.Name, WalkDirectory(item.Name, true, item.IsLink, above)))
            return nullptr;
    }
    return tree;
}

std::unique_ptr<TDirectory> TFtpFileListView::GetItemTree(int item, bool recursive)
{
    if (!IsReady() || !Item(item) || !IsTreeName(Item(item)->Name)) return nullptr;
    TBusyScope busy(*this);
    const QString name = Item(item)->Name;
    const bool isLink = TFtpListing::IsLink(*Item(item));
    QStringList above{Directory()};
    TWalked walked = WalkDirectory(name, recursive, isLink, above);
    return walked.Kind == TWalked::wkTree ? std::move(walked.Tree) : nullptr;
}

bool TFtpFileListView::AddWalked(TDirectory& tree, const QString& name, TWalked walked)
{
    switch (walked.Kind) {
    case TWalked::wkTree: tree.Contents.AddDirectory(std::move(walked.Tree)); return true;
    case TWalked::wkAsFile: tree.Contents.Files << name; return true;
    case TWalked::wkLeftOut: return true;
    case TWalked::wkFailed: break;
    }
    return false;
}

bool TFtpFileListView::WalkCommand(TRunKind kind, const QString& name, int number)
{
    return FFtp && FFtp->Connected() && RunCommand(kind, name, number);
}

TFtpFileListView::TWalked TFtpFileListView::WalkDirectory(const QString& name, bool recursive, bool isLink,
                                                          QStringList& above)
{
    if (!WalkCommand(rkChangeDir, name)) {
        // A link that cannot be entered leads to a file, or nowhere: it goes
        // as a file, and its download will tell which.
        return {isLink && RefusedPermanently() ? TWalked::wkAsFile : TWalked::wkFailed, nullptr};
    }
    TWalked walked = ListEntered(name, recursive, above);
    // Going up from where a link led, or from a directory met again, need
    // not come back here: the way back is then this directory's own path.
    const QString& here = above.last();
    const bool byPath = (isLink || walked.Kind == TWalked::wkLeftOut) && !here.isEmpty();
    if (!(byPath ? WalkCommand(rkChangeDir, here) : WalkCommand(rkUpDir))) return {};
    return walked;
}

TFtpFileListView::TWalked TFtpFileListView::ListEntered(const QString& name, bool recursive,
                                                        QStringList& above)
{
    if (!WalkCommand(rkTransferType, {}, 1) || !WalkCommand(rkList) || !FFtp->DirectoryList()) return {};
    // Copied before going deeper: every listing below replaces the client's lists.
    const TFtpListing::TItems entries = TFtpListing::BuildItems(*FFtp->DirectoryList(), EveryEntry);
    QString path;
    try {
        if (!FFtp->Connected()) return {};
        path = QueryCurrentDirectory();
    } catch (...) {
        return {};
    }
    if (FFtp->ReplyCode() / 100 != 2) return {};
    // A directory the walk is in already, reached again through a link (or
    // a server's own loop): walking it again would never end, and its
    // contents go with the tree where the walk first met them.
    if (!path.isEmpty() && above.contains(path)) return {TWalked::wkLeftOut, nullptr};
    // Without a path no loop can be told apart from a deep tree: a server
    // whose folder lists itself would be walked until the stack runs out.
    // The same holds for a walk deeper than any real tree.
    if (path.isEmpty() || above.size() > MaxWalkDepth) return {};

    auto tree = std::make_unique<TDirectory>(name);
    tree->Path = path;
    above << path;
    const auto leave = qScopeGuard([&above] { above.removeLast(); });
    for (const auto& entry : entries) {
        if (!IsTreeName(entry->Name)) continue;
        // Below the top only "d" is a directory: links go as files.
        if (!TFtpListing::IsDirectory(*entry))
            tree->Contents.Files << entry->Name;
        else if (!recursive)
            tree->Contents.AddDirectory(std::make_unique<TDirectory>(entry->Name));
        else if (!AddWalked(*tree, entry->Name, WalkDirectory(entry->Name, true, false, above)))
            return {};
    }
    return {TWalked::wkTree, std::move(tree)};
}
