// What the main window does with the events of the FTP client and of the
// remote view: log lines in their colours, and the remote view's notes.
#include "app/frmMain.h"

#include "app/AttemptFailure.h"
#include "app/StatusLog.h"
#include "platform/MessageBoxes.h"
#include "transfer/TransferHooks.h"
#include "views/remote/FtpFileListView.h"

#include <QComboBox>
#include <utility>

namespace {

struct TOutcomeTexts {
    const char* Success;
    const char* Failure;
};

// Log lines by command type; the file transfers (6-9) are handled apart.
const TOutcomeTexts* OutcomeTexts(TCmdType type)
{
    static const TOutcomeTexts texts[] = {
        {"Directory successfully changed", "Failed to change the directory"},
        {"Directory created successfully", "Failed to create the directory"},
        {"File deleted successfully", "Failed to delete the file"},
        {"Directory deleted successfully", "Failed to delete the directory"},
        {"Directory listing retrieved successfully", "Failed to retrieve the directory listing"},
        {"Object renamed successfully", "Failed to rename the object"},
    };
    if (type <= ctRename) return &texts[type];
    if (type == ctReserved13) return &texts[ctList];
    return nullptr;
}

bool IsFileTransfer(TCmdType type)
{
    return type >= ctReserved6 && type <= ctUpload;
}

// The remote view waits for exactly these reports (it checks the type).
bool RemoteViewWaitsFor(TCmdType type)
{
    return type <= ctRename || type == ctReserved13 || type == ctCommand || type == ctCurrentDir;
}

}  // namespace

void TfrmMain::BindFtpEvents()
{
    Ftp.Port = 21;
    Ftp.TimeOut = 30000;
    Ftp.SetReportLevel(2);
    Ftp.Vendor = vnNotDetected;
    Ftp.ParseList = true;
    Ftp.ProxyPort = 0;
    Ftp.OnConnectionRequired = [this](bool&) {
        LogError(QStringLiteral("No connection"));
        ShowMessageBox(QStringLiteral("No connection"), true);
    };
    Ftp.OnInvalidHost = [this](bool&) { InvalidHostSeen = true; };
    Ftp.OnHostResolved = [this](QObject*) {
        LogSuccess(QStringLiteral("Host address resolved"));
        LogInfo(QStringLiteral("Connecting to host address %1").arg(Ftp.RemoteAddressText()));
    };
    Ftp.OnConnect = [this](QObject*) { FtpConnect(); };
    Ftp.OnDisconnect = [this](QObject*) { FtpDisconnect(); };
    Ftp.OnTransactionStart = [this](QObject*) { FtpTransactionStart(); };
    Ftp.OnTransactionStop = [this](QObject*) { FtpTransactionStop(); };
    Ftp.OnPacketSent = [this](QObject*) { PacketSentOrReceived(); };
    Ftp.OnPacketRecvd = [this](QObject*) { PacketSentOrReceived(); };
    Ftp.OnSuccess = [this](TCmdType type) { FtpSuccess(type); };
    Ftp.OnFailure = [this](bool& handled, TCmdType type) { FtpFailure(handled, type); };
    Ftp.OnError = [this](QObject*, quint16 code, const QString& text) {
        LogError(QStringLiteral("Error %1: %2").arg(code).arg(text));
    };
    Ftp.OnUnSupportedFunction = [this](TCmdType) {
        LogError(QStringLiteral("The site does not support the function"));
    };
    Ftp.OnStatus = [this](QObject*, const QString& status) { FtpStatus(status); };
    Ftp.OnUntrustedCertificate = [this](const TCertificateInfo& certificate, const QString& problem) {
        return FtpUntrustedCertificate(certificate, problem);
    };
}

void TfrmMain::BindRemoteViewEvents()
{
    RemoteDir->OnBusy = [this](TCustomFileListView*) { SetRemoteReady(false); };
    RemoteDir->OnReady = [this](TCustomFileListView*) { SetRemoteReady(true); };
    RemoteDir->OnDeleting = [this](TCustomFileListView*, int count, const QString& name, bool isDir,
                                   bool& canDelete) { RemoteDirDeleting(count, name, isDir, canDelete); };
    RemoteDir->OnTimeOut = [this](TCustomFileListView*) {
        LogError(QStringLiteral("The site didn't response in 30 seconds. %1")
                     .arg(QStringLiteral("Operation was timed out.")));
    };
}

// A remote deletion cannot be undone: every one is confirmed first.
void TfrmMain::RemoteDirDeleting(int count, const QString& name, bool isDir, bool& canDelete)
{
    QString what;
    if (count != 1)
        what = QStringLiteral("%1 objects?").arg(count);
    else if (isDir)
        what = QStringLiteral("directory \"%1\" and its contents?").arg(name);
    else
        what = QStringLiteral("file \"%1\"?").arg(name);
    canDelete = AskYesNo(QStringLiteral("Are you sure you want to delete ") + what, false);
}

void TfrmMain::FtpConnect()
{
    SetConnectionState(csConnected);
    LinkSessionOpened = LinkFile.Pending;
    // A link's file is looked for only in the link's own folder: the login
    // folder may hold another file of the same name.
    LinkFolderEntered = false;
    try {
        LinkFolderEntered = RemoteDir->Open(CurrentSite.RemoteStartupDir);
    } catch (const std::exception&) {
        // A first listing that was stopped (and already reported) ends that
        // command, not the login under way; a lost connection still fails it.
        if (!Ftp.Connected()) throw;
    }
    AddToHistory(*cbRemoteDirectory, RemoteDir->Directory());
    // The link's file is fetched once the attempt that is still on the stack has ended.
    if (LinkFile.Pending) QTimer::singleShot(0, this, [this] { DownloadLinkFile(); });
}

void TfrmMain::FtpDisconnect()
{
    if (ConnectionState == csNotConnected) return;
    // The disconnect guard runs from a disconnect request until this moment:
    // a session that ends without it was ended by the server or the network.
    const bool stood = ConnectionState == csConnected;
    const bool lost = stood && !tmrDisconnect.isActive();
    const TLostConnectionFacts cause{Ftp.TimedOut(), Ftp.LastEventOK() ? 0 : Ftp.LastError()};
    tmrDisconnect.stop();
    // A link's file belongs to the session opened for it, never to the next.
    if (std::exchange(LinkSessionOpened, false)) LinkFile.Clear();
    if (Transfer && Transfer->Active()) Transfer->AbortTransfer();
    try {
        Ftp.Cancel();
        Ftp.Abort();  // a listing's data connection ends with its session
    } catch (...) {}
    RemoteDir->Reset();
    cbRemoteDirectory->clear();
    SetConnectionState(csNotConnected);
    if (lost)
        LogError(LostConnectionText(cause));
    else
        LogSuccess(QStringLiteral("Disconnected"));
    DeleteTempFiles();
    if (OnSessionEnded) OnSessionEnded();
    EndUnattendedSession(stood);
}

void TfrmMain::FtpStatus(const QString& status)
{
    if (Closing && !Status) return;
    LogReply(status);
    if (Ftp.ReplyCode() == 530) LoginRejected = true;
}

void TfrmMain::FtpSuccess(TCmdType type)
{
    if (IsFileTransfer(type)) {
        LogSuccess(QStringLiteral("File transfer completed succesfully."));
        if (Transfer) LogInfo(Transfer->TransferStatisticsLine());
        return;
    }
    if (const TOutcomeTexts* texts = OutcomeTexts(type)) LogSuccess(QLatin1String(texts->Success));
    if (RemoteViewWaitsFor(type)) RemoteDir->NoteSuccess(type);
}

void TfrmMain::FtpFailure(bool& handled, TCmdType type)
{
    handled = true;
    if (IsFileTransfer(type)) {
        LogError(QStringLiteral("File transfer failed"));
        return;
    }
    if (const TOutcomeTexts* texts = OutcomeTexts(type)) LogError(QLatin1String(texts->Failure));
    if (RemoteViewWaitsFor(type)) RemoteDir->NoteFailure(type);
}

void TfrmMain::FtpTransactionStart()
{
    if (Transfer && Transfer->Active() && Transfer->FileCommandIssued()) {
        Transfer->TransferStarted();
        return;
    }
    ListingInProgress = true;
    LogInfo(QStringLiteral("Retrieving directory listing..."));
}

void TfrmMain::FtpTransactionStop()
{
    if (Transfer && Transfer->FileInProgress())
        Transfer->TransferStopped();
    else
        ListingInProgress = false;
}

void TfrmMain::PacketSentOrReceived()
{
    if (Transfer) Transfer->UpdateTransferred();
    UpdateCaption();
}

void TfrmMain::LogError(const QString& text)
{
    if (Status) Status->LogError(text);
}

void TfrmMain::LogInfo(const QString& text)
{
    if (Status) Status->LogInfo(text);
}

void TfrmMain::LogReply(const QString& text)
{
    if (Status) Status->LogReply(text);
}

void TfrmMain::LogSuccess(const QString& text)
{
    if (Status) Status->LogSuccess(text);
}
