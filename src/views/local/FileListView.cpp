// The local pane's navigation: creation, folder changes, listing and the
// fall-backs when a folder cannot be listed.
#include "views/local/FileListView.h"

#include "platform/HandlerGuard.h"
#include "views/local/DropTree.h"
#include "views/local/LocalFolder.h"
#include "views/local/LocalVolumes.h"
#include "views/local/ShellItem.h"
#include "views/tree/Directory.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <algorithm>
#include <utility>

const QString TFileListView::ComputerId = QStringLiteral("computer:");

namespace {

bool SameIdentifier(const QString& a, const QString& b)
{
    if (a == TFileListView::ComputerId || b == TFileListView::ComputerId) return a == b;
    return TLocalFolder::SameItem(a, b);
}

QString AbsoluteClean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QStringList VolumeRoots()
{
    QStringList roots;
    for (const TLocalVolume& volume : TLocalVolumes::Mounted())
        roots << volume.RootPath;
    return roots;
}

}  // namespace

TFileListView::TFileListView(QWidget* parent) : TVirtualCustomFileListView(parent)
{
    SetCompare([this](const TFileListItem& a, const TFileListItem& b) {
        return Compare(static_cast<const TShellItem&>(a), static_cast<const TShellItem&>(b));
    });
}

TFileListView::~TFileListView()
{
    if (FCursorPushed) QGuiApplication::restoreOverrideCursor();
}

void TFileListView::WindowCreated()
{
    TVirtualCustomFileListView::WindowCreated();
    RunGuarded("File list", [this] {
        const QString pending = std::exchange(FPendingDirectory, QString());
        if (!pending.isEmpty()) BrowseTo(pending);
        if (FCurrentId.isEmpty()) OpenStartUpDir();
    });
}

void TFileListView::OpenStartUpDir()
{
    switch (FStartUpDir) {
    case sdMyComputer: BrowseTo(ComputerId); break;
    case sdCurrentDir: SetDirectory(QDir::currentPath()); break;
    case sdCurrentDriveRoot: SetDirectory(TLocalVolumes::RootOf(QDir::currentPath())); break;
    }
}

void TFileListView::SetDirectory(const QString& path)
{
    if (TLocalFolder::SameItem(path, Directory()) || !QFileInfo(path).isDir()) return;
    if (HasWindow())
        BrowseTo(AbsoluteClean(path));
    else
        FPendingDirectory = AbsoluteClean(path);
}

bool TFileListView::BrowseTo(const QString& identifier)
{
    if (identifier.isEmpty()) return false;
    if (!HasWindow()) {
        FPendingDirectory = identifier;
        return false;
    }
    bool listed = false;
    try {
        listed = ShowFolder(identifier) && RefreshList();
    } catch (const std::exception&) {
        listed = false;
    }
    return listed;
}

// Makes identifier the current folder and tells the owner; false, with
// nothing changed, when it is not a folder.
bool TFileListView::ShowFolder(const QString& identifier)
{
    const bool computer = identifier == ComputerId;
    if (!computer && !(identifier.startsWith(u'/') && QFileInfo(identifier).isDir())) return false;
    // A fall-back keeps the folder it falls back from out of the history.
    if (!FFallingBack) FPreviousId = FCurrentId;
    FCurrentId = computer ? ComputerId : QDir::cleanPath(identifier);
    FInComputerFolder = computer;
    const QString old = Directory();
    TVirtualCustomFileListView::SetDirectory(computer ? QString() : FCurrentId);
    if (OnDirectoryChangePIDL) OnDirectoryChangePIDL(this, FPreviousId);
    if (OnDriveChange) {
        const QStringList roots = VolumeRoots();
        if (TLocalVolumes::RootOf(Directory(), roots) != TLocalVolumes::RootOf(old, roots))
            OnDriveChange(this, old);
    }
    return true;
}

bool TFileListView::RefreshList()
{
    if (!HasWindow()) return false;
    TBusyScope busy(*this);
    ClearItems();
    if (ListCurrentFolder()) {
        ShowListed();
        return true;
    }
    FallBack();
    return false;
}

bool TFileListView::ListCurrentFolder()
{
    if (FInComputerFolder) {
        for (const TLocalVolume& volume : TLocalVolumes::Mounted())
            AppendItem(volume.RootPath, volume.DisplayName(), volume.RootPath);
        return true;
    }
    QList<TLocalFolder::TEntry> entries;
    if (!TLocalFolder::List(FCurrentId, FileAttributes(), entries)) return false;
    for (const TLocalFolder::TEntry& entry : entries)
        AppendItem(ChildPath(entry.Name), entry.Name, entry.Name, entry.IsFolder, entry.ExactName);
    return true;
}

void TFileListView::ShowListed()
{
    FFallingBack = false;
    SortItems();
    ListRefreshed();
}

// The current folder cannot be listed: the folder shown before it, then the
// home folder, then "/", the first that can be; with none, the view stays
// empty. Each is tried once, so this always ends.
void TFileListView::FallBack()
{
    QStringList tried{FCurrentId};
    const QStringList targets{FPreviousId, QDir::homePath(), QStringLiteral("/")};
    FFallingBack = true;
    for (const QString& target : targets) {
        if (target.isEmpty() || std::any_of(tried.begin(), tried.end(),
                                            [&](const QString& id) { return SameIdentifier(id, target); }))
            continue;
        tried << target;
        if (ShowFolder(target) && ListCurrentFolder()) {
            ShowListed();
            break;
        }
    }
    FFallingBack = false;
}

bool TFileListView::IsAtTop() const
{
    return !HasWindow() || FInComputerFolder || (Directory() == QLatin1String("/") && !FCanBrowseToRoot);
}

bool TFileListView::GotoUpperDirectory()
{
    if (IsAtTop()) return false;
    bool shown = false;
    if (Directory() == QLatin1String("/")) {
        BrowseTo(ComputerId);
        shown = FInComputerFolder;
    } else {
        const QString parent = QFileInfo(Directory()).path();
        if (QFileInfo(parent).isDir()) SetDirectory(parent);
        shown = Directory() == parent;
    }
    if (shown && OnGotoUpperDirectory) OnGotoUpperDirectory(this, Directory());
    return shown;
}

bool TFileListView::OpenDirectory(const QString& name)
{
    if (FInComputerFolder) return false;
    const QString path = ChildPath(name);
    if (!QFileInfo(path).isDir()) return false;
    SetDirectory(path);
    return QFileInfo(Directory()).fileName() == name;
}

void TFileListView::ItemDblClick(Qt::MouseButton button, int item)
{
    if (IsDirectoryItem(item) && ChangeDirectoryOnDblClick()) {
        BrowseTo(Item(item)->ItemId);
        return;
    }
    TVirtualCustomFileListView::ItemDblClick(button, item);
}

QString TFileListView::ChildPath(const QString& name) const
{
    return Directory().endsWith(u'/') ? Directory() + name : Directory() + u'/' + name;
}

QCursor TFileListView::GetCurrentCursor() const
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? *cursor : QCursor();
}

// The hourglass covers the whole application while the view is busy. The
// view pushes one override cursor at most and takes back only its own, so
// another window's busy cursor is left alone.
void TFileListView::SetCurrentCursor(const QCursor& cursor)
{
    const bool wait = IsBusy() && cursor.shape() == Qt::WaitCursor;
    if (wait == FCursorPushed) return;
    if (wait)
        QGuiApplication::setOverrideCursor(cursor);
    else
        QGuiApplication::restoreOverrideCursor();
    FCursorPushed = wait;
}

void TFileListView::BuildDropTree(const QStringList& paths, TDirectoryList& list)
{
    const TDropTreeSource disk{[](const QString& path) { return QFileInfo(path).isDir(); },
                               [](const QString& path) { return TLocalFolder::ReadTree(path, true); }};
    ::BuildDropTree(paths, list, disk);
}
