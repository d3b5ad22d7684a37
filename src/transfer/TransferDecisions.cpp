// The per-file decisions of the transfer window: replace, resume, and what
// becomes of a file the user aborted.
#include "net/ResumableFtp.h"
#include "platform/MessageBoxes.h"
#include "platform/RemoteText.h"
#include "settings/Settings.h"
#include "transfer/TransferHost.h"
#include "transfer/TransferNames.h"
#include "transfer/TransferState.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

void TfrmTransfer::RunFileCommand(const QString& localPath)
{
    // The file's success is the client's OnSuccess for it; the main window's
    // handler stays in charge and is only looked over.
    TResumableFtp& ftp = S->Ftp;
    TSuccessEvent owner = ftp.OnSuccess;
    ftp.OnSuccess = [this, owner](TCmdType type) {
        if (type == ctDownload || type == ctUpload) {
            S->FileSucceeded = true;
            ++S->FilesDone;
        }
        if (owner) owner(type);
    };
    S->FileCommandIssued = true;
    const auto restore = qScopeGuard([this, &ftp, owner] {
        ftp.OnSuccess = owner;
        S->FileCommandIssued = false;
    });
    try {
        if (S->Downloading) {
            S->DestinationDir = S->LocalDir;
            DownloadOne(localPath);
        } else {
            S->DestinationDir = S->RemoteView.Directory();
            UploadOne(localPath);
        }
    } catch (const std::exception&) {
        if (!S->AbortRequested) {
            AfterFileCommand(localPath);
            throw;
        }
    }
    AfterFileCommand(localPath);
}

void TfrmTransfer::AfterFileCommand(const QString& localPath)
{
    if (S->AbortRequested) {
        S->AbortRequested = false;
        if (S->ReplacingExisting) {
            // Nothing partial exists under the real name: the old file was
            // never touched.
            S->AskAboutPartialFile = false;
            LogKept(localPath);
        } else {
            HandlePartialFile(localPath);
        }
        if (S->SkipRequested)
            S->SkipRequested = false;
        else
            S->Failed = true;
        return;
    }
    if (S->FileCommandRan && S->ReplacingExisting && !S->FileSucceeded) LogKept(localPath);
}

void TfrmTransfer::LogKept(const QString& localPath)
{
    const QByteArray stranded = S->Downloading ? QByteArray() : S->Ftp.StrandedUpload();
    if (!stranded.isEmpty()) {
        S->Host.LogError(QStringLiteral("The server would not put the new \"%1\" in place of the old one, "
                                        "which is deleted; the new file stays as \"%2\".")
                             .arg(S->CurrentFileName, DecodeRemote(stranded)));
        return;
    }
    S->Host.LogInfo(QStringLiteral("The existing file \"%1\" was kept.")
                        .arg(S->Downloading ? localPath : S->CurrentFileName));
}

void TfrmTransfer::DownloadOne(const QString& localPath)
{
    const QByteArray remoteName = EncodeRemote(S->CurrentFileName);
    const int item = RemoteItem(S->CurrentFileName);
    if (item >= 0) {
        const TItemInfo info = S->RemoteView.GetItemFacts(item);
        // A link's size is that of the link, not of what it leads to.
        if (info.Attributes.startsWith(QLatin1Char('-'))) S->ListedSize = qint64(info.Size);
    }
    const QFileInfo local(localPath);
    if (local.exists() || local.isSymLink()) {
        if (CheckResume(localPath)) {
            S->FileCommandRan = true;
            S->Ftp.ResumeDownload(localPath, remoteName, S->ResumeOffset, S->ListedSize);
            return;
        }
        if (!ConfirmReplace()) return;
        S->ReplacingExisting = true;
    }
    S->FileCommandRan = true;
    S->Ftp.RetrieveFile(remoteName, localPath, S->ListedSize);
}

void TfrmTransfer::UploadOne(const QString& localPath)
{
    const QByteArray remoteName = EncodeRemote(S->CurrentFileName);
    const int item = RemoteItem(S->CurrentFileName);
    if (item >= 0 && !S->RemoteView.IsDirectoryItem(item)) {
        if (CheckResume(localPath)) {
            S->FileCommandRan = true;
            S->Ftp.ResumeUpload(localPath, remoteName, S->ResumeOffset);
            return;
        }
        if (!ConfirmReplace()) return;
        S->ReplacingExisting = true;
        S->FileCommandRan = true;
        StoreOver(localPath, remoteName);
        return;
    }
    S->FileCommandRan = true;
    // Without a listing of the folder nobody knows whether a file of that
    // name is there: it may not be emptied before the new one is complete.
    if (!S->RemoteView.Listed())
        StoreOver(localPath, remoteName);
    else
        S->Ftp.StoreFile(localPath, remoteName);
}

void TfrmTransfer::StoreOver(const QString& localPath, const QByteArray& remoteName)
{
    // "STOR" would empty the user's remote file before the first byte
    // arrives: the upload goes to a temporary name and replaces it when complete.
    S->Ftp.StoreFileReplacing(localPath, remoteName);
}

bool TfrmTransfer::ConfirmReplace()
{
    if (!(S->Settings.TransferFlags & tfConfirmOverwrite) || S->ReplaceAll) return true;
    if (S->SkipAll) return false;
    switch (AskYesNoCancelAll(QStringLiteral("Replace file \"%1\"?").arg(S->CurrentFileName))) {
    case mrYes: return true;
    case mrYesToAll: S->ReplaceAll = true; return true;
    case mrNo: return false;
    case mrNoToAll: S->SkipAll = true; return false;
    default: S->Failed = true; return false;
    }
}

bool TfrmTransfer::CheckResume(const QString& localPath)
{
    const bool approved = S->ResumeApproved;
    if (S->ReplacesUnasked) return false;
    if (!approved &&
        (!(S->Settings.TransferFlags & tfProposeResume) || S->Settings.IsTextFile(S->CurrentFileName)))
        return false;
    const QFileInfo local(localPath);
    if (!local.isFile()) return false;
    const int item = RemoteItem(S->CurrentFileName);
    if (item < 0 || S->RemoteView.IsDirectoryItem(item)) return false;
    const TItemInfo remote = S->RemoteView.GetItemFacts(item);
    const qint64 localSize = local.size();
    const TDateTime localDate = QDateTimeToDateTime(local.lastModified());
    const qint64 sourceSize = S->Downloading ? qint64(remote.Size) : localSize;
    const qint64 destinationSize = S->Downloading ? localSize : qint64(remote.Size);
    const TDateTime sourceDate = S->Downloading ? remote.Date : localDate;
    const TDateTime destinationDate = S->Downloading ? localDate : remote.Date;
    if (destinationSize >= sourceSize || (!approved && sourceDate >= destinationDate)) {
        if (approved)
            ShowMessageBox(QStringLiteral("Resuming the transfer from the breaking point is impossible.\r\n"
                                          "Source file is smaller than the destination file"),
                           true);
        return false;
    }
    if (!approved &&
        !AskYesNo(QStringLiteral("Transferring the file \"%1\" has possibly been interrupted last time.\r\n"
                                 "Do you want to try to resume the transfer from the breaking point?")
                      .arg(S->CurrentFileName),
                  false))
        return false;
    S->Resuming = true;
    S->ResumeOffset = destinationSize;
    return true;
}

// --- Skip and Cancel -----------------------------------------------------------------

bool TfrmTransfer::CancelTransfer(bool askUser)
{
    if (askUser && !AskOkCancel(QStringLiteral("Are you sure you want to cancel the file transfer?"), false))
        return false;
    try {
        if (S->FileInProgress) {
            AbortFile(askUser);
        } else {
            // A file command still waiting for its data connection ends too,
            // rather than moving the whole file before the job notices.
            // Abort first: the job's end must find the client idle.
            if (S->FileCommandIssued) {
                try {
                    S->Ftp.Abort();
                } catch (...) {
                    // The waiting command fails either way.
                }
            }
            FinishJob(false);
        }
    } catch (...) {
        // The abort is reported by the log lines; nothing else to do.
    }
    return true;
}

void TfrmTransfer::AbortFile(bool askUser)
{
    S->AskAboutPartialFile = askUser;
    S->AbortRequested = true;
    S->Host.LogError(QStringLiteral("File transfer aborted"));
    try {
        S->Ftp.Abort();
    } catch (...) {
        // The file command fails either way; its failure is handled there.
    }
}

void TfrmTransfer::HandlePartialFile(const QString& localPath)
{
    AddFileToView();
    if (S->AskAboutPartialFile) {
        S->AskAboutPartialFile = false;
        const QString question = QStringLiteral(
                                     "Current file: \"%1\", %2 / %3 kB transferred.\r\n"
                                     "File transfer can be continued later from the breaking point\r\n"
                                     "if the partially transferred file is stored.\r\n"
                                     "Do you want to delete partially stored file?")
                                     .arg(S->CurrentFileName)
                                     .arg(RoundedQuotient(S->BytesDone, 1024))
                                     .arg(RoundedQuotient(S->ExpectedBytes, 1024));
        if (!AskYesNo(question, false)) {
            S->Host.LogInfo(QStringLiteral("Partially transferred file will be saved for later use."));
            return;
        }
    }
    S->Host.LogInfo(QStringLiteral("Partially transferred file will be deleted."));
    DeletePartialFile(localPath);
}

void TfrmTransfer::DeletePartialFile(const QString& localPath)
{
    bool deleted = false;
    if (!S->Downloading) {
        const int item = RemoteItem(S->CurrentFileName);
        // Only a file: on a server that ignores case a folder of that name
        // may be what the lookup found, and deleting it would be recursive.
        if (item >= 0 && !S->RemoteView.IsDirectoryItem(item)) {
            TFtpFileListView& remote = S->RemoteView;
            const bool confirm = remote.ConfirmDeletions();
            remote.SetConfirmDeletions(false);
            deleted = remote.DeleteItems(item, false);
            remote.SetConfirmDeletions(confirm);
        }
    } else if (S->LocalView.Directory() != S->LocalDir) {
        deleted = QFile::remove(localPath);
    } else if (const int item = LocalItem(S->CurrentFileName);
               item >= 0 && !S->LocalView.IsDirectoryItem(item)) {
        TFileListView& local = S->LocalView;
        const TFileActionFlags flags = local.FileActionFlags();
        local.SetFileActionFlags({});
        deleted = local.DeleteItems(item, false);
        local.SetFileActionFlags(flags);
    }
    if (!deleted)
        S->Host.LogError(QStringLiteral("Failed to delete the partially transferred file \"%1\"")
                             .arg(S->Downloading ? localPath : S->CurrentFileName));
}

void TfrmTransfer::AddFileToView()
{
    const QString& name = S->CurrentFileName;
    if (S->Downloading) {
        if (LocalItem(name) < 0 && S->LocalView.Directory() == S->LocalDir &&
            QFileInfo::exists(ChildPath(S->LocalDir, name)))
            S->LocalView.AddItem(TItemInfo{name, {}, 0, 0, {}});
    } else if (RemoteItem(name) < 0) {
        S->RemoteView.AddItem(TItemInfo{name, {}, 0, 0, QStringLiteral("---------")});
    }
}

int TfrmTransfer::RemoteItem(const QString& name) const
{
    return S->RemoteView.FindItem(name, !S->RemoteView.ServerIgnoresCase());
}

int TfrmTransfer::LocalItem(const QString& name) const
{
    // This file system tells "a" from "A": anything else could delete the
    // wrong file.
    return S->LocalView.FindItem(name, true);
}
