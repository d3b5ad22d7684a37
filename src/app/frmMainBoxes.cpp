// The boxes above the panes: the directory histories, the volume box of the
// local pane, and the column headers that sort both panes.
#include "app/frmMain.h"

#include "settings/Settings.h"
#include "views/local/DriveCombo.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A history box keeps this many folders.
constexpr int HistoryLength = 10;

// A typed local path: "~" is the home folder, and a relative path starts
// at the folder the pane shows.
QString LocalTypedPath(const QString& text, const QString& base)
{
    QString path = text;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    else if (QDir::isRelativePath(path) && !base.isEmpty())
        path = QDir(base).filePath(path);
    return QDir::cleanPath(path);
}

}  // namespace

void TfrmMain::BindBoxEvents()
{
    cbLocalDirectory->OnItemChange = [this](TComboBoxEx*, int) {
        DirectoryBoxItemChange(*cbLocalDirectory, *LocalDir);
    };
    cbLocalDirectory->OnReturnPress = [this](TComboBoxEx*) {
        DirectoryBoxReturnPress(*cbLocalDirectory, *LocalDir);
    };
    cbRemoteDirectory->OnItemChange = [this](TComboBoxEx*, int) {
        DirectoryBoxItemChange(*cbRemoteDirectory, *RemoteDir);
    };
    cbRemoteDirectory->OnReturnPress = [this](TComboBoxEx*) {
        DirectoryBoxReturnPress(*cbRemoteDirectory, *RemoteDir);
    };
    cmbLocalDrive->OnDriveChange = [this](TDriveCombo*, const QString& newDrive, const QString& newPath,
                                          QString& savePath) {
        cmbLocalDriveDriveChange(newDrive, newPath, savePath);
    };
    LocalDir->OnDriveChange = [this](TCustomFileListView*, const QString&) { LocalDirDriveChange(); };
    LocalDir->OnSortChange = [this](TCustomFileListView*) { PaneSortChange(*LocalDir); };
    RemoteDir->OnSortChange = [this](TCustomFileListView*) { PaneSortChange(*RemoteDir); };
    ApplyPaneSorting();
}

void TfrmMain::AddToHistory(TComboBoxEx& box, const QString& directory)
{
    // A view that could not show its folder has none; that is no entry.
    if (directory.isEmpty() || box.findText(directory, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return;
    while (box.count() >= HistoryLength)
        box.removeItem(box.count() - 1);
    box.insertItem(0, directory);
    // The entry shown may be the new one: choosing it is then no change.
    box.ShowText(box.currentText());
}

void TfrmMain::DirectoryBoxItemChange(TComboBoxEx& box, TCustomFileListView& view)
{
    const int index = box.currentIndex();
    if (index < 0 || index >= box.count()) return;
    if (&view != RemoteDir || CanUseRemote()) view.SetDirectory(box.itemText(index));
    // A folder that is gone (or a remote pane that cannot go) leaves the
    // view where it was, and the box says where that is.
    box.ShowText(view.Directory());
}

void TfrmMain::DirectoryBoxReturnPress(TComboBoxEx& box, TCustomFileListView& view)
{
    if (&view == RemoteDir && !CanUseRemote()) return;
    const QString text = box.currentText();
    if (!text.isEmpty()) view.SetDirectory(&view == LocalDir ? LocalTypedPath(text, view.Directory()) : text);
    box.ShowText(view.Directory());
    if (!text.isEmpty()) AddToHistory(box, view.Directory());
}

void TfrmMain::cmbLocalDriveDriveChange(const QString& newDrive, const QString& newPath, QString& savePath)
{
    // Before the pane has shown its first folder there is none to leave, and
    // the one it is about to open must stay.
    if (LocalDir->CurrentIdentifier().isEmpty()) return;
    if (cmbLocalDrive->DriveOf(LocalDir->Directory()) == newDrive) return;
    savePath = LocalDir->Directory();
    LocalDir->SetDirectory(!newPath.isEmpty() && QFileInfo(newPath).isDir() ? newPath : newDrive);
    if (cmbLocalDrive->DriveOf(LocalDir->Directory()) == newDrive) return;
    savePath.clear();
    // The box shows the volume the pane is on, not one it could not open.
    cmbLocalDrive->SelectDrive(LocalDir->Directory());
}

void TfrmMain::LocalDirDriveChange()
{
    // Does nothing when the box shows that volume already; before the box
    // is filled, the volume waits until it is.
    cmbLocalDrive->SelectDrive(LocalDir->Directory());
}

void TfrmMain::ApplyPaneSorting()
{
    const TSettings& settings = Settings();
    LocalDir->SetSortType(TSortType(settings.LocalSortKey));
    LocalDir->SetSortDescending(settings.LocalSortDescending);
    RemoteDir->SetSortType(TSortType(settings.RemoteSortKey));
    RemoteDir->SetSortDescending(settings.RemoteSortDescending);
}

void TfrmMain::PaneSortChange(TCustomFileListView& view)
{
    TSettings& settings = Settings();
    if (&view == LocalDir) {
        settings.LocalSortKey = view.SortType();
        settings.LocalSortDescending = view.SortDescending();
    } else {
        settings.RemoteSortKey = view.SortType();
        settings.RemoteSortDescending = view.SortDescending();
    }
    settings.SavePaneSorting();
}
