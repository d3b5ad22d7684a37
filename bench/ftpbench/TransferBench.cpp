#include "ftpbench/TransferBench.h"

#include "app/StatusLog.h"
#include "ftpbench/BenchTls.h"
#include "ftpbench/BenchUrl.h"
#include "settings/Settings.h"
#include "transfer/frmTransfer.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"
#include "views/tree/Directory.h"

#include <QDir>
#include <QFileInfo>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

// The main window's client set-up and texts, so the bench pays for the same
// log the user's session writes.
constexpr qint32 TimeOutMs = 30000;
constexpr qint32 ProtocolLevel = 2;
const char* const TransferDoneText = "File transfer completed succesfully.";

bool IsFileTransfer(TCmdType type)
{
    return type >= ctReserved6 && type <= ctUpload;
}

// The remote view waits for exactly these reports (it checks the type).
bool RemoteViewWaitsFor(TCmdType type)
{
    return type <= ctRename || type == ctReserved13 || type == ctCommand || type == ctCurrentDir;
}

// A remote folder path without trailing slashes ("/" for the root).
QByteArray FolderPath(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

bool HasFolder(const TDirectory& listing, const QString& name)
{
    for (int i = 0; i < listing.Contents.DirectoryCount(); ++i)
        if (listing.Contents.GetDirectory(i)->Name == name) return true;
    return false;
}

}  // namespace

TTransferBench::TTransferBench(std::FILE* out, bool verbose) : Out(out), Verbose(verbose)
{
    // No question may wait for a user: nothing asks before replacing, and no
    // file is offered for resume.
    Settings = std::make_unique<TSettings>(SettingsHome.filePath(QStringLiteral("QuilloFTP.ini")));
    Settings->TransferFlags = 0;

    LocalDir = new TFileListView;
    LocalDir->SetCanBrowseToRoot(false);
    LocalDir->SetAcceptShellFiles(false);
    RemoteDir = new TFtpFileListView;
    RemoteDir->SetFtpControl(&Ftp);
    Status = new TStatusLog;
    auto* panes = new QSplitter(Qt::Horizontal);
    panes->addWidget(LocalDir);
    panes->addWidget(RemoteDir);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panes, 1);
    layout->addWidget(Status);
    resize(800, 600);
    BindFtpEvents();
    Transfer = std::make_unique<TfrmTransfer>(Ftp, *LocalDir, *RemoteDir, *Settings, *this, this);
}

TTransferBench::~TTransferBench()
{
    Transfer.reset();
}

bool TTransferBench::Handles(const QString& command)
{
    return command == QLatin1String("mirror-get") || command == QLatin1String("mirror-put") ||
           command == QLatin1String("app-get");
}

void TTransferBench::Run(const QStringList& arguments)
{
    const QString command = arguments.value(0);
    if (arguments.size() != 3) throw Exception(QStringLiteral("%1 takes two operands").arg(command));
    show();
    if (command == QLatin1String("mirror-get"))
        MirrorGet(TBenchUrl::Parse(arguments[1]), arguments[2]);
    else if (command == QLatin1String("mirror-put"))
        MirrorPut(arguments[1], TBenchUrl::Parse(arguments[2]));
    else
        AppGet(TBenchUrl::Parse(arguments[1]), arguments[2]);
    Close();
    if (!JobFinished) throw Exception(QStringLiteral("The transfer job never ended"));
    if (!Errors.isEmpty()) throw Exception(Errors.join(QStringLiteral("; ")));
    std::fprintf(Out, "%d\n", FilesCompleted);
}

void TTransferBench::BindFtpEvents()
{
    Ftp.Port = 21;
    Ftp.TimeOut = TimeOutMs;
    Ftp.SetReportLevel(ProtocolLevel);
    Ftp.Vendor = vnNotDetected;
    Ftp.ParseList = true;
    Ftp.OnConnectionRequired = [this](bool&) { LogError(QStringLiteral("No connection")); };
    Ftp.OnDisconnect = [this](QObject*) {
        if (Transfer->Active()) Transfer->AbortTransfer();
        Ftp.Cancel();
    };
    Ftp.OnTransactionStart = [this](QObject*) {
        if (Transfer->Active() && Transfer->FileCommandIssued())
            Transfer->TransferStarted();
        else
            LogInfo(QStringLiteral("Retrieving directory listing..."));
    };
    Ftp.OnTransactionStop = [this](QObject*) {
        if (Transfer->FileInProgress()) Transfer->TransferStopped();
    };
    Ftp.OnPacketSent = [this](QObject*) {
        Transfer->UpdateTransferred();
        UpdateCaption();
    };
    Ftp.OnPacketRecvd = Ftp.OnPacketSent;
    Ftp.OnSuccess = [this](TCmdType type) { FtpSuccess(type); };
    Ftp.OnFailure = [this](bool& handled, TCmdType type) {
        handled = true;
        FtpFailure(type);
    };
    Ftp.OnError = [this](QObject*, quint16 code, const QString& text) {
        LogError(QStringLiteral("Error %1: %2").arg(code).arg(text));
    };
    Ftp.OnStatus = [this](QObject*, const QString& text) {
        Status->LogReply(text);
        if (Verbose) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    };
}

void TTransferBench::FtpSuccess(TCmdType type)
{
    if (IsFileTransfer(type)) {
        ++FilesCompleted;
        Status->LogSuccess(QLatin1String(TransferDoneText));
        LogInfo(Transfer->TransferStatisticsLine());
        return;
    }
    if (type <= ctRename || type == ctReserved13) Status->LogSuccess(QStringLiteral("Command succeeded"));
    if (RemoteViewWaitsFor(type)) RemoteDir->NoteSuccess(type);
}

void TTransferBench::FtpFailure(TCmdType type)
{
    if (IsFileTransfer(type))
        LogError(QStringLiteral("File transfer failed"));
    else
        LogError(QStringLiteral("Command failed (type %1)").arg(int(type)));
    if (RemoteViewWaitsFor(type)) RemoteDir->NoteFailure(type);
}

bool TTransferBench::SelectTransferType(bool text)
{
    return RemoteDir->SetTransferType(text);
}

void TTransferBench::LogError(const QString& text)
{
    Errors << text;
    Status->LogError(text);
    if (Verbose) std::fprintf(stderr, "! %s\n", text.toLocal8Bit().constData());
}

void TTransferBench::LogInfo(const QString& text)
{
    Status->LogInfo(text);
    if (Verbose) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// As the main window: the receiving pane is listed again, and the remote
// pane, busy for the job, becomes usable.
void TTransferBench::TransferFinished(bool upload)
{
    JobFinished = true;
    UpdateCaption();
    if (upload)
        RemoteDir->Refresh();
    else
        LocalDir->Refresh();
    RemoteDir->EndBusy();
}

// The main window's caption follows every packet of a file.
void TTransferBench::UpdateCaption()
{
    QString text = QStringLiteral("bench");
    if (Transfer->FileInProgress())
        text = QStringLiteral("%1%2 (%3) - ")
                   .arg(Transfer->ProgressPercent())
                   .arg(QLatin1Char('%'))
                   .arg(Transfer->CurrentFileName()) +
               text;
    if (windowTitle() != text) setWindowTitle(text);
}

void TTransferBench::Open(const TBenchUrl& url, const QByteArray& remoteFolder, const QString& localFolder)
{
    if (!LocalDir->BrowseTo(QFileInfo(localFolder).absoluteFilePath()))
        throw Exception(QStringLiteral("Cannot show the local folder \"%1\"").arg(localFolder));
    Ftp.Host = url.Host;
    Ftp.Port = url.Port;
    Ftp.UserID = url.User;
    Ftp.Password = url.Password;
    Ftp.Connect();
    RemoteDir->Open(QString::fromLatin1(remoteFolder));
}

void TTransferBench::RunJob(bool upload, std::unique_ptr<TDirectory> tree, const QString& localFolder)
{
    const QString path = QFileInfo(localFolder).absoluteFilePath();
    RemoteDir->BeginBusy();
    try {
        if (upload)
            Transfer->UploadFiles(std::move(tree), path);
        else
            Transfer->DownloadFiles(std::move(tree), path);
    } catch (const std::exception& e) {
        LogError(QString::fromLocal8Bit(e.what()));
        TransferFinished(upload);
    }
}

void TTransferBench::MirrorGet(const TBenchUrl& url, const QString& localFolder)
{
    if (!QDir().mkpath(localFolder))
        throw Exception(QStringLiteral("Cannot create the folder \"%1\"").arg(localFolder));
    const QByteArray folder = FolderPath(url.Path);
    Open(url, folder, localFolder);
    if (RemoteDir->Directory() != QString::fromLatin1(folder))
        throw Exception(
            QStringLiteral("Cannot enter the remote folder \"%1\"").arg(QString::fromLatin1(folder)));
    RunJob(false, RemoteDir->GetDirectoryTree(false, false), localFolder);
}

void TTransferBench::MirrorPut(const QString& localFolder, const TBenchUrl& url)
{
    const QByteArray folder = FolderPath(url.Path);
    if (folder == "/") throw Exception(QStringLiteral("mirror-put: the address names no folder"));
    const qsizetype slash = folder.lastIndexOf('/');
    const QString parent = QString::fromLatin1(slash > 0 ? folder.left(slash) : QByteArray("/"));
    const QString name = QString::fromLatin1(folder.mid(slash + 1));
    Open(url, parent.toLatin1(), localFolder);
    // Like a mirroring tool, the target folder is made when it is missing.
    if (!HasFolder(*RemoteDir->GetDirectoryTree(false, false), name))
        RemoteDir->CreateDirectory(name, false, false);
    if (!RemoteDir->OpenDirectory(name))
        throw Exception(QStringLiteral("Cannot enter the remote folder \"%1\"").arg(name));
    RunJob(true, LocalDir->GetDirectoryTree(true, false), localFolder);
}

void TTransferBench::AppGet(const TBenchUrl& url, const QString& localFile)
{
    const QFileInfo target(localFile);
    if (url.FileName().isEmpty() || target.fileName() != QString::fromLatin1(url.FileName()))
        throw Exception(QStringLiteral("app-get: FILE must have the remote file's name"));
    Open(url, url.Directory(), target.absolutePath());
    auto tree = std::make_unique<TDirectory>();
    tree->Contents.Files << target.fileName();
    RunJob(false, std::move(tree), target.absolutePath());
}

void TTransferBench::Close()
{
    try {
        Ftp.Disconnect();
    } catch (const Exception&) {}
}

void TTransferBench::SetTls(TFtpEncryption encryption)
{
    UseBenchTls(Ftp, encryption);
}
