// The control connection of TFtpClient: login, single commands, reply
// judgement and the outcome events. Data transfers are in FtpDataTransfers.cpp.
#include "net/FtpClient.h"

#include "net/FtpReply.h"
#include "platform/PumpedWait.h"
#include "platform/RemoteText.h"

#include <QElapsedTimer>

using FtpReply::IsRefusal;
using FtpReply::TLoginStep;

TFtpClient::TFtpClient(QObject* owner) : TSocketSession(owner)
{
    Port = 21;
    DataArrivedHook = [this] { CheckAbortReply(); };
    ClosedHook = [this] { EndTransferForServer(TDataOperation::TEnd::ControlClosed); };
}

TFtpClient::~TFtpClient()
{
    // "QUIT" still goes out, but the handlers' owners may be gone already.
    // Its answer is awaited only briefly (see Disconnect): closing the
    // program must not hang on a server that stays silent.
    Destroying = true;
    Cancel();
    if (FConnected) {
        try {
            Disconnect();
        } catch (...) {
            // The connection is closed either way.
        }
    }
    FDirectoryList.reset();
    FData = {};
}

// --- reply handling ------------------------------------------------------------

TCmdType TFtpClient::CommandType(const QByteArray& command)
{
    const qsizetype space = command.indexOf(' ');
    const QByteArray word = (space < 0 ? command : command.left(space)) + ' ';
    if (word == "CWD ") return ctChangeDir;
    if (word == "DELE ") return ctDeleteFile;
    if (word == "MKD ") return ctMakeDir;
    if (word == "RMD ") return ctRemoveDir;
    if (command == "PWD") return ctCurrentDir;
    return ctCommand;
}

void TFtpClient::CheckCommandText(const QByteArray& text)
{
    // A zero byte counts too: the line would be cut there, short of its line end.
    if (text.contains('\r') || text.contains('\n') || text.contains('\0'))
        throw EInvalidCommand(QStringLiteral("A command or name must not contain a line break"));
    // Write cuts a longer line, so it would lose its line end and run into
    // the next command.
    if (text.size() > MaxCommandLength)
        throw EInvalidCommand(QStringLiteral("A command or name is too long (%1 bytes)").arg(text.size()));
}

QByteArray TFtpClient::Transaction(const QByteArray& command)
{
    CheckCommandText(command);
    const QByteArray first = TSocketSession::Transaction(command);
    ReadContinuation(first);
    return first;
}

void TFtpClient::ReadContinuation(const QByteArray& first,
                                  const std::function<void(const QByteArray&)>& onLine)
{
    if (FtpReply::CodeOf(first) == 0) BreakOff(first);
    QByteArray line = first;
    qsizetype size = first.size();
    while (!FtpReply::IsLastLine(first, line)) {
        line = ReadLn();
        // Each line is bounded, and so is their number: a server that never
        // ends its reply must not hold the wait, nor fill the memory, for ever.
        size += line.size();
        if (size > FtpReply::MaxReplySize)
            BreakOffWith(
                QStringLiteral("The server sent a reply longer than %1 bytes").arg(FtpReply::MaxReplySize));
        ReportStatus(slProtocol, ReplyStatusText(line));
        if (onLine) onLine(line);
    }
}

void TFtpClient::BreakOff(const QByteArray& line)
{
    BreakOffWith(QStringLiteral("The server sent an invalid reply: \"%1\"").arg(FtpReply::Text(line)));
}

void TFtpClient::BreakOffWith(const QString& message)
{
    // Once one reply cannot be read, no later reply can be matched to its
    // command: the session ends here.
    QuitWithoutWaiting();
    throw EProtocolError(message);
}

QByteArray TFtpClient::WaitingInput() const
{
    return QByteArray::fromRawData(InputBuffer.Front(), InputBuffer.Size());
}

void TFtpClient::Failure(TCmdType type, bool unsupportedCheck, const QByteArray& line)
{
    if (FHeld.Active) {
        // Taken as handled for now; StoreFileReplacing reports it when done.
        if (!FHeld.Failed) FHeld = {true, true, unsupportedCheck, line, FReplyCode};
        return;
    }
    if (unsupportedCheck && IsRefusal(FReplyCode, 500, 502) && OnUnSupportedFunction)
        OnUnSupportedFunction(type);
    if (!OnFailure) throw FTPException(line);
    bool handled = false;
    OnFailure(handled, type);
    if (!handled) throw FTPException(line);
}

void TFtpClient::DropStaleInput()
{
    InputBuffer.Clear();
}

void TFtpClient::CheckAbortReply()
{
    if (!FtpReply::StartsAbortReply(WaitingInput())) return;
    Cancel();
    EndTransferForServer(TDataOperation::TEnd::AbortReply);
}

void TFtpClient::EndTransferForServer(TDataOperation::TEnd why)
{
    // A "421"/"426" or a closed control connection ends the transfer as well:
    // the data connection would otherwise go on while the server says it is
    // over, for as long as bytes keep coming.
    // (Before the server connected, the wait for it watches for both itself.)
    if (!FData.Connection || !FData.DataConnected || FData.EndedByServer != TDataOperation::TEnd::None)
        return;
    FData.EndedByServer = why;
    FData.Connection->Cancel();
}

bool TFtpClient::BeginOperation()
{
    ClearCancelRequest();
    RequireConnection();
    return FConnected;
}

// --- login and logout --------------------------------------------------------------

void TFtpClient::Connect()
{
    ClearCancelRequest();
    if (FConnected) return;
    CheckLoginTexts();
    InputBuffer.Clear();
    TSocketSession::Connect();
    try {
        FAsciiTransfers = false;
        FSession = {};
        FPassive = {};
        if (Encryption == TFtpEncryption::Implicit) SecureControlConnection();
        ReadGreeting();
        if (Encryption == TFtpEncryption::ExplicitIfAvailable ||
            Encryption == TFtpEncryption::RequireExplicit)
            NegotiateTls();
        LogIn();
        ProtectDataConnections();
        AskFeatures();
        if (OnConnect) OnConnect(this);
    } catch (...) {
        // After a cancel the server may well be the reason nothing came; the
        // QUIT still goes out, but waiting for its answer would undo the cancel.
        const bool cancelled = FCancelRequested;
        try {
            if (cancelled)
                QuitWithoutWaiting();
            else
                Disconnect();
        } catch (...) {
            // The original failure is what the caller needs to hear about.
        }
        ReportStatus(slProtocol, QStringLiteral("Disconnected"));
        throw;
    }
}

void TFtpClient::QuitWithoutWaiting()
{
    ClearCancelRequest();
    ReportStatus(slProtocol, QStringLiteral("QUIT"));
    FDirectoryList.reset();
    FSession = {};
    Vendor = vnNotDetected;
    try {
        WriteLn("QUIT");
    } catch (...) {
        // Closing is all that is left to do either way.
    }
    TSocketSession::Disconnect();
}

void TFtpClient::ReadGreeting()
{
    // The greeting is a reply like any other, multi-line or not. A "120"
    // only announces a delay; the greeting proper follows it (RFC 959, 5.4).
    for (int announcements = 0;; ++announcements) {
        FLastReply = ReadLn();
        ReportStatus(slProtocol, ReplyStatusText(FLastReply));
        FReplyCode = ReplyCodeOf(FLastReply);
        ReadContinuation(FLastReply);
        if (FReplyCode != 120) return;
        if (announcements == FtpReply::MaxPreliminaryReplies) BreakOff(FLastReply);
    }
}

QByteArray TFtpClient::UserCommand() const
{
    // Through a proxy the login name tells the proxy which host to reach.
    return Proxy.isEmpty() ? "USER " + UserID : "USER " + UserID + "@" + Host.toUtf8();
}

void TFtpClient::CheckLoginTexts() const
{
    CheckCommandText(UserCommand());
    CheckCommandText("PASS " + Password);
}

void TFtpClient::LogIn()
{
    if ((UserID.isEmpty() || Password.isEmpty()) && OnAuthenticationNeeded) {
        bool handled = false;
        OnAuthenticationNeeded(handled);
        CheckLoginTexts();
    }
    ReportStatus(slProtocol, QStringLiteral("USER ") + DecodeRemote(UserID));
    Transaction(UserCommand());
    TLoginStep step = FtpReply::LoginStepOf(FReplyCode);
    if (step == TLoginStep::NeedPassword) {
        ReportStatus(slProtocol, QStringLiteral("PASS "));  // never the password itself
        Transaction("PASS " + Password);
        step = FtpReply::LoginStepOf(FReplyCode);
        // Asking for the password again is no answer to it.
        if (step == TLoginStep::NeedPassword) step = TLoginStep::Refused;
    }
    // No "ACCT" is ever sent, so a server that wants one refuses the login.
    if (step == TLoginStep::NeedAccount)
        RefuseLogin(
            QStringLiteral("The server requires an account for this login, which is not supported: %1")
                .arg(FtpReply::Text(FLastReply)));
    if (step != TLoginStep::LoggedIn) RefuseLogin(FtpReply::Text(FLastReply));
}

void TFtpClient::AskFeatures()
{
    // RFC 2389: a server without "FEAT" answers 5xx, which is no failure of
    // the login; a list of features comes as a multi-line "211".
    ReportStatus(slProtocol, QStringLiteral("FEAT"));
    const QByteArray first = TSocketSession::Transaction("FEAT");
    QByteArrayList reply{first};
    ReadContinuation(first, [&reply](const QByteArray& line) { reply << line; });
    FSession.Features = TFtpFeatures::FromReply(reply);
    AskForFileModes();
    if (!Utf8Offered()) return;
    // RFC 2640, 3.2: names are UTF-8 from here on. Servers that speak UTF-8
    // anyway refuse the option (501); either way the session goes on.
    ReportStatus(slProtocol, QStringLiteral("OPTS UTF8 ON"));
    Transaction("OPTS UTF8 ON");
}

void TFtpClient::AskForFileModes()
{
    const QByteArray options = FSession.Features.MlstOptionsWithMode();
    if (options.isEmpty()) return;
    // A refusal leaves the facts as they were: the listing still works.
    const QByteArray command = "OPTS MLST " + options;
    ReportStatus(slProtocol, QString::fromLatin1(command));
    Transaction(command);
}

void TFtpClient::RefuseLogin(const QString& message)
{
    if (OnConnectionFailed) OnConnectionFailed(this);
    throw FTPException(FLastReply, message);
}

void TFtpClient::Disconnect()
{
    ClearCancelRequest();
    if (!FConnected) return;
    ReportStatus(slProtocol, QStringLiteral("QUIT"));
    FDirectoryList.reset();
    FSession = {};
    Vendor = vnNotDetected;
    DropStaleInput();
    bool answered = false;
    try {
        answered = SendQuit(QuitReplyWaitMs);
    } catch (...) {
        TSocketSession::Disconnect();
        throw;
    }
    const int code = answered ? FReplyCode : 0;
    TSocketSession::Disconnect();
    if (IsRefusal(code, 301, 599)) throw FTPException(FLastReply);
}

bool TFtpClient::SendQuit(int waitMs)
{
    // A server may close without answering "QUIT", or not answer at all;
    // either way the session ends, so the answer is worth a short wait only.
    FReplyCode = 0;
    WriteLn("QUIT");
    QElapsedTimer clock;
    clock.start();
    QByteArray first;
    for (;;) {
        const int left = qMax<int>(0, waitMs - int(clock.elapsed()));
        WaitUntilFor([this] { return HasLine() || FCancelRequested || !FConnected; }, left);
        // An answer that came is taken even when it cancelled the wait ("421").
        if (!HasLine()) {
            if (FCancelRequested) throw EAbortError(QStringLiteral("Socket readln aborted"));
            return false;
        }
        const QByteArray line = InputBuffer.Take(InputBuffer.IndexOf('\n') + 1);
        ReportStatus(slProtocol, ReplyStatusText(line));
        if (first.isEmpty()) {
            first = FLastReply = line;
            FReplyCode = ReplyCodeOf(line);
            if (FReplyCode == 0) return false;  // nothing to judge; closing is all that is left
        }
        if (FtpReply::IsLastLine(first, line)) return true;
    }
}

// --- single commands ----------------------------------------------------------------

void TFtpClient::SendCommand(const QByteArray& command)
{
    CheckCommandText(command);
    const TCmdType type = CommandType(command);
    if (!BeginOperation()) return;
    ReportStatus(slProtocol, DecodeRemote(command));
    DropStaleInput();
    Transaction(command);
    if (IsRefusal(FReplyCode, 400, 599)) {
        Failure(type, true);
        return;
    }
    UpdateTransferType(command);
    if (OnSuccess) OnSuccess(type);
}

void TFtpClient::UpdateTransferType(const QByteArray& command)
{
    const QByteArray upper = command.toUpper();
    if (upper.startsWith("TYPE A"))
        FAsciiTransfers = true;
    else if (upper.startsWith("TYPE I") || upper.startsWith("TYPE L"))
        FAsciiTransfers = false;
}

void TFtpClient::ChangeDirectory(const QByteArray& path)
{
    SendCommand("CWD " + path);
}

void TFtpClient::MakeDirectory(const QByteArray& path)
{
    SendCommand("MKD " + path);
}

void TFtpClient::DeleteFile(const QByteArray& path)
{
    SendCommand("DELE " + path);
}

void TFtpClient::RemoveDirectory(const QByteArray& path)
{
    SendCommand("RMD " + path);
}

void TFtpClient::RenameFile(const QByteArray& oldName, const QByteArray& newName)
{
    CheckCommandText("RNFR " + oldName);
    CheckCommandText("RNTO " + newName);
    if (!BeginOperation()) return;
    DropStaleInput();
    ReportStatus(slProtocol, QStringLiteral("RNFR ") + DecodeRemote(oldName));
    Transaction("RNFR " + oldName);
    // 350 is the expected answer; 351 is accepted too.
    if (IsRefusal(FReplyCode, 352, 599)) Failure(ctRename, false);
    ReportStatus(slProtocol, QStringLiteral("RNTO ") + DecodeRemote(newName));
    Transaction("RNTO " + newName);
    if (IsRefusal(FReplyCode, 301, 599)) {
        Failure(ctRename, true);
        return;
    }
    if (OnSuccess) OnSuccess(ctRename);
}

QByteArray TFtpClient::QuotedPath(const QByteArray& reply)
{
    const qsizetype first = reply.indexOf('"');
    if (first < 0) return {};
    const qsizetype second = reply.indexOf('"', first + 1);
    QByteArray path = second < 0 ? reply.mid(first + 1) : reply.mid(first + 1, second - first - 1);
    while (path.endsWith('\n') || path.endsWith('\r'))
        path.chop(1);
    return path;
}

QByteArray TFtpClient::CurrentDirectory()
{
    SendCommand("PWD");
    return QuotedPath(FLastReply);
}

void TFtpClient::SetTransferType(int type)
{
    switch (type) {
    case 1: SendCommand("TYPE A"); break;
    case 2: SendCommand("TYPE I"); break;
    case 3: SendCommand("TYPE L 8"); break;
    default: break;
    }
}
