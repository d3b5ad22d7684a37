// The connection controller: connecting with retries, the session state and
// what follows from it, disconnecting and closing.
#include "app/frmMain.h"

#include "app/AttemptFailure.h"
#include "app/BusyAnimation.h"
#include "app/CertificateQuestion.h"
#include "app/CertificateTrust.h"
#include "app/SessionDisplay.h"
#include "app/SessionEncryption.h"
#include "app/StatusLog.h"
#include "platform/MessageBoxes.h"
#include "settings/Settings.h"
#include "sites/SiteAddress.h"
#include "sites/frmPassword.h"
#include "transfer/TransferHooks.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <utility>

bool TfrmMain::IsConnected() const
{
    return ConnectionState == csConnected && Ftp.Connected();
}

bool TfrmMain::IsConnecting() const
{
    return ConnectionState == csConnecting;
}

bool TfrmMain::CanUseRemote() const
{
    return IsConnected() && !RemoteDir->IsBusy();
}

// --- connecting ------------------------------------------------------------------

bool TfrmMain::ConnectToSite(const TSiteSettings& site, const QString& folderName)
{
    // Disconnecting resets the remote view, so whether one of its commands
    // is waiting below us has to be seen before.
    const bool commandRunning = RemoteDir->IsBusy();
    if (!ConfirmNewConnection()) return false;
    if (AttemptRunning || commandRunning) {
        // The attempt or command just cancelled is still unwinding below us;
        // connecting now would clear its cancel and leave it waiting on the
        // new connection. The new site follows once it is gone.
        PendingConnect = TPendingConnect{site, folderName};
        if (!AttemptRunning) QTimer::singleShot(0, this, [this] { StartPendingConnect(); });
        return false;
    }
    Status->Clear();
    // "Trust once" was for the session that ends here.
    if (FTrustedCertificates) FTrustedCertificates->ForgetSessionTrust();
    CurrentSite.Assign(&site);
    if (CurrentSite.SiteName.isEmpty()) CurrentSite.SiteName = QStringLiteral("Unnamed site");
    if (CurrentSite.UserName.isEmpty() || CurrentSite.Password.isEmpty()) {
        if (!PasswordDialog) {
            PasswordDialog = new TfrmPassword(this);
            PasswordDialog->CenterForm = [this](QWidget& form) { CenterForm(this, form); };
        }
        if (!PasswordDialog->AskLogin(CurrentSite)) {
            LogError(QStringLiteral("Connecting cancelled"));
            return false;
        }
    }
    if (!CurrentSite.LocalStartupDir.isEmpty()) LocalDir->SetDirectory(CurrentSite.LocalStartupDir);

    const TConnectionSettings& connection = Settings().ConnectionSettings;
    // "host:port" reaches a server on a port of its own; the record keeps
    // the address as typed. A proxy is told the site in its login name
    // ("USER user@host:port"), so it gets the port there.
    const TSiteAddress address = SplitSiteAddress(CurrentSite.Address);
    Ftp.Host = connection.UseProxy ? CurrentSite.Address : address.Host;
    Ftp.UserID = CurrentSite.UserName.toUtf8();
    Ftp.Password = CurrentSite.Password.toUtf8();
    Ftp.Port = SessionPort(address.Port, CurrentSite.Encryption, connection.UseProxy, connection.DefaultPort);
    Ftp.Proxy = connection.UseProxy ? connection.ProxyAddress : QString();
    Ftp.ProxyPort = connection.UseProxy ? connection.ProxyPort : 0;
    // A site's own choice wins; links and new sites take the settings'.
    Ftp.PassiveMode = CurrentSite.DataConnection == dcDefault ? Settings().PassiveMode
                                                              : CurrentSite.DataConnection == dcPassive;
    Ftp.ForceList = CurrentSite.ForceList;
    Ftp.Encryption = FtpEncryptionOf(CurrentSite.Encryption);
    RetriesLeft = connection.Retries;
    RetrySecondsLeft = connection.RetryDelay;
    if (!folderName.isEmpty() && OnRecentSite) OnRecentSite(CurrentSite.SiteName, folderName);
    LogInfo(QStringLiteral("Connecting to \"%1\" (%2)...").arg(CurrentSite.SiteName, CurrentSite.Address));
    SetConnectionState(csConnecting);
    return DoConnect();
}

bool TfrmMain::ConfirmNewConnection()
{
    if (std::exchange(NewConnectionConfirmed, false)) return true;
    switch (ConnectionState) {
    case csConnecting: {
        const bool ok =
            AskOkCancel(QStringLiteral("QuilloFTP is currently trying to connect to an another site.\r\n"
                                       "Are you sure you want to connect to a new site?"),
                        false);
        if (!ok) return false;
        // A running attempt is cancelled whatever retries it had left; only
        // the wait for the next retry is a mere timer.
        if (AttemptRunning || !tmrSecondTimer.isActive())
            CancelAttempt();
        else
            CancelReconnect();
        return true;
    }
    case csConnected:
        if (!AskOkCancel(QStringLiteral("Are you sure you want to disconnect?"), false)) return false;
        DisconnectFromSite();
        return true;
    default: return true;
    }
}

bool TfrmMain::DoConnect()
{
    bool connected = false;
    AttemptRunning = true;
    CertificateRefused = false;
    UnattendedFailure.clear();
    try {
        Ftp.Connect();
        AttemptRunning = false;
        connected = true;
    } catch (const std::exception& error) {
        AttemptRunning = false;
        const TAttemptFacts facts = AttemptFacts(error);
        const TAttemptFailure failure = ClassifyFailedAttempt(facts, CurrentSite.SiteName);
        if (UnattendedFailure.isEmpty() && !facts.TlsFailure.isEmpty())
            UnattendedFailure =
                QStringLiteral("Could not connect to \"%1\": %2").arg(CurrentSite.Address, facts.TlsFailure);
        if (!failure.Cause.isEmpty()) LogError(failure.Cause);
        LogError(failure.Text);
        if (failure.RetryAllowed && RetriesLeft > 0) {
            SetConnectionState(csConnecting);
            RetrySecondsLeft = Settings().ConnectionSettings.RetryDelay;
            LogInfo(QStringLiteral("Trying to reconnect in %1 seconds (%2 retries left)")
                        .arg(RetrySecondsLeft)
                        .arg(RetriesLeft));
            tmrSecondTimer.start();
        } else {
            SetConnectionState(csNotConnected);
            if (failure.MessageBox && !QuitAfterLink) ShowMessageBox(failure.Text, true);
        }
        if (Ftp.CancelRequested()) {
            try {
                Ftp.RequestCloseSocket();
            } catch (...) {}
        }
    }
    InvalidHostSeen = false;
    LoginRejected = false;
    AttemptCancelled = false;
    if (PendingConnect) QTimer::singleShot(0, this, [this] { StartPendingConnect(); });
    return connected;
}

TAttemptFacts TfrmMain::AttemptFacts(const std::exception& error) const
{
    TAttemptFacts facts{InvalidHostSeen, LoginRejected, AttemptCancelled, Ftp.TimedOut()};
    facts.CertificateRefused = CertificateRefused || dynamic_cast<const ECertificateRefused*>(&error);
    // A wait the user did not end was ended by the site: it closed the
    // connection, or announced it would with "421" (RFC 959, 4.2).
    facts.ClosedBySite = !AttemptCancelled && Ftp.CancelRequested();
    // The kind of the failure decides; its message is for people. A socket
    // failure leaves its classic error number in LastError.
    if (const auto* tls = dynamic_cast<const ETlsError*>(&error)) facts.TlsFailure = tls->Message();
    if (dynamic_cast<const ETimeOutError*>(&error))
        facts.TimedOut = true;
    else if (dynamic_cast<const ESockError*>(&error))
        facts.SocketError = Ftp.LastError();
    return facts;
}

void TfrmMain::CancelAttempt()
{
    if (AttemptRunning) AttemptCancelled = true;
    Ftp.Cancel();
}

void TfrmMain::StartPendingConnect()
{
    if (!PendingConnect) return;
    const TPendingConnect next = std::move(*PendingConnect);
    PendingConnect.reset();
    ConnectToSite(next.Site, next.FolderName);
}

void TfrmMain::SecondTimerTick()
{
    if (IsConnected()) {
        ShowSessionDisplay();
        return;
    }
    --RetrySecondsLeft;
    if (RetrySecondsLeft <= 0) {
        RetryConnect();
        return;
    }
    StatusPanel1->setText(RetryCountdownText(RetrySecondsLeft));
}

void TfrmMain::RetryConnect()
{
    tmrSecondTimer.stop();
    StatusPanel1->clear();
    LogInfo(QStringLiteral("Connecting to \"%1\" (%2)...").arg(CurrentSite.SiteName, CurrentSite.Address));
    --RetriesLeft;
    if (!DoConnect() && ConnectionState == csNotConnected) EndLinkAttempts();
}

void TfrmMain::CancelReconnect()
{
    tmrSecondTimer.stop();
    SetConnectionState(csNotConnected);
    LogError(QStringLiteral("Connecting cancelled"));
    EndLinkAttempts();
}

// --- certificates ----------------------------------------------------------------

TCertificateTrust& TfrmMain::TrustedCertificates()
{
    // Beside the per-user settings store.
    if (!FTrustedCertificates)
        FTrustedCertificates =
            std::make_unique<TCertificateTrust>(QFileInfo(TSettings::DefaultStoreFileName())
                                                    .dir()
                                                    .filePath(QStringLiteral("TrustedCertificates")));
    return *FTrustedCertificates;
}

bool TfrmMain::FtpUntrustedCertificate(const TCertificateInfo& certificate, const QString& problem)
{
    // The certificate belongs to the machine the TLS connection reaches.
    const bool proxy = !Ftp.Proxy.isEmpty();
    const TCertificateRequest request{proxy ? Ftp.Proxy : Ftp.Host, quint16(proxy ? Ftp.ProxyPort : Ftp.Port),
                                      problem, QuitAfterLink};
    const TCertificateVerdict verdict = DecideOnCertificate(TrustedCertificates(), request, certificate);
    if (verdict.Accepted)
        LogInfo(verdict.LogLine);
    else
        LogError(verdict.LogLine);
    if (verdict.StoreFailed)
        LogError(QStringLiteral("The trusted certificate could not be saved in \"%1\"")
                     .arg(TrustedCertificates().FileName()));
    CertificateRefused = !verdict.Accepted;
    UnattendedFailure = verdict.UnattendedFailure;
    return verdict.Accepted;
}

// --- session state -------------------------------------------------------------------

void TfrmMain::SetConnectionState(TConnectionState state)
{
    if (state == ConnectionState) return;
    ConnectionState = state;
    switch (state) {
    case csConnecting:
        Actions.SetEnabled(QStringLiteral("actStop"), true);
        aniBusy->Start();
        UpdateCaption();
        break;
    case csConnected:
        RemoteDir->SetAcceptShellFiles(true);
        UpdateCaption();
        Actions.EnableCategory(QStringLiteral("DisabledOnBusy"), true);
        Actions.EnableCategory(QStringLiteral("AfterConnection"), true);
        Actions[QStringLiteral("actTransferAuto")]->trigger();
        SessionStart = Now();
        tmrSecondTimer.start();
        KeepAliveRefused = false;
        RestartKeepAlive();
        break;
    case csNotConnected:
        tmrSecondTimer.stop();
        tmrKeepAlive.stop();
        RemoteDir->SetAcceptShellFiles(false);
        aniBusy->Stop();
        Actions.SetEnabled(QStringLiteral("actStop"), false);
        Actions.EnableCategory(QStringLiteral("DisabledOnBusy"), false);
        Actions.EnableCategory(QStringLiteral("AfterConnection"), false);
        UpdateCaption();
        StatusPanel1->setText(NotConnectedText());
        break;
    }
    UpdateEncryptedLabel();
}

void TfrmMain::UpdateEncryptedLabel()
{
    if (!lblEncrypted) return;
    // The login has run once the session stands, so the encryption is known.
    // Listings and files in clear text (the server refused "PROT P") are no
    // encrypted session: the log says so, and no lock claims otherwise.
    const bool encrypted = ConnectionState == csConnected && Ftp.DataEncrypted();
    lblEncrypted->setToolTip(encrypted ? QStringLiteral("Encrypted: %1").arg(Ftp.TlsDescription())
                                       : QString());
    lblEncrypted->setVisible(encrypted);
}

void TfrmMain::SetRemoteReady(bool ready)
{
    Actions.EnableCategory(QStringLiteral("DisabledOnBusy"), ready && IsConnected());
    // Files from the desktop are taken only where they can go at once.
    RemoteDir->SetAcceptShellFiles(ready && IsConnected());
    Actions.SetEnabled(QStringLiteral("actStop"), !ready);
    // Whatever the operation sent, the session has been idle since its end.
    if (ready) RestartKeepAlive();
    if (ready)
        aniBusy->Stop();
    else
        aniBusy->Start();
}

void TfrmMain::ShowSessionDisplay()
{
    StatusPanel1->setText(SessionLengthText(SessionStart, Now()));
}

void TfrmMain::UpdateCaption()
{
    QString text;
    switch (ConnectionState) {
    case csConnecting:
        text = QStringLiteral("Connecting to \"%1\" (%2)...").arg(CurrentSite.SiteName, CurrentSite.Address);
        break;
    case csConnected:
        text = CurrentSite.SiteName;
        if (Transfer && Transfer->FileInProgress())
            text = QStringLiteral("%1%2 (%3) - ")
                       .arg(Transfer->ProgressPercent())
                       .arg(QLatin1Char('%'))
                       .arg(Transfer->CurrentFileName()) +
                   text;
        break;
    default: text = QStringLiteral("Not connected"); break;
    }
    text += QStringLiteral(" - QuilloFTP");
    if (windowTitle() == text) return;
    setWindowTitle(text);
}

void TfrmMain::SetTransferMode(TTransferMode mode)
{
    TransferMode = mode;
    static const char* const names[] = {"actTransferASCII", "actTransferBinary", "actTransferAuto"};
    Actions[QLatin1String(names[mode])]->setChecked(true);
}

bool TfrmMain::SelectTransferType(bool text)
{
    return RemoteDir->SetTransferType(text);
}

// --- disconnecting and closing -----------------------------------------------------

void TfrmMain::DisconnectFromSite()
{
    if (ConnectionState == csNotConnected || !IsConnected()) return;
    // The guard runs while a QUIT is awaited; a second one would only nest.
    if (tmrDisconnect.isActive()) return;
    if (Transfer && Transfer->Active()) Transfer->CancelTransfer(false);
    // Changed temporary files can still go back to the site now.
    SettleChangedTempFiles(true);
    if (!IsConnected()) return;
    LogInfo(QStringLiteral("Disconnecting..."));
    tmrDisconnect.start();
    try {
        Ftp.Disconnect();
    } catch (...) {
        // The connection goes either way; OnDisconnect reports it.
    }
}

void TfrmMain::DisconnectTimerFired()
{
    // Still running, the guard tells OnDisconnect that this close was asked for.
    try {
        Ftp.RequestCloseSocket();  // its OnDisconnect ends the wait for the reply
    } catch (...) {}
    tmrDisconnect.stop();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (IsConnected() && !tmrDisconnect.isActive()) {
        if (!AskOkCancel(
                QStringLiteral("QuilloFTP is still connected to a site. Are you sure you want to quit?"),
                false)) {
            event->ignore();
            return;
        }
        DisconnectFromSite();
    } else if (ConnectionState == csConnecting) {
        // Nothing to ask, but an attempt left running would keep the program
        // alive behind a closed window.
        if (tmrSecondTimer.isActive())
            CancelReconnect();
        else
            CancelAttempt();
    }
    DeleteTempFiles();
    Closing = true;
    SaveSessionSettings();
    event->accept();
}

void TfrmMain::SaveSessionSettings()
{
    frmSiteList->SaveSiteList(true);
    TSettings& settings = Settings();
    settings.MainMaximized = isMaximized();
    if (!settings.MainMaximized) {
        settings.MainWidth = width();
        settings.MainHeight = height();
    }
    // A view that never showed a folder has none to remember; the next
    // start then opens the one remembered before.
    if (!LocalDir->Directory().isEmpty()) settings.LastDir = LocalDir->Directory();
    settings.LastLogName = LogFileName;
    // A log that never showed has only a made-up height.
    if (Status->isVisible()) settings.LogHeight = Status->height();
    settings.SaveWindowSettings();
    settings.SaveRecentSites();
}

void TfrmMain::CenterForm(QWidget* owner, QWidget& form)
{
    QRect area;
    if (owner)
        area = owner->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    // A form not shown yet has no size of its own; showing gives it its size
    // hint, so centre it with that.
    if (!form.testAttribute(Qt::WA_Resized)) form.adjustSize();
    const QSize size = form.frameGeometry().size();
    QPoint topLeft(area.left() + (area.width() - size.width()) / 2,
                   area.top() + (area.height() - size.height()) / 2);
    // Over a small main window a large form still stays on the screen.
    if (QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen()) {
        const QRect screenArea = screen->availableGeometry();
        topLeft.setX(qBound(screenArea.left(), topLeft.x(),
                            qMax(screenArea.left(), screenArea.right() + 1 - size.width())));
        topLeft.setY(qBound(screenArea.top(), topLeft.y(),
                            qMax(screenArea.top(), screenArea.bottom() + 1 - size.height())));
    }
    form.move(topLeft);
}
