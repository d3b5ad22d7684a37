// Listings, downloads and uploads of TFtpClient over an active-mode data
// connection: the client listens, announces itself with "PORT", sends the
// transfer command, accepts the server's connection, moves the data, and
// reads the final reply on the control connection.
#include "net/FtpClient.h"

#include "net/FTPUnixList.h"
#include "net/FtpReply.h"
#include "platform/PumpedWait.h"
#include "platform/RemoteText.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <cctype>

namespace {

bool InRange(int code, int low, int high)
{
    return code >= low && code <= high;
}

}  // namespace

qint64 TFtpClient::DataReceivedBytes() const
{
    return FDataConnection ? FDataConnection->ReceivedBytes() : 0;
}

qint64 TFtpClient::DataSentBytes() const
{
    return FDataConnection ? FDataConnection->SentBytes() : 0;
}

void TFtpClient::Abort()
{
    if (FDataConnection) FDataConnection->Cancel();
}

qint64 TFtpClient::ParseByteCount(const QByteArray& line)
{
    // "150 Opening BINARY mode data connection for f.zip (48213 bytes)": the
    // run of digits nearest before the word "bytes".
    const qsizetype word = line.toUpper().indexOf("BYTE");
    if (word < 0) return 0;
    qsizetype end = word - 1;
    while (end >= 0 && !std::isdigit(static_cast<unsigned char>(line.at(end)))) --end;
    if (end < 0) return 0;
    qsizetype start = end;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(line.at(start - 1)))) --start;
    bool ok = false;
    const qint64 count = line.mid(start, end - start + 1).toLongLong(&ok);
    return ok ? count : 0;
}

qint32 TFtpClient::VendorFromSystemReply(const QByteArray& reply)
{
    // First keyword found, in this order; case matters ("Windows_NT" is none).
    static const std::pair<const char*, qint32> keywords[] = {
        {"UNIX", vnUnix}, {"NETWARE", vnNetware}, {"DOS", vnDos}, {"VMS", vnVms},
        {"MVS", vnMvs},   {"VM", vnVm},           {"MACOS", vnMacOs}, {"OS/400", vnOs400},
    };
    for (const auto& [word, vendor] : keywords)
        if (reply.contains(word)) return vendor;
    return vnOther;
}

// --- the three operations ------------------------------------------------------------

void TFtpClient::ListDirectory()
{
    RunDataOperation(TDataOp::List, ctList, [this] {
        ReportStatus(slProtocol, QStringLiteral("LIST"));
        Transaction("LIST");
        if (InRange(FReplyCode, 301, 599)) {
            Failure(ctList, true);
            return false;
        }
        FTotalBytes = ParseByteCount(FLastReply);
        return true;
    });
}

void TFtpClient::RetrieveFile(const QByteArray& remoteName, const QString& localPath)
{
    CheckCommandText("RETR " + remoteName);
    const QString target = localPath.isEmpty() ? QFile::decodeName(remoteName) : localPath;
    RunDataOperation(TDataOp::Download, ctDownload, [this, remoteName] {
        return SendRetrieveCommand(remoteName);
    }, target);
}

bool TFtpClient::SendRetrieveCommand(const QByteArray& remoteName)
{
    ReportStatus(slProtocol, QStringLiteral("RETR ") + DecodeRemote(remoteName));
    FTotalBytes = 0;
    // Continuation lines are read here: the size may only be announced in one of them.
    const QByteArray first = TSocketSession::Transaction("RETR " + remoteName);
    QByteArrayList more;
    ReadContinuation(first, [&more](const QByteArray& line) { more << line; });
    FTotalBytes = ParseByteCount(first);
    for (const QByteArray& line : more)
        if (FTotalBytes == 0) FTotalBytes = ParseByteCount(line);
    // The whole reply is read before it is judged, so a refusal leaves
    // nothing of it behind to be taken for the next command's reply.
    if (!FtpReply::IsRefusal(FReplyCode, 301, 599)) return true;
    Failure(ctDownload, false);
    for (const QByteArray& line : more) Failure(ctDownload, true, line);
    return false;
}

void TFtpClient::StoreFile(const QString& localPath, const QByteArray& remoteName)
{
    const QByteArray name =
        remoteName.isEmpty() ? QFile::encodeName(QFileInfo(localPath).fileName()) : remoteName;
    CheckCommandText("STOR " + name);
    RunDataOperation(TDataOp::Upload, ctUpload, [this, localPath, remoteName, name] {
        const QString shown = remoteName.isEmpty() ? localPath : DecodeRemote(remoteName);
        ReportStatus(slProtocol, QStringLiteral("STOR ") + shown);
        Transaction("STOR " + name);
        if (InRange(FReplyCode, 301, 599)) {
            Failure(ctUpload, true);
            return false;
        }
        return true;
    }, localPath);
}

// --- common steps ----------------------------------------------------------------------

void TFtpClient::RunDataOperation(TDataOp op, TCmdType type,
                                  const std::function<bool()>& sendTransferCommand,
                                  const QString& localPath)
{
    if (!BeginOperation()) return;
    FDataConnection = std::make_unique<TSocketSession>();
    FDataPhaseStarted = false;
    FFinalReply.clear();
    bool completed = false;
    try {
        completed = TransferData(op, type, sendTransferCommand, localPath);
    } catch (...) {
        FDataConnection.reset();
        AfterFailedTransfer(op);
        throw;
    }
    FDataConnection.reset();
    if (!completed) return;
    if (FCancelRequested) {
        // The control connection was cancelled during the transfer: by a
        // "421"/"426" reply that cut it short, or by the user. Either way the
        // data did not all arrive, and that is no success.
        if (AbortReplyWaiting()) {
            DrainAfterAbort();
            Failure(type, false);
            return;
        }
        if (op == TDataOp::Download) DrainAfterAbort();
        throw EAbortError(QStringLiteral("Socket readln aborted"));
    }
    // A final reply of 4xx/5xx (a cut connection, a full disk on the server)
    // means the data did not get where it should: that is no success either.
    const qint16 finalCode = ReplyCodeOf(FFinalReply);
    if (InRange(finalCode, 400, 599)) {
        FLastReply = FFinalReply;
        FReplyCode = finalCode;
        Failure(type, false);
        return;
    }
    if (OnSuccess) OnSuccess(type);
}

bool TFtpClient::TransferData(TDataOp op, TCmdType type,
                              const std::function<bool()>& sendTransferCommand,
                              const QString& localPath)
{
    TSocketSession& data = *FDataConnection;
    DropStaleInput();
    if (op == TDataOp::List && ParseList) PrepareListParser();
    data.TimeOut = TimeOut;
    data.Port = 0;
    data.Listen(true);
    if (op == TDataOp::Upload) FTotalBytes = LocalFileSize(localPath);
    SendPort(type);
    if (op == TDataOp::Download && OnPacketRecvd) data.OnPacketRecvd = OnPacketRecvd;
    if (op == TDataOp::Upload && OnPacketSent) data.OnPacketSent = OnPacketSent;
    // A refused transfer command ends the operation: no connection will come.
    if (!sendTransferCommand()) return false;
    FDataPhaseStarted = true;
    if (!AcceptDataConnection(type)) return false;
    if (!ControlCancelledOrTimedOut()) {
        data.SetTextMode(FAsciiTransfers);
        switch (op) {
        case TDataOp::List: ReceiveListing(); break;
        case TDataOp::Download: data.CaptureFile(localPath); break;
        case TDataOp::Upload: data.SendFile(localPath); break;
        }
    }
    FinishDataOperation(op);
    return true;
}

qint64 TFtpClient::LocalFileSize(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    return file.size();
}

void TFtpClient::PrepareListParser()
{
    if (!FDirectoryList) {
        if (Vendor == vnNotDetected) {
            try {
                SendCommand("SYST");
            } catch (const EProtocolError&) {
                throw;  // the session is gone; say why
            } catch (...) {
                // Without an answer the reply on hand decides; every system
                // is read with the same parser anyway.
            }
            Vendor = VendorFromSystemReply(FLastReply);
        }
        FDirectoryList = std::make_unique<TFTPUnixList>();
    }
    FDirectoryList->ClearLists();
}

void TFtpClient::SendPort(TCmdType type)
{
    // The listening socket is bound to every address, so the address to
    // announce is the one the control connection uses.
    const QString command =
        QStringLiteral("PORT ") + LocalAddressForPort() + FDataConnection->PortSuffix();
    ReportStatus(slProtocol, command);
    Transaction(command.toLatin1());
    if (InRange(FReplyCode, 301, 599)) Failure(type, false);
}

bool TFtpClient::AcceptDataConnection(TCmdType type)
{
    TSocketSession& data = *FDataConnection;
    // The server may give up before it connects: a 425 after its 150, a 421,
    // or a closed control connection. Then nothing will come, and waiting
    // would last until the user stops it.
    WaitUntil([this, &data] {
        return data.LookupDone() || data.CancelRequested() || !FConnected || RefusalWaiting();
    });
    if (!data.LookupDone() && !data.CancelRequested()) {
        if (RefusalWaiting()) {
            TakeRefusal();
            Failure(type, false);
            return false;
        }
        data.Cancel();
    }
    data.AdoptAcceptedSocket(data.Accept());
    if (OnTransactionStart) OnTransactionStart(this);
    return true;
}

void TFtpClient::ReceiveListing()
{
    TSocketSession& data = *FDataConnection;
    for (;;) {
        if (data.HasLine()) {
            DeliverListingLine(data.ReadLn());
            continue;
        }
        if (!data.Connected()) {
            // The last line may lack its line end; it is still an entry.
            const QByteArray rest = data.ReadRest();
            if (!rest.isEmpty()) DeliverListingLine(rest);
            return;
        }
        if (data.CancelRequested()) throw EAbortError(QStringLiteral("Socket readln aborted"));
        PumpEventsOnce();
    }
}

void TFtpClient::DeliverListingLine(QByteArray line)
{
    // Lines of one or two characters keep their line end.
    if (line.size() > 2 && line.endsWith('\n'))
        line.chop(line.at(line.size() - 2) == '\r' ? 2 : 1);
    if (ParseList && FDirectoryList) FDirectoryList->ParseLine(line);
    if (OnListItem) OnListItem(line);
}

void TFtpClient::FinishDataOperation(TDataOp op)
{
    TSocketSession& data = *FDataConnection;
    if (OnTransactionStop) OnTransactionStop(this);
    if (op == TDataOp::Upload) data.SetResetOnClose(false);
    data.RequestCloseSocket();
    if (op != TDataOp::Upload) {
        FTotalBytes = data.ArrivedBytes();
        ReportStatus(slProtocol, QStringLiteral("Received %1 Bytes").arg(FTotalBytes));
    }
    QByteArray reply = FLastReply;
    if (!ControlCancelledOrTimedOut()) reply = FFinalReply = ReadLn();
    ReportStatus(slProtocol, ReplyStatusText(reply));
    if (!ControlCancelledOrTimedOut()) ReadContinuation(reply);
}

bool TFtpClient::RefusalWaiting() const
{
    return FtpReply::StartsRefusal(WaitingInput());
}

void TFtpClient::TakeRefusal()
{
    ClearCancelRequest();  // a 421 has cancelled the control wait already
    FDataPhaseStarted = false;  // this line is the operation's last reply: nothing to drain
    FLastReply = ReadLn();
    FReplyCode = ReplyCodeOf(FLastReply);
    ReportStatus(slProtocol, ReplyStatusText(FLastReply));
    ReadContinuation(FLastReply);
}

bool TFtpClient::AbortReplyWaiting() const
{
    return FtpReply::StartsAbortReply(WaitingInput());
}

void TFtpClient::AfterFailedTransfer(TDataOp op)
{
    if (FCancelRequested) {
        if (op == TDataOp::Download) DrainAfterAbort();
        return;
    }
    // After an aborted data phase the server still answers the transfer
    // command; take that answer now, so it is not judged as the reply to the
    // next command.
    if (FDataPhaseStarted && FConnected) DrainAfterAbort();
}

void TFtpClient::DrainAfterAbort()
{
    ClearCancelRequest();
    QByteArray taken;
    WaitUntilFor([this, &taken] {
        if (InputBuffer.IndexOf('\n') >= 0) taken += InputBuffer.TakeAll();
        return !taken.isEmpty();
    }, 950);
    if (taken.isEmpty()) return;
    FLastReply = taken.left(taken.indexOf('\n') + 1);
    FReplyCode = ReplyCodeOf(FLastReply);
    ReportStatus(slProtocol, ReplyStatusText(taken));
}
