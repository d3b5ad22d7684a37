// The control connection of TFtpClient: login, single commands, reply
// judgement and the outcome events. Data transfers are in FtpDataTransfers.cpp.
#include "net/FtpClient.h"

#include "platform/RemoteText.h"

namespace {

bool InRange(int code, int low, int high)
{
    return code >= low && code <= high;
}

}  // namespace

TFtpClient::TFtpClient(QObject* owner) : TSocketSession(owner)
{
    Port = 21;
    DataArrivedHook = [this] { CheckAbortReply(); };
}

TFtpClient::~TFtpClient()
{
    // "QUIT" still goes out, but the handlers' owners may be gone already.
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
}

QByteArray TFtpClient::Transaction(const QByteArray& command)
{
    CheckCommandText(command);
    const QByteArray first = TSocketSession::Transaction(command);
    ReadContinuation(first);
    return first;
}

void TFtpClient::ReadContinuation(QByteArray line)
{
    // A multi-line reply goes on while a line starts with a space or has "-"
    // right after its three-digit code.
    while (line.startsWith(' ') || (line.size() >= 4 && line.at(3) == '-')) {
        line = ReadLn();
        ReportStatus(slProtocol, ReplyStatusText(line));
    }
}

void TFtpClient::Failure(TCmdType type, bool unsupportedCheck, const QByteArray& line)
{
    if (unsupportedCheck && InRange(FReplyCode, 500, 502) && OnUnSupportedFunction)
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
    if (InputBuffer.Size() < 4) return;
    const QByteArray code(InputBuffer.Front(), 3);
    if (code == "421" || code == "426") Cancel();
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
    CheckCommandText(UserID);
    CheckCommandText(Password);
    InputBuffer.Clear();
    TSocketSession::Connect();
    try {
        FAsciiTransfers = false;
        ReadContinuation(" ");  // every greeting line up to the final one
        LogIn();
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
    Vendor = vnNotDetected;
    try {
        WriteLn("QUIT");
    } catch (...) {
        // Closing is all that is left to do either way.
    }
    TSocketSession::Disconnect();
}

void TFtpClient::LogIn()
{
    if ((UserID.isEmpty() || Password.isEmpty()) && OnAuthenticationNeeded) {
        bool handled = false;
        OnAuthenticationNeeded(handled);
        CheckCommandText(UserID);
        CheckCommandText(Password);
    }
    ReportStatus(slProtocol, QStringLiteral("USER ") + DecodeRemote(UserID));
    // Through a proxy the login name tells the proxy which host to reach.
    const QByteArray user = Proxy.isEmpty() ? "USER " + UserID : "USER " + UserID + "@" + Host.toUtf8();
    Transaction(user);
    if (InRange(FReplyCode, 401, 599)) RefuseLogin();
    if (FReplyCode != 331) return;
    ReportStatus(slProtocol, QStringLiteral("PASS "));  // never the password itself
    Transaction("PASS " + Password);
    if (InRange(FReplyCode, 401, 599)) RefuseLogin();
}

void TFtpClient::RefuseLogin()
{
    if (OnConnectionFailed) OnConnectionFailed(this);
    throw FTPException(FLastReply);
}

void TFtpClient::Disconnect()
{
    ClearCancelRequest();
    if (!FConnected) return;
    ReportStatus(slProtocol, QStringLiteral("QUIT"));
    FDirectoryList.reset();
    Vendor = vnNotDetected;
    DropStaleInput();
    try {
        Transaction("QUIT");
    } catch (...) {
        TSocketSession::Disconnect();
        throw;
    }
    const qint16 code = FReplyCode;
    TSocketSession::Disconnect();
    if (InRange(code, 301, 599)) throw FTPException(FLastReply);
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
    if (InRange(FReplyCode, 400, 599)) {
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
    CheckCommandText(oldName);
    CheckCommandText(newName);
    if (!BeginOperation()) return;
    DropStaleInput();
    ReportStatus(slProtocol, QStringLiteral("RNFR ") + DecodeRemote(oldName));
    Transaction("RNFR " + oldName);
    // 350 is the expected answer; 351 is accepted too.
    if (InRange(FReplyCode, 352, 599)) Failure(ctRename, false);
    ReportStatus(slProtocol, QStringLiteral("RNTO ") + DecodeRemote(newName));
    Transaction("RNTO " + newName);
    if (InRange(FReplyCode, 301, 599)) {
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
    while (path.endsWith('\n') || path.endsWith('\r')) path.chop(1);
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
