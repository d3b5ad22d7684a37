// The job queue and the depth-first walk of the transfer window.
#include "net/ResumableFtp.h"
#include "platform/Exception.h"
#include "platform/RemoteText.h"
#include "settings/Settings.h"
#include "transfer/TransferHost.h"
#include "transfer/TransferNames.h"
#include "transfer/TransferState.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QScopeGuard>

namespace {

const QString AbortedText = QStringLiteral("File transfer aborted");
// The main window's panes and log are followed at a glance during a job;
// each of its paints fills a large area.
constexpr int MainWindowPaintMs = 250;

}  // namespace

void TfrmTransfer::DownloadFiles(std::unique_ptr<TDirectory> tree, const QString& localPath)
{
    QueueJob(std::move(tree), localPath, true);
}

void TfrmTransfer::UploadFiles(std::unique_ptr<TDirectory> tree, const QString& localPath)
{
    QueueJob(std::move(tree), localPath, false);
}

void TfrmTransfer::ApproveResume()
{
    S->ResumeApproved = true;
}

void TfrmTransfer::ApproveReplace()
{
    S->ReplaceApproved = true;
}

void TfrmTransfer::AbortTransfer()
{
    FinishJob(false);
}

void TfrmTransfer::QueueJob(std::unique_ptr<TDirectory> tree, const QString& localPath, bool downloading)
{
    if (!tree) return;
    tree->Path = localPath;
    S->Jobs.push_back({std::move(tree), downloading, S->ReplaceApproved});
    S->ReplaceApproved = false;
    // Handed over from inside a running job's wait: the outer call runs it.
    if (S->Running) return;
    S->Running = true;
    const auto done = qScopeGuard([this] {
        S->Running = false;
        S->Retired.clear();
        try {
            ReportFinishedJobs();
        } catch (...) {
            // Unwinding already: the first error is the one that counts.
        }
    });
    while (!S->Jobs.empty()) {
        StartJob();
        S->Retired.clear();
        ReportFinishedJobs();
    }
}

void TfrmTransfer::ReportFinishedJobs()
{
    std::vector<bool> uploads;
    uploads.swap(S->FinishedUploads);
    for (const bool upload : uploads)
        S->Host.TransferFinished(upload);
}

void TfrmTransfer::StartJob()
{
    TTransferJob& job = S->Jobs.front();
    S->Active = true;
    S->Failed = false;
    S->ReplaceAll = job.ReplaceApproved;
    S->ReplacesUnasked = job.ReplaceApproved;
    S->FilesTried = 0;
    S->FilesDone = 0;
    S->SkipAll = false;
    S->JobTypeText = -1;
    S->Downloading = job.Downloading;
    S->CurrentDir = job.Tree.get();
    S->LocalDir = WithoutTrailingSlash(job.Tree->Path);
    S->ParentStack.clear();
    S->RemotePaths = {S->RemoteView.Directory()};
    setWindowTitle(S->Downloading ? QStringLiteral("Downloading files") : QStringLiteral("Uploading files"));
    ResetStatus();
    ShowItemsLeft();
    show();
    raise();
    activateWindow();  // Esc and the buttons answer the keyboard at once
    S->Paints.Watch(this);
    S->Paints.Watch(parentWidget(), MainWindowPaintMs);
    RunJob();
}

void TfrmTransfer::RunJob()
{
    for (;;) {
        const TWork work = FindWork();
        if (work != TWork::File) {
            FinishJob(work == TWork::JobDone);
            return;
        }
        try {
            TransferNextFile();
        } catch (const std::exception& e) {
            // The user's own abort was logged when it was asked for.
            const QString why = QString::fromUtf8(e.what());
            if (S->Active && why != AbortedText) S->Host.LogError(why);
            FinishJob(false);
            return;
        }
        if (S->Failed) {
            FinishJob(false);
            return;
        }
    }
}

TfrmTransfer::TWork TfrmTransfer::FindWork()
{
    try {
        for (;;) {
            if (S->Failed || !S->Active || !S->CurrentDir) return TWork::Failed;
            if (!S->CurrentDir->Contents.Files.isEmpty()) return TWork::File;
            if (S->CurrentDir->Contents.DirectoryCount() == 0 && S->ParentStack.empty())
                return TWork::JobDone;
            if (!NextDirectory()) S->Failed = true;
        }
    } catch (const std::exception& e) {
        if (S->Active) S->Host.LogError(QString::fromUtf8(e.what()));
        return TWork::Failed;
    }
}

void TfrmTransfer::TransferNextFile()
{
    if (!S->Active) throw Exception(AbortedText);
    ShowItemsLeft();
    const QString name = S->CurrentDir->Contents.Files.takeFirst();
    ++S->FilesTried;
    S->CurrentFileName = name;
    S->Resuming = false;
    S->ResumeOffset = 0;
    S->ListedSize = -1;
    S->ReplacingExisting = false;
    S->FileSucceeded = false;
    S->FileCommandRan = false;
    if (S->Downloading && !IsSafeLocalName(name)) {
        S->Host.LogError(UnsafeNameText(name));
        return;
    }
    const QString localPath = ChildPath(S->LocalDir, name);
    const TTransferMode mode = S->Host.CurrentTransferMode();
    const bool text = mode == tmText || (mode == tmAutomatic && S->Settings.IsTextFile(name));
    // A type stays in effect on the server until the next "TYPE" (RFC 959,
    // 5.3.2), so one per file would only cost a round trip per file. It is
    // sent again when the file needs the other type, or when the client saw
    // another type set since (the remote view lists in "TYPE A").
    const bool typeKnown = S->JobTypeText == int(text) && S->Ftp.AsciiTransfers() == text;
    const bool typeSet = typeKnown || S->Host.SelectTransferType(text);
    S->JobTypeText = typeSet ? int(text) : -1;
    if (!S->Active) throw Exception(AbortedText);
    if (!typeSet) throw Exception(QStringLiteral("Failed to change the transfer mode"));

    RunFileCommand(localPath);
    if (!S->Active) throw Exception(AbortedText);
    S->ResumeApproved = false;
    ResetStatus();
    ShowItemsLeft();
}

// --- directories ---------------------------------------------------------------------

bool TfrmTransfer::NextDirectory()
{
    if (!StillConnected()) return false;
    return S->CurrentDir->Contents.DirectoryCount() == 0 ? LeaveDirectory() : EnterDirectory();
}

bool TfrmTransfer::StillConnected()
{
    // A lost connection ends the job here, once, instead of failing (and
    // complaining about) every folder that is left.
    if (S->Ftp.Connected()) return true;
    FinishJob(false);
    return false;
}

bool TfrmTransfer::LeaveDirectory()
{
    TDirectory* parent = S->ParentStack.back();
    S->ParentStack.pop_back();
    S->RemotePaths.pop_back();
    S->CurrentDir = parent;
    parent->Contents.DeleteDirectory(0);
    if (!ReturnToRemote(S->RemotePaths.back())) return false;
    S->LocalDir = ParentPath(S->LocalDir);
    return true;
}

bool TfrmTransfer::ReturnToRemote(const QString& path)
{
    TFtpFileListView& remote = S->RemoteView;
    // A folder entered through a link has another parent than the one the
    // walk came from: that one is returned to by its path.
    if (ParentPath(remote.Directory()) == path) {
        if (!remote.GotoUpperDirectory()) return false;
    } else {
        remote.SetDirectory(path);
    }
    return S->Active && remote.Directory() == path;
}

bool TfrmTransfer::EnterDirectory()
{
    const QString name = S->CurrentDir->Contents.GetDirectory(0)->Name;
    if (S->Downloading && !IsSafeLocalName(name)) {
        S->Host.LogError(UnsafeNameText(name));
        S->CurrentDir->Contents.DeleteDirectory(0);
        return true;
    }
    const QString localPath = ChildPath(S->LocalDir, name);
    if (!(S->Downloading ? EnterDownloadDirectory(name, localPath) : EnterUploadDirectory(name)))
        return false;
    return S->Active;
}

bool TfrmTransfer::EnterUploadDirectory(const QString& name)
{
    TFtpFileListView& remote = S->RemoteView;
    if (!remote.IsDirectoryName(name, !remote.ServerIgnoresCase())) {
        // A server that refuses the name may still hold it in another case.
        if (remote.CreateDirectory(name, false, false) != 0 && !remote.IsDirectoryName(name, false))
            return false;
    }
    // Without the folder's listing every file would look new, and would be
    // sent straight over one that exists there, without a question.
    if (!S->Active || !remote.OpenDirectory(name) || !S->Active || !remote.Listed()) return false;
    S->ParentStack.push_back(S->CurrentDir);
    S->CurrentDir = S->CurrentDir->Contents.GetDirectory(0);
    S->RemotePaths.push_back(remote.Directory());
    S->LocalDir = ChildPath(S->LocalDir, name);
    return true;
}

bool TfrmTransfer::EnterDownloadDirectory(const QString& name, const QString& localPath)
{
    TFtpFileListView& remote = S->RemoteView;
    TDirContents& contents = S->CurrentDir->Contents;
    const int item = RemoteItem(name);
    const bool isLink = item >= 0 && remote.GetItemFacts(item).Attributes.startsWith(QLatin1Char('l'));
    if (!remote.OpenDirectory(name)) {
        if (!S->Active || !S->Ftp.Connected()) return false;
        // A link that cannot be entered leads to a file (RFC 959: 550 is
        // "not found / no access"): it is fetched as one.
        if (isLink && remote.RefusedPermanently()) {
            contents.DeleteDirectory(0);
            contents.Files.prepend(name);
            return true;
        }
        return false;
    }
    // An empty view after a failed listing is no empty folder.
    if (!S->Active || !remote.Listed()) return false;
    if (std::find(S->RemotePaths.begin(), S->RemotePaths.end(), remote.Directory()) != S->RemotePaths.end()) {
        S->Host.LogError(QStringLiteral("\"%1\" leads back to \"%2\", which is being transferred; skipped.")
                             .arg(name, remote.Directory()));
        contents.DeleteDirectory(0);
        return ReturnToRemote(S->RemotePaths.back());
    }
    if (!QFileInfo(localPath).isDir()) {
        if (!QDir().mkpath(localPath)) {
            S->Host.LogError(QStringLiteral("Cannot create the folder \"%1\"").arg(localPath));
            return false;
        }
        if (S->LocalView.Directory() == S->LocalDir) S->LocalView.AddItem(TItemInfo{name, {}, 0, 0, {}});
    }
    std::unique_ptr<TDirectory> listed = remote.GetDirectoryTree(false, false);
    if (!listed || !S->Active) return false;
    listed->Name = name;
    TDirectory* entered = listed.get();
    if (!contents.ReplaceDirectory(0, std::move(listed))) return false;
    S->ParentStack.push_back(S->CurrentDir);
    S->CurrentDir = entered;
    S->RemotePaths.push_back(remote.Directory());
    S->LocalDir = localPath;
    return true;
}

// --- the end of a job ----------------------------------------------------------------

void TfrmTransfer::FinishJob(bool completed)
{
    if (!S->Active) return;
    S->Active = false;
    S->LastJobCompleted = completed;
    S->LastJobFilesDone = S->FilesDone;
    S->LastJobFilesMissed = S->FilesTried - S->FilesDone;
    S->FileInProgress = false;
    S->AbortRequested = false;
    S->SkipRequested = false;
    S->AskAboutPartialFile = false;
    S->ResumeApproved = false;
    S->FileCommandIssued = false;
    S->ReplaceAll = false;
    S->SkipAll = false;
    tmrTransfer.stop();
    btnSkip->setEnabled(false);
    S->CurrentDir = nullptr;
    S->ParentStack.clear();
    // A completed job hands over to the next tree in the queue; an aborted
    // one takes the queue with it. Every tree gets its TransferFinished.
    std::vector<TTransferJob> ended;
    do {
        ended.push_back(std::move(S->Jobs.front()));
        S->Jobs.pop_front();
    } while (!completed && !S->Jobs.empty());
    if (!completed) S->Host.LogError(AbortedText);
    S->Paints.Release();
    if (S->Jobs.empty()) hide();
    for (TTransferJob& job : ended) {
        const bool upload = !job.Downloading;
        S->Retired.push_back(std::move(job));
        S->FinishedUploads.push_back(upload);
    }
}
