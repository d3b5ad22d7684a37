// Opening files: local files with the desktop's program; remote files
// downloaded into the session's private folder and opened from there, or
// shown as text in the program's own viewer; the end of those temporary
// files; and drags of remote items out to the desktop.
#include "app/frmMain.h"

#include "app/TextViewer.h"
#include "platform/MessageBoxes.h"
#include "transfer/TransferNames.h"
#include "transfer/frmTransfer.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"
#include "views/tree/Directory.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

// What becomes of a temporary file that was changed after its download.
enum TChangedFileAction { caUpload, caKeep, caDiscard };

TChangedFileAction AskAboutChangedFile(const TTempFile& file, bool canUpload)
{
    const QString changed = QStringLiteral("The file \"%1\" was changed after it was downloaded from \"%2\".")
                                .arg(file.RemoteName, ChildPath(file.RemoteDirectory, file.RemoteName));
    if (!canUpload) {
        const QString text = changed + QStringLiteral(
                                           "\r\nThe site cannot be reached now. "
                                           "Do you want to discard the changes or keep the file?");
        const TModalResult answer =
            AskWithButtons(bkOkCancel, text, {QStringLiteral("&Discard"), QStringLiteral("&Keep")}, true);
        return answer == mrOk ? caDiscard : caKeep;
    }
    const QString text = changed + QStringLiteral(
                                       "\r\nDo you want to upload it back to the site, discard the changes, "
                                       "or keep the file?");
    switch (AskWithButtons(bkYesNoCancel, text,
                           {QStringLiteral("&Upload"), QStringLiteral("&Discard"), QStringLiteral("&Keep")},
                           true)) {
    case mrYes: return caUpload;
    case mrNo: return caDiscard;
    default: return caKeep;
    }
}

}  // namespace

void TfrmMain::BindOpenEvents()
{
    OpenWithDesktop = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    OpenAfterDownload.OpenAssociated = [this](const QString& path) {
        return OpenWithDesktop && OpenWithDesktop(path);
    };
    OpenAfterDownload.OpenInViewer = [this](const QString& path) { return ShowInViewer(path); };
    LocalDir->OnItemDblClick = [this](TCustomFileListView*, Qt::MouseButton button, int item) {
        if (button == Qt::LeftButton) OpenLocalItem(item);
    };
    RemoteDir->OnItemDblClick = [this](TCustomFileListView*, Qt::MouseButton button, int item) {
        if (button == Qt::LeftButton && CanUseRemote()) OpenRemoteItem(item);
    };
    RemoteDir->OnDragOut = [this](TCustomFileListView*) { return DownloadForDragOut(); };
}

// ---- Opening ----

void TfrmMain::OpenLocalItem(int item)
{
    const QString path = LocalDir->ItemPath(item);
    // The desktop reports its own troubles; what it answers here is not looked at.
    if (!path.isEmpty() && OpenWithDesktop) OpenWithDesktop(path);
}

bool TfrmMain::CanOpenRemote(int item) const
{
    if (!CanUseRemote()) return false;
    const TItemInfo info = RemoteDir->GetItemInfo(item);
    // A directory is entered, not opened; a link may lead to a file.
    return !info.Name.isEmpty() && !info.Attributes.startsWith(QLatin1Char('d'));
}

void TfrmMain::OpenRemoteItem(int item)
{
    if (!CanOpenRemote(item)) return;
    OpenAfterDownload.OpenMode = omAssociated;
    DownloadToTemp(item);
}

void TfrmMain::ShowRemoteItem(int item)
{
    if (!CanOpenRemote(item)) return;
    SavedTransferMode = TransferMode;
    SetTransferMode(tmText);
    OpenAfterDownload.OpenMode = omNotepad;
    // Once a download has started, its end brings the mode back.
    if (!DownloadToTemp(item)) SetTransferMode(SavedTransferMode);
}

bool TfrmMain::DownloadToTemp(int item)
{
    const QString name = RemoteDir->GetItemInfo(item).Name;
    // A name from the listing becomes a path only once it is known to be a name.
    if (!IsSafeLocalName(name)) {
        LogError(UnsafeNameText(name));
        return false;
    }
    const QString folder = TempFiles.NewFolder();
    if (folder.isEmpty()) {
        ShowMessageBox(QStringLiteral("An error occurred while creating temporary file %1").arg(name), true);
        return false;
    }
    const QString path = ChildPath(folder, name);
    TempFiles.Add(path, RemoteDir->Directory(), name);
    if (DownloadItemTo(item, folder)) return true;
    TempFiles.Remove(path);
    return false;
}

bool TfrmMain::DownloadItemTo(int item, const QString& directory)
{
    const QString name = RemoteDir->GetItemInfo(item).Name;
    if (name.isEmpty() || directory.isEmpty()) return false;
    if (!IsSafeLocalName(name)) {
        LogError(UnsafeNameText(name));
        return false;
    }
    auto list = std::make_unique<TDirectory>();
    list->Contents.Files << name;
    OpenAfterDownload.Clear();
    OpenAfterDownload.Pending = true;
    OpenAfterDownload.FileName = ChildPath(directory, name);
    // A file the user had there stays until its replacement is complete
    // (the engine downloads beside it and renames), and asks nothing: the
    // user asked for this very file.
    frmTransfer->ApproveReplace();
    RunTransfer(false, std::move(list), directory);
    return true;
}

void TfrmMain::OpenDownloadedFile()
{
    if (OpenAfterDownload.OpenMode == omNotepad) SetTransferMode(SavedTransferMode);
    const QString path = OpenAfterDownload.FileName;
    // A refused or broken download may leave something under the name, but
    // that is no copy of the remote file.
    const bool arrived = frmTransfer->LastJobFilesDone() > 0;
    if (TempFiles.Contains(path)) {
        if (arrived)
            TempFiles.NoteDownloaded(path);
        else
            TempFiles.Remove(path);
    }
    if (arrived)
        OpenAfterDownload.OpenFile();
    else
        OpenAfterDownload.Pending = false;
}

bool TfrmMain::ShowInViewer(const QString& path)
{
    auto* viewer = new TTextViewer(this);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    if (!viewer->LoadFile(path)) {
        delete viewer;
        return false;
    }
    CenterForm(this, *viewer);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return true;
}

// ---- The end of temporary files ----

void TfrmMain::DeleteTempFiles()
{
    // While the window goes away nobody can be asked: changed files are
    // then kept (TTempFiles does that when it goes).
    if (Closing) return;
    SettleChangedTempFiles(false);
    const QString stranded = TempFiles.Clear();
    if (!stranded.isEmpty())
        LogError(QStringLiteral("The changed files that could not be kept stay in \"%1\".").arg(stranded));
}

void TfrmMain::SettleChangedTempFiles(bool canUpload)
{
    for (const TTempFile& file : TempFiles.Changed()) {
        // An upload runs the event loop: a lost connection may have settled
        // this file already.
        if (!TempFiles.Contains(file.Path) || !TTempFiles::IsChanged(file)) continue;
        switch (AskAboutChangedFile(file, canUpload && CanUseRemote())) {
        case caUpload:
            if (UploadBack(file)) {
                TempFiles.Remove(file.Path);
                break;
            }
            // The changes did not reach the site: they must not be lost.
            LogError(QStringLiteral("\"%1\" could not be uploaded back.").arg(file.RemoteName));
            KeepTempFile(file);
            break;
        case caKeep: KeepTempFile(file); break;
        case caDiscard: TempFiles.Remove(file.Path); break;
        }
    }
}

bool TfrmMain::UploadBack(const TTempFile& file)
{
    if (!CanUseRemote()) return false;
    if (RemoteDir->Directory() != file.RemoteDirectory) {
        RemoteDir->SetDirectory(file.RemoteDirectory);
        if (RemoteDir->Directory() != file.RemoteDirectory || !CanUseRemote()) return false;
    }
    auto list = std::make_unique<TDirectory>();
    list->Contents.Files << file.RemoteName;
    // The file is a whole new version: it replaces the old one unasked (only
    // once complete) and is never taken for a resumable part of it.
    frmTransfer->ApproveReplace();
    RunTransfer(true, std::move(list), QFileInfo(file.Path).path());
    return frmTransfer->LastJobFilesDone() > 0;
}

void TfrmMain::KeepTempFile(const TTempFile& file)
{
    const QString kept = TempFiles.Keep(file);
    if (kept.isEmpty()) {
        const QString text = QStringLiteral("The changed file \"%1\" could not be moved to \"%2\".")
                                 .arg(file.Path, TempFiles.KeepFolder);
        LogError(text);
        ShowMessageBox(text, true);
        return;
    }
    const QString text =
        QStringLiteral("The changed file \"%1\" was kept as \"%2\".").arg(file.RemoteName, kept);
    LogInfo(text);
    ShowMessageBox(text, false);
}

// ---- Drags out to the desktop ----

QStringList TfrmMain::DownloadForDragOut()
{
    if (!CanUseRemote()) return {};
    std::unique_ptr<TDirectory> list = RemoteDir->GetDirectoryTree(false, true);
    if (!list || list->IsEmpty()) return {};
    QStringList names = list->Contents.Files;
    for (int i = 0; i < list->Contents.DirectoryCount(); ++i)
        names << list->Contents.GetDirectory(i)->Name;
    const QString folder = TempFiles.NewFolder();
    if (folder.isEmpty()) return {};
    RunTransfer(false, std::move(list), folder);
    // Part of the selection would pass for all of it: only a whole job goes.
    if (!frmTransfer->LastJobCompleted() || frmTransfer->LastJobFilesMissed() > 0) return {};
    QStringList paths;
    for (const QString& name : names)
        if (IsSafeLocalName(name) && QFileInfo::exists(ChildPath(folder, name)))
            paths << ChildPath(folder, name);
    return paths;
}
