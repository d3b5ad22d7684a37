#pragma once
#include "app/ActionList.h"
#include "app/DownloadFile.h"
#include "app/RecentSitesMenu.h"
#include "app/SessionTypes.h"
#include "app/TempFiles.h"
#include "net/ResumableFtp.h"
#include "settings/Settings.h"
#include "sites/SiteSettings.h"
#include "sites/frmSiteList.h"
#include "transfer/TransferHost.h"
#include "views/framework/ComboBoxEx.h"

#include <QDateTime>
#include <QMainWindow>
#include <QTimer>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class QBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QToolBar;
struct TAttemptFacts;
class TBusyAnimation;
class TCertificateTrust;
struct TCertificateInfo;
class TCustomFileListView;
class TDirectory;
class TDriveCombo;
class TFileListView;
class TFtpFileListView;
class THelpWindow;
class TStatusLog;
class TTransferHooks;
class TfrmAbout;
class TfrmChmod;
class TfrmOptions;
class TfrmPassword;
class TfrmSiteSettings;
class TfrmTransfer;

// The main window: the local pane on the left, the remote pane on the right,
// the status log below, and the connection controller that leads the one
// FTP client through a session (connect with retries, the session clock,
// disconnect, shut-down). Every event of the client becomes a log line and
// decides which actions are enabled.
class TfrmMain : public QMainWindow, public TTransferHost {
    Q_OBJECT
public:
    // The settings object is made here when none is given; either way the
    // window loads it and writes its window, directory and log-name values
    // back when it closes.
    explicit TfrmMain(std::unique_ptr<TSettings> settings = nullptr, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Components, named as designed.
    TResumableFtp Ftp;
    TFileListView* LocalDir = nullptr;
    TFtpFileListView* RemoteDir = nullptr;
    TComboBoxEx* cbLocalDirectory = nullptr;
    TComboBoxEx* cbRemoteDirectory = nullptr;
    TDriveCombo* cmbLocalDrive = nullptr;
    QLineEdit* edCustomCommand = nullptr;
    QPushButton* btnCustomCommand = nullptr;
    TBusyAnimation* aniBusy = nullptr;
    TStatusLog* Status = nullptr;
    QLabel* StatusPanel0 = nullptr;  // long hints
    QLabel* StatusPanel1 = nullptr;  // session display
    QLabel* lblEncrypted = nullptr;  // the lock while the session is encrypted
    TActionList Actions{this};
    TfrmTransfer* frmTransfer = nullptr;  // made with the window, lives as long
    QTimer tmrSecondTimer;
    QTimer tmrDisconnect;
    QTimer tmrKeepAlive;  // runs while the session is idle (frmMainKeepAlive.cpp)
    // Milliseconds of idle time before a keep-alive, for tests that cannot
    // wait the settings' seconds; 0: as the settings say.
    int KeepAliveIntervalMs = 0;

    // Session fields.
    TConnectionState ConnectionState = TConnectionState(0);
    TSiteSettings CurrentSite;
    int RetriesLeft = 0;
    int RetrySecondsLeft = 0;
    QDateTime SessionStart;
    bool InvalidHostSeen = false;
    bool LoginRejected = false;
    // The user ended the running attempt (Stop, another site, closing); the
    // client's CancelRequested alone does not tell, a closing site sets it too.
    bool AttemptCancelled = false;
    bool ListingInProgress = false;
    // The user (or an unattended run) refused the server's certificate in
    // the running attempt. UnattendedFailure is the line an unattended run
    // ends with when the attempt failed for a reason worth naming there
    // (that certificate, or encryption the site requires).
    bool CertificateRefused = false;
    QString UnattendedFailure;
    // A connection attempt is on the stack (its waits run the event loop, so
    // the user can ask for another site meanwhile).
    bool AttemptRunning = false;
    struct TPendingConnect {
        TSiteSettings Site;
        QString FolderName;
    };
    std::optional<TPendingConnect> PendingConnect;
    TTransferMode TransferMode = tmAutomatic;
    bool ResumeRequested = false;      // the next transfer starts in resume mode
    bool ReturnAfterTransfer = false;  // the drop entered a folder; leave it afterwards
    QString LogFileName;
    bool QuitAfterLink = false;  // an unattended command-line session
    // The certificates the user chose to always trust; read on first use
    // from beside the settings store.
    TCertificateTrust& TrustedCertificates();
    bool FtpUntrustedCertificate(const TCertificateInfo& certificate, const QString& problem);
    void UpdateEncryptedLabel();

    // Internet links (frmMainLinks.cpp).
    TDownloadFile LinkFile;  // the file a link names, until the session stands
    QString CommandLineLink;
    QString LinkLogFile;  // where an unattended session leaves its log
    // The next link comes from the desktop (a browser): its file is
    // downloaded only once the user agrees.
    bool ConfirmLinkDownload = false;
    bool ConnectToLink(const QString& link, bool normalLogin);
    bool AskForLink(QString& link, bool& normalLogin);
    void actConnectToURLExecute();
    // Ends the program from an unattended session: status 0, or a line on
    // standard error and a failure status. Tests put their own here.
    std::function<void(int status)> Terminate;

    // Where the recent-sites menu learns of a site connected from a folder.
    std::function<void(const QString& siteName, const QString& folderName)> OnRecentSite;
    // Runs when a session has ended (temporary files, unattended sessions).
    std::function<void()> OnSessionEnded;

    // The clock of the session display; tests set their own.
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };

    TSettings& Settings() const { return *FSettings; }

    // Queries.
    bool IsConnected() const;
    bool IsConnecting() const;
    bool CanUseRemote() const;

    // The session.
    bool ConnectToSite(const TSiteSettings& site, const QString& folderName);
    bool ConfirmNewConnection();
    bool NewConnectionConfirmed = false;  // the next ConfirmNewConnection has been answered
    void DisconnectFromSite();
    void SetConnectionState(TConnectionState state);
    void UpdateCaption();
    bool SelectTransferType(bool text) override;
    void SetTransferMode(TTransferMode mode);

    // Places form centred over owner (or the screen without one).
    static void CenterForm(QWidget* owner, QWidget& form);
    // The window's size on a first start, when no size is remembered.
    static QSize FirstStartSize(const QSize& screenArea);

    void LogError(const QString& text) override;
    void LogInfo(const QString& text) override;
    void LogReply(const QString& text);
    void LogSuccess(const QString& text);

    // Actions' handlers.
    void actConnectToNewExecute();
    void actSiteListExecute();
    void actAddToSitelistExecute();
    void actDisconnectExecute();
    void actStopExecute();
    void actSaveLogExecute();
    void actHelpContentsExecute();
    // Opens the help window on a numbered context (THelpContext).
    void ShowHelpContext(int context);
    void mnuAboutClick();
    void actSettingsExecute();
    // The first-start size for the main window, the default for the site list.
    void RestoreDefaultWindowSizes();

    // Transfers (frmMainTransfers.cpp).
    TTransferMode CurrentTransferMode() const override;
    void TransferFinished(bool upload) override;
    // False when the selection held nothing to transfer (no job started).
    bool TransferSelection(bool upload);
    void RunTransfer(bool upload, std::unique_ptr<TDirectory> list, const QString& localDirectory);
    void actUploadExecute();
    void actDownloadExecute();
    void LocalDirDragOver(TCustomFileListView* source, bool& accept);
    void RemoteDirDragOver(TCustomFileListView* source, bool& accept);
    void DirDragDrop(TCustomFileListView* target, TCustomFileListView* source, QPoint pos);
    void RemoteDirFileDrop(const QStringList& files, bool& handleFileDrop);

    // Opening files (frmMainOpenFiles.cpp).
    void OpenLocalItem(int item);   // the desktop's program for a local file
    void OpenRemoteItem(int item);  // download to a private temp folder, then open
    void ShowRemoteItem(int item);  // download in text mode, show in the text viewer

    // File commands of both panes (frmMainFileCommands.cpp); remote picks the pane.
    void OpenFocusedItem(bool remote);
    void GotoUpperDirectoryIn(bool remote);
    void RefreshPane(bool remote);
    void MakeDirectoryIn(bool remote);
    void RenameFocusedItem(bool remote);
    void DeleteSelectedItems(bool remote);
    void actRShowExecute();
    void actChmodExecute();
    void actDoCommandExecute();
    // Downloads the remote item into directory, then opens it as the OpenMode
    // of OpenAfterDownload says. A file of that name there is replaced only
    // once the download is complete. False when no download started.
    bool DownloadItemTo(int item, const QString& directory);
    TDownloadFile OpenAfterDownload;
    TTransferMode SavedTransferMode = tmAutomatic;  // the mode before a show
    TTempFiles TempFiles;
    // The desktop's program for a file; false when it could not be started.
    // Tests put their own here.
    std::function<bool(const QString& path)> OpenWithDesktop;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Window layout (frmMainLayout.cpp).
    void CreateActions();
    void CreateMenus();
    void CreateToolbars();
    QWidget* CreateLocalPane();
    QWidget* CreateRemotePane();
    void CreateStatusBar();
    void ApplyStoredSize();
    void OpenLastDirectory();

    // Directory boxes, volume box and column sorting (frmMainBoxes.cpp).
    void BindBoxEvents();
    // At the top of the box's entries unless it is one already; ten at most.
    static void AddToHistory(TComboBoxEx& box, const QString& directory);
    void DirectoryBoxItemChange(TComboBoxEx& box, TCustomFileListView& view);
    void DirectoryBoxReturnPress(TComboBoxEx& box, TCustomFileListView& view);
    void cmbLocalDriveDriveChange(const QString& newDrive, const QString& newPath, QString& savePath);
    void LocalDirDriveChange();
    void ApplyPaneSorting();
    void PaneSortChange(TCustomFileListView& view);
    // The site list window and the recent sites (frmMainSites.cpp).
    void CreateSiteParts();

    // The controller (frmMainSession.cpp).
    bool DoConnect();
    TAttemptFacts AttemptFacts(const std::exception& error) const;
    void CancelAttempt();
    void StartPendingConnect();
    void SecondTimerTick();
    void RetryConnect();
    void CancelReconnect();
    void DisconnectTimerFired();
    void SetRemoteReady(bool ready);
    void ShowSessionDisplay();
    void SaveSessionSettings();
    // The keep-alive of an idle session (frmMainKeepAlive.cpp).
    void RestartKeepAlive();
    void KeepAliveTimerFired();
    void SendKeepAlive();
    bool KeepAliveRefused = false;  // by this session's server: none is sent again

    // Handlers of the client's and the remote view's events (frmMainFtpEvents.cpp).
    void BindFtpEvents();
    void RemoteDirDeleting(int count, const QString& name, bool isDir, bool& canDelete);
    void BindRemoteViewEvents();
    void FtpConnect();
    void FtpDisconnect();
    void FtpStatus(const QString& status);
    void FtpSuccess(TCmdType type);
    void FtpFailure(bool& handled, TCmdType type);
    void FtpTransactionStart();
    void FtpTransactionStop();
    void PacketSentOrReceived();

    // Transfers (frmMainTransfers.cpp).
    void BindTransferEvents();
    TCustomFileListView* Pane(bool remote) const;
    void DropIntoDirectory(TCustomFileListView* target, int item, bool upload);
    bool SameName(const QString& a, const QString& b) const;

    // File commands (frmMainFileCommands.cpp).
    void CreateFileCommandActions();
    // Menu, toolbar or popup: the pane's commands in their order.
    void AddFileCommands(QWidget& target, bool remote, bool popup);
    // The pane's toolbar at the top of layout, its popup menu and its keys.
    void AttachPaneCommands(QWidget& pane, QBoxLayout& layout, bool remote);
    bool PaneReady(bool remote) const;
    void SelectRemoteItems(const QStringList& names);
    // Opening files (frmMainOpenFiles.cpp).
    void BindOpenEvents();
    bool CanOpenRemote(int item) const;
    bool DownloadToTemp(int item);
    void OpenDownloadedFile();
    bool ShowInViewer(const QString& path);
    void DeleteTempFiles();
    // Asks what becomes of each temporary file changed since its download;
    // upload is offered only when canUpload.
    void SettleChangedTempFiles(bool canUpload);
    bool UploadBack(const TTempFile& file);
    void KeepTempFile(const TTempFile& file);
    QStringList DownloadForDragOut();
    // Internet links (frmMainLinks.cpp).
    void DownloadLinkFile();
    void EndLinkAttempts();
    QString LinkDownloadQuestion(const QString& name, const QString& folder) const;
    void LinkDownloadFinished();
    void EndUnattendedSession(bool sessionStood);
    void QuitUnattended(const QString& failure);
    bool LinkDownloadRunning = false;
    bool LinkFileArrived = false;
    bool LinkFolderEntered = false;  // the session stands in the link's folder
    bool LinkSessionOpened = false;  // the session that stands was opened for LinkFile
    QString LinkTarget;              // the file a link's download brings
    QString LinkFailure;             // why an unattended session has failed
    class TfrmURL* URLDialog = nullptr;

    std::unique_ptr<TSettings> FSettings;
    std::unique_ptr<TCertificateTrust> FTrustedCertificates;
    TTransferHooks* Transfer = nullptr;
    TfrmSiteSettings* SiteSettingsDialog = nullptr;
    TfrmPassword* PasswordDialog = nullptr;
    TfrmAbout* AboutBox = nullptr;
    TfrmChmod* ChmodDialog = nullptr;
    TfrmOptions* frmOptions = nullptr;  // made on first use
    THelpWindow* HelpWindow = nullptr;
    QSplitter* splStatus = nullptr;  // the panes above, the status log below
    bool Closing = false;

public:
    // Last, so they go before the settings they write to.
    std::unique_ptr<TRecentSiteMenu> RecentMenu;
    std::unique_ptr<TfrmSiteList> frmSiteList;  // lives as long as the window
};
