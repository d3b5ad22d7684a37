// The keep-alive of an idle session: servers drop a control connection that
// stays silent for some minutes, so after a while without a command the
// window sends one that changes nothing.
#include "app/frmMain.h"

#include "transfer/TransferHooks.h"
#include "views/remote/FtpFileListView.h"

void TfrmMain::RestartKeepAlive()
{
    if (!IsConnected()) return;
    tmrKeepAlive.start(KeepAliveIntervalMs > 0 ? KeepAliveIntervalMs : Settings().KeepAliveSeconds * 1000);
}

void TfrmMain::KeepAliveTimerFired()
{
    // A running operation restarts the clock when it ends. Every wait of one
    // runs the event loop, so this may fire inside it: a command sent now
    // would take that operation's reply for its own.
    if (!IsConnected() || RemoteDir->IsBusy() || AttemptRunning || tmrDisconnect.isActive() ||
        (Transfer && Transfer->Active()))
        return;
    if (KeepAliveRefused) return;
    // Checked when due, so that switching it on takes effect without a new session.
    if (Settings().KeepAlive)
        SendKeepAlive();
    else
        RestartKeepAlive();
}

void TfrmMain::SendKeepAlive()
{
    bool answered = false;
    try {
        // Busy like any command: the user's commands wait for its reply.
        const TCustomFileListView::TBusyScope busy(*RemoteDir);
        answered = Ftp.KeepAlive();
    } catch (const std::exception&) {
        // A time-out or a lost connection closed the session, which reported
        // it as such; after a Stop the session goes on.
        return;
    }
    if (answered || !IsConnected()) return;
    // The server is closing the session (RFC 959, 4.2): it ends as if the
    // server had closed it, with the one log line of a lost connection.
    if (Ftp.ReplyCode() == 421) {
        Ftp.RequestCloseSocket();
        return;
    }
    // RFC 959 makes every server take "NOOP"; one that refuses it would
    // refuse it every time, and a line a minute would bury the log.
    KeepAliveRefused = true;
    LogError(QStringLiteral("The site refused the keep-alive command: %1")
                 .arg(QString::fromUtf8(Ftp.LastReply()).trimmed()));
}
