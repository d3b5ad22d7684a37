// The transfer commands of the main window: upload and download of the
// selection, drag and drop between the panes and from the desktop, and what
// happens when a job ends.
#include "app/frmMain.h"
#include "platform/MessageBoxes.h"
#include "transfer/frmTransfer.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"
#include "views/tree/Directory.h"
#include "views/tree/DirectoryList.h"

#include <exception>

// ---- What the transfer window asks of the main window ----

TCustomFileListView* TfrmMain::Pane(bool remote) const
{
    if (remote) return RemoteDir;
    return LocalDir;
}

TTransferMode TfrmMain::CurrentTransferMode() const
{
    return TransferMode;
}

void TfrmMain::TransferFinished(bool upload)
{
    UpdateCaption();
    LinkDownloadFinished();
    if (OpenAfterDownload.Pending) OpenDownloadedFile();
    TCustomFileListView* target = Pane(upload);
    try {
        if (ReturnAfterTransfer) {
            ReturnAfterTransfer = false;
            target->GotoUpperDirectory();
        }
        // A lost connection leaves nothing to list on the remote side.
        if (!upload || IsConnected()) target->Refresh();
    } catch (const std::exception& e) {
        LogError(QString::fromUtf8(e.what()));
    }
    RemoteDir->EndBusy();
}

// ---- Starting a job ----

bool TfrmMain::TransferSelection(bool upload)
{
    TCustomFileListView* source = Pane(!upload);
    // Uploads carry their whole subtrees; a download learns the remote
    // folders' contents as it walks them.
    std::unique_ptr<TDirectory> list = source->GetDirectoryTree(upload, true);
    if (!list || list->IsEmpty()) return false;
    RunTransfer(upload, std::move(list), LocalDir->Directory());
    return true;
}

void TfrmMain::RunTransfer(bool upload, std::unique_ptr<TDirectory> list, const QString& localDirectory)
{
    RemoteDir->BeginBusy();
    try {
        CenterForm(this, *frmTransfer);
        if (ResumeRequested) frmTransfer->ApproveResume();
        ResumeRequested = false;
        if (upload)
            frmTransfer->UploadFiles(std::move(list), localDirectory);
        else
            frmTransfer->DownloadFiles(std::move(list), localDirectory);
    } catch (const std::exception& e) {
        // A job that could not start has ended: the remote view must not
        // stay busy.
        LogError(QString::fromUtf8(e.what()));
        TransferFinished(upload);
    }
}

void TfrmMain::actUploadExecute()
{
    if (CanUseRemote()) TransferSelection(true);
}

void TfrmMain::actDownloadExecute()
{
    if (CanUseRemote()) TransferSelection(false);
}

// ---- Drag and drop ----

void TfrmMain::LocalDirDragOver(TCustomFileListView* source, bool& accept)
{
    accept = source == RemoteDir && CanUseRemote();
}

void TfrmMain::RemoteDirDragOver(TCustomFileListView* source, bool& accept)
{
    accept = source == LocalDir && CanUseRemote();
}

void TfrmMain::DirDragDrop(TCustomFileListView* target, TCustomFileListView* source, QPoint pos)
{
    ReturnAfterTransfer = false;
    if (!IsConnected() || !target || !source || target == source) return;
    const bool upload = target == RemoteDir;
    const int item = target->ItemAt(pos);
    if (item < 0) {
        TransferSelection(upload);
        return;
    }
    if (target->IsDirectoryItem(item)) return DropIntoDirectory(target, item, upload);
    const QList<int> dragged = source->SelectedItems();
    if (dragged.size() == 1 &&
        SameName(source->GetItemInfo(dragged.first()).Name, target->GetItemInfo(item).Name)) {
        const int answer = AskYesNoCancel(
            QStringLiteral("Do you want to continue possibly interrupted file transfer?"), false);
        if (answer == mrCancel) return;
        ResumeRequested = answer == mrYes;
    }
    TransferSelection(upload);
}

void TfrmMain::DropIntoDirectory(TCustomFileListView* target, int item, bool upload)
{
    const QString name = target->GetItemInfo(item).Name;
    if (!target->OpenDirectory(name)) {
        const QString text = QStringLiteral("Failed to move to the destination directory");
        ShowMessageBox(text, true);
        LogError(text);
        return;
    }
    ReturnAfterTransfer = true;
    // Nothing to transfer: no job's end will take the pane back.
    if (!TransferSelection(upload)) {
        ReturnAfterTransfer = false;
        target->GotoUpperDirectory();
    }
}

bool TfrmMain::SameName(const QString& a, const QString& b) const
{
    return a.compare(b, RemoteDir->ServerIgnoresCase() ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

void TfrmMain::RemoteDirFileDrop(const QStringList& files, bool& handleFileDrop)
{
    // The remote view has no files of its own to drop onto: the upload is ours.
    handleFileDrop = false;
    if (!CanUseRemote()) return;
    TDirectoryList groups(true);
    TFileListView::BuildDropTree(files, groups);
    // Each group is a folder of the desktop's selection, uploaded from there.
    while (groups.Count() > 0 && CanUseRemote()) {
        std::unique_ptr<TDirectory> group = groups.Take(0);
        const QString path = group->Path;
        RunTransfer(true, std::move(group), path);
        // A cancelled or failed job ends the whole drop, not only its folder.
        if (!frmTransfer->LastJobCompleted()) break;
    }
}

void TfrmMain::BindTransferEvents()
{
    LocalDir->OnDragOver = [this](TCustomFileListView*, TCustomFileListView* source, QPoint, bool& accept) {
        LocalDirDragOver(source, accept);
    };
    RemoteDir->OnDragOver = [this](TCustomFileListView*, TCustomFileListView* source, QPoint, bool& accept) {
        RemoteDirDragOver(source, accept);
    };
    const auto drop = [this](TCustomFileListView* target, TCustomFileListView* source, QPoint pos) {
        DirDragDrop(target, source, pos);
    };
    LocalDir->OnDragDrop = drop;
    RemoteDir->OnDragDrop = drop;
    RemoteDir->OnFileDrop = [this](TCustomFileListView*, const QStringList& files, bool& handle) {
        RemoteDirFileDrop(files, handle);
    };
}
