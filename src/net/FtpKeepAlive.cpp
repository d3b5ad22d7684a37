// The keep-alive of an idle session. Servers drop a control connection that
// stays silent for some minutes (RFC 959 leaves the idle time to them), and
// "NOOP" is the command every server must take without changing any state
// (RFC 959, 4.1.3 and 5.1).
#include "net/FtpClient.h"

#include "net/FtpReply.h"

#include <QScopeGuard>

bool TFtpClient::KeepAlive()
{
    // Only for a session that stands: nothing asks for a connection here.
    if (!FConnected) return false;
    ClearCancelRequest();
    // The log is the user's record of what they did; a command the program
    // sends on its own every minute would bury it. Its failures still show:
    // a lost connection is reported like after any command.
    // (The base class's setter: the resumable client refuses levels below 2.)
    const qint32 level = ReportLevel();
    TSocketSession::SetReportLevel(0);
    const auto restore = qScopeGuard([this, level] { TSocketSession::SetReportLevel(level); });
    DropStaleInput();
    try {
        Transaction("NOOP");
    } catch (const EAbortError&) {
        // A "421" ends the wait like the user's Stop does (see CheckAbortReply);
        // it is the server's answer, so it is judged as one.
        // Taken as it stands: waiting for more would be cancelled again.
        if (!FtpReply::StartsAbortReply(WaitingInput()) || !HasLine()) throw;
        ClearCancelRequest();
        FLastReply = InputBuffer.Take(InputBuffer.IndexOf('\n') + 1);
        FReplyCode = ReplyCodeOf(FLastReply);
    }
    return FReplyCode / 100 == 2;
}
