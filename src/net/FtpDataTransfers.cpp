// Listings, downloads and uploads of TFtpClient: the data connection is set
// up (FtpDataChannel.cpp), the transfer command goes out, the server's
// connection is accepted in active mode, the data moves, and the final reply
// is read on the control connection.
#include "net/FtpClient.h"

#include "net/FTPMlsdList.h"
#include "net/FTPUnixList.h"
#include "net/FtpReply.h"
#include "net/SocketErrorText.h"
#include "platform/PumpedWait.h"
#include "platform/RemoteText.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryFile>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// Waits for done() until the deadline; false when it passed first.
bool WaitUntilDeadline(const std::function<bool()>& done, const QDeadlineTimer& deadline)
{
    if (deadline.isForever()) {
        WaitUntil(done);
        return true;
    }
    return WaitUntilFor(done, static_cast<int>(qMax<qint64>(0, deadline.remainingTime())));
}

QString ErrnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

}  // namespace

qint64 TFtpClient::DataReceivedBytes() const
{
    return FData.Connection ? FData.Connection->ReceivedBytes() : 0;
}

qint64 TFtpClient::DataSentBytes() const
{
    return FData.Connection ? FData.Connection->SentBytes() : 0;
}

void TFtpClient::Abort()
{
    if (FData.Connection)
        FData.Connection->Cancel();
    else if (FRenamingUpload)
        Cancel();
}

qint64 TFtpClient::ParseByteCount(const QByteArray& line)
{
    // "150 Opening BINARY mode data connection for f.zip (48213 bytes)": the
    // run of digits nearest before the word "bytes".
    const qsizetype word = line.toUpper().indexOf("BYTE");
    if (word < 0) return 0;
    qsizetype end = word - 1;
    while (end >= 0 && !std::isdigit(static_cast<unsigned char>(line.at(end))))
        --end;
    if (end < 0) return 0;
    qsizetype start = end;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(line.at(start - 1))))
        --start;
    bool ok = false;
    const qint64 count = line.mid(start, end - start + 1).toLongLong(&ok);
    return ok ? count : 0;
}

qint64 TFtpClient::AnnouncedByteCount(const QByteArray& line, bool textType)
{
    // Only the common "(48213 bytes)" form is a byte count: others announce
    // "2928.7 kbytes" or words with digits in them. In text type the local
    // line ends differ from the wire's, so no count can be compared.
    if (textType) return -1;
    static const QRegularExpression count(QStringLiteral("\\((\\d{1,18}) *bytes\\)"),
                                          QRegularExpression::CaseInsensitiveOption);
    qint64 result = -1;
    // The last one counts: a file name may hold a look-alike.
    for (auto match = count.globalMatch(QString::fromLatin1(line)); match.hasNext();)
        result = match.next().captured(1).toLongLong();
    return result;
}

void TFtpClient::CheckLocalName(const QByteArray& remoteName)
{
    if (remoteName.isEmpty() || remoteName == "." || remoteName == ".." || remoteName.contains('/') ||
        remoteName.contains('\0'))
        throw EUnsafeName(QStringLiteral("The remote name \"%1\" cannot be used as a local file name")
                              .arg(DecodeRemote(QByteArray(remoteName).replace('\0', "\\0"))));
}

qint32 TFtpClient::VendorFromSystemReply(const QByteArray& reply)
{
    // First keyword found, in this order; case matters ("Windows_NT" is none).
    static const std::pair<const char*, qint32> keywords[] = {
        {"UNIX", vnUnix}, {"NETWARE", vnNetware}, {"DOS", vnDos},     {"VMS", vnVms},
        {"MVS", vnMvs},   {"VM", vnVm},           {"MACOS", vnMacOs}, {"OS/400", vnOs400},
    };
    for (const auto& [word, vendor] : keywords)
        if (reply.contains(word)) return vendor;
    return vnOther;
}

// --- the three operations ------------------------------------------------------------

void TFtpClient::ListDirectory()
{
    bool refusedMlsd = false;
    if (UseMlsd()) {
        RunDataOperation(TDataOp::List, ctList,
                         [this, &refusedMlsd] { return SendListCommand("MLSD", &refusedMlsd); }, {}, {});
        if (!refusedMlsd) return;
    }
    RunDataOperation(TDataOp::List, ctList, [this] { return SendListCommand("LIST", nullptr); }, {}, {});
}

bool TFtpClient::SendListCommand(const QByteArray& verb, bool* refusedMlsd)
{
    UseListParser(refusedMlsd != nullptr);
    ReportStatus(slProtocol, QString::fromLatin1(verb));
    Transaction(verb);
    if (refusedMlsd && FReplyCode / 100 == 5) {
        // A server may list "MLST" in "FEAT" and still refuse "MLSD" here, or
        // everywhere: this listing goes by "LIST" instead. Only "not
        // implemented" (500-504, RFC 959) is taken for the whole session;
        // another 5xx may be about this one folder.
        *refusedMlsd = true;
        if (FReplyCode <= 504) FSession.MlsdRefused = true;
        return false;
    }
    if (FtpReply::IsRefusal(FReplyCode, 301, 599)) {
        Failure(ctList, true);
        return false;
    }
    FTotalBytes = ParseByteCount(FLastReply);
    return true;
}

void TFtpClient::RetrieveFile(const QByteArray& remoteName, const QString& localPath, qint64 expectedSize)
{
    if (localPath.isEmpty()) CheckLocalName(remoteName);
    const QString target = localPath.isEmpty() ? QFile::decodeName(remoteName) : localPath;
    RetrieveChecked(remoteName, target, {0, expectedSize});
}

void TFtpClient::RetrieveChecked(const QByteArray& remoteName, const QString& localPath, TSizeCheck check)
{
    CheckCommandText("RETR " + remoteName);
    RunDataOperation(
        TDataOp::Download, ctDownload, [this, remoteName] { return SendRetrieveCommand(remoteName); },
        localPath, check);
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
    NoteAnnouncedSize(first);
    for (const QByteArray& line : more) {
        if (FTotalBytes == 0) FTotalBytes = ParseByteCount(line);
        NoteAnnouncedSize(line);
    }
    // The whole reply is read before it is judged, so a refusal leaves
    // nothing of it behind to be taken for the next command's reply.
    if (!FtpReply::IsRefusal(FReplyCode, 301, 599)) return true;
    Failure(ctDownload, false);
    for (const QByteArray& line : more)
        Failure(ctDownload, true, line);
    return false;
}

void TFtpClient::StoreFile(const QString& localPath, const QByteArray& remoteName)
{
    const QByteArray name =
        remoteName.isEmpty() ? QFile::encodeName(QFileInfo(localPath).fileName()) : remoteName;
    CheckCommandText("STOR " + name);
    RunDataOperation(TDataOp::Upload, ctUpload,
                     [this, localPath, remoteName, name] {
                         const QString shown = remoteName.isEmpty() ? localPath : DecodeRemote(remoteName);
                         ReportStatus(slProtocol, QStringLiteral("STOR ") + shown);
                         Transaction("STOR " + name);
                         if (FtpReply::IsRefusal(FReplyCode, 301, 599)) {
                             Failure(ctUpload, true);
                             return false;
                         }
                         return true;
                     },
                     localPath, {});
}

// --- common steps ----------------------------------------------------------------------

void TFtpClient::RunDataOperation(TDataOp op, TCmdType type, const std::function<bool()>& sendTransferCommand,
                                  const QString& localPath, TSizeCheck check)
{
    if (!BeginOperation()) return;
    FData = TDataOperation{};
    FData.Connection = std::make_unique<TSocketSession>();
    FData.Check = check;
    // Whatever ends the operation before the download is complete, a file it
    // was to replace stays as it was.
    const auto keepReplacedFile = qScopeGuard([this] { DiscardPartialDownload(); });
    bool completed = false;
    try {
        completed = TransferData(op, type, sendTransferCommand, localPath);
    } catch (const ETimeOutError&) {
        const bool stalled = FData.DataConnected;
        FData.Connection.reset();
        // A server that never connected back may still be trying (its own
        // connect time-out can be long): its answer gets the time any other
        // answer gets, and the session stays either way.
        if (stalled && !FCancelRequested)
            AfterStalledTransfer();
        else
            AfterFailedTransfer(op, qBound(950, TimeOut, 5000));
        throw;
    } catch (const EAbortError&) {
        const TDataOperation::TEnd ended = FData.EndedByServer;
        FData.Connection.reset();
        if (ended == TDataOperation::TEnd::AbortReply) {
            // The server's own words, not those of a cancel by the user.
            DrainAfterAbort();
            Failure(type, false);
            return;
        }
        AfterFailedTransfer(op, 950);
        if (ended == TDataOperation::TEnd::ControlClosed)
            throw ESockError(QStringLiteral("The server closed the control connection during the transfer"));
        throw;
    } catch (...) {
        FData.Connection.reset();
        AfterFailedTransfer(op, 950);
        throw;
    }
    FData.Connection.reset();
    if (!completed || !JudgeDataOperation(op, type)) return;
    if (op == TDataOp::Download) CommitDownload();
    FData.Succeeded = true;
    if (OnSuccess && !FHeld.Active) OnSuccess(type);
}

bool TFtpClient::JudgeDataOperation(TDataOp op, TCmdType type)
{
    if (FCancelRequested) {
        // The control connection was cancelled during the transfer: by a
        // "421"/"426" reply that cut it short, or by the user. Either way the
        // data did not all arrive, and that is no success.
        if (AbortReplyWaiting()) {
            DrainAfterAbort();
            Failure(type, false);
            return false;
        }
        if (op == TDataOp::Download) DrainAfterAbort();
        throw EAbortError(QStringLiteral("Socket readln aborted"));
    }
    // Only a completion reply (2xx) says the data got where it should: a
    // 4xx/5xx (a cut connection, a full disk on the server) or a 3xx, which
    // asks for more than a transfer can give, is no success.
    const qint16 finalCode = ReplyCodeOf(FData.FinalReply);
    if (!FData.FinalReply.isEmpty() && finalCode / 100 != 2) {
        FLastReply = FData.FinalReply;
        FReplyCode = finalCode;
        Failure(type, false);
        return false;
    }
    // Nor is a file that stopped short, whatever the server says after it.
    if (op == TDataOp::Download) CheckDataComplete();
    return true;
}

void TFtpClient::CheckDataComplete() const
{
    // A reset connection may have lost bytes in flight.
    if (FData.DataError != 0)
        throw ESockError(QStringLiteral("The data connection broke after %1 bytes: %2")
                             .arg(FTotalBytes)
                             .arg(SocketErrorText(FData.DataError)));
    // A resumed download's announcement is the whole file on some servers
    // and only the rest on others; the offset makes up the difference.
    const qint64 have = FData.Check.RestOffset + FTotalBytes;
    qint64 expected = FData.AnnouncedSize;
    if (!FAsciiTransfers && FData.Check.WholeSize > expected) expected = FData.Check.WholeSize;
    if (have < expected)
        throw ESockError(
            QStringLiteral("The transfer ended early: %1 of %2 bytes arrived").arg(have).arg(expected));
}

void TFtpClient::NoteAnnouncedSize(const QByteArray& line)
{
    if (FData.AnnouncedSize < 0) FData.AnnouncedSize = AnnouncedByteCount(line, FAsciiTransfers);
}

bool TFtpClient::TransferData(TDataOp op, TCmdType type, const std::function<bool()>& sendTransferCommand,
                              const QString& localPath)
{
    TSocketSession& data = *FData.Connection;
    DropStaleInput();
    if (op == TDataOp::List && ParseList) PrepareListParser();
    if (op == TDataOp::Download) PrepareDownloadTarget(localPath);
    data.TimeOut = TimeOut;
    if (op == TDataOp::Upload) FTotalBytes = LocalFileSize(localPath);
    OpenDataConnection(type);
    if (op == TDataOp::Download && OnPacketRecvd) data.OnPacketRecvd = OnPacketRecvd;
    if (op == TDataOp::Upload && OnPacketSent) data.OnPacketSent = OnPacketSent;
    BeforeTransferCommand(type);
    FData.CommandSent = true;
    // A refused transfer command ends the operation: no connection will come.
    if (!sendTransferCommand()) {
        CloseRefusedDataConnection();
        return false;
    }
    FData.PhaseStarted = true;
    if (!AcceptDataConnection(type)) return false;
    if (!ControlCancelledOrTimedOut()) {
        data.SetTextMode(FAsciiTransfers);
        switch (op) {
        case TDataOp::List: ReceiveListing(); break;
        case TDataOp::Download: data.CaptureFile(FData.CapturePath); break;
        case TDataOp::Upload: try { data.SendFile(localPath);
            } catch (const ETimeOutError&) {
                throw;
            } catch (const ESockError&) {
                CheckDataTls();  // a broken encryption says more than the closed socket
                throw;
            }
            break;
        }
        CheckDataTls();
    }
    FinishDataOperation(op);
    return true;
}

void TFtpClient::PrepareDownloadTarget(const QString& localPath)
{
    FData.CapturePath = localPath;
    // A new file keeps what arrived at its name, even when the transfer
    // fails: a later resume continues from there. An existing file is the
    // user's: the download goes to a new file beside it, which replaces it
    // only when complete. Through a link, the link's target is replaced; a
    // link that leads nowhere is replaced itself, never written through (in
    // a shared folder anyone may plant one that points anywhere).
    const QFileInfo info(localPath);
    const bool dangling = info.isSymLink() && !info.exists();
    if (!info.isFile() && !dangling) return;
    const QFileInfo target(info.isSymLink() && !dangling ? info.canonicalFilePath()
                                                         : info.absoluteFilePath());
    QTemporaryFile partial(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                           QStringLiteral(".XXXXXX"));
    partial.setAutoRemove(false);
    if (!partial.open())
        throw Exception(QStringLiteral("Cannot create a file beside \"%1\". %2")
                            .arg(target.filePath(), partial.errorString()));
    FData.CapturePath = partial.fileName();
    FData.ReplacedPath = target.filePath();
}

void TFtpClient::CommitDownload()
{
    if (FData.ReplacedPath.isEmpty()) return;
    const QByteArray partial = QFile::encodeName(FData.CapturePath);
    const QByteArray replaced = QFile::encodeName(FData.ReplacedPath);
    struct stat old {};
    if (::stat(replaced.constData(), &old) == 0) ::chmod(partial.constData(), old.st_mode & 07777);
    if (::rename(partial.constData(), replaced.constData()) != 0)
        throw Exception(
            QStringLiteral("Cannot replace file \"%1\". %2").arg(FData.ReplacedPath, ErrnoText()));
    FData.ReplacedPath.clear();
}

void TFtpClient::DiscardPartialDownload()
{
    if (FData.ReplacedPath.isEmpty()) return;
    QFile::remove(FData.CapturePath);
    FData.ReplacedPath.clear();
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

void TFtpClient::UseListParser(bool mlsd)
{
    // Each listing is read by the parser of the command that asks for it.
    if (!ParseList || !FDirectoryList) return;
    if (mlsd && !dynamic_cast<TFTPMlsdList*>(FDirectoryList.get()))
        FDirectoryList = std::make_unique<TFTPMlsdList>();
    else if (!mlsd && !dynamic_cast<TFTPUnixList*>(FDirectoryList.get()))
        FDirectoryList = std::make_unique<TFTPUnixList>();
}

bool TFtpClient::AcceptDataConnection(TCmdType type)
{
    TSocketSession& data = *FData.Connection;
    if (FData.Passive) {
        // Our own connection, made before the command: the transfer is on now.
        FData.DataConnected = true;
        // Encryption starts only now: some servers are not ready for the
        // handshake before they have the command.
        SecureDataConnection();
        if (!FConnected) EndTransferForServer(TDataOperation::TEnd::ControlClosed);
        if (OnTransactionStart) OnTransactionStart(this);
        return true;
    }
    const QDeadlineTimer deadline(TimeOut > 0 ? qint64(TimeOut) : qint64(-1));
    for (;;) {
        // The server may give up before it connects: a 425 after its 150, a
        // 421, or a closed control connection. Then nothing will come, and
        // waiting would last until the user stops it.
        const bool arrived = WaitUntilDeadline(
            [this, &data] {
                return data.LookupDone() || data.CancelRequested() || !FConnected || RefusalWaiting();
            },
            deadline);
        if (!arrived)
            throw ETimeOutError(
                QStringLiteral("The server did not connect back within %1").arg(DurationText(TimeOut)));
        if (!data.LookupDone() && !data.CancelRequested()) {
            if (RefusalWaiting()) {
                TakeRefusal();
                Failure(type, false);
                return false;
            }
            data.Cancel();
        }
        const int fd = data.Accept();
        // Only the server may connect: anybody else who found the port
        // could feed us a file or listing, or take an upload.
        if (data.RemoteHostAddress().isEqual(RemoteHostAddress(), QHostAddress::ConvertV4MappedToIPv4)) {
            data.AdoptAcceptedSocket(fd);
            FData.DataConnected = true;
            SecureDataConnection();
            // The control connection may have closed while the server connected.
            if (!FConnected) EndTransferForServer(TDataOperation::TEnd::ControlClosed);
            break;
        }
        ReportStatus(slProtocol,
                     QStringLiteral("Refused a data connection from %1").arg(data.RemoteAddressText()));
        data.RefuseAcceptedSocket(fd);
    }
    if (OnTransactionStart) OnTransactionStart(this);
    return true;
}

void TFtpClient::ReceiveListing()
{
    // The last line may lack its line end; it is still an entry.
    QByteArray line;
    while (FData.Connection->ReadStreamLine(line))
        DeliverListingLine(line);
}

void TFtpClient::DeliverListingLine(QByteArray line)
{
    // Lines of one or two characters keep their line end.
    if (line.size() > 2 && line.endsWith('\n')) line.chop(line.at(line.size() - 2) == '\r' ? 2 : 1);
    if (ParseList && FDirectoryList) FDirectoryList->ParseLine(line);
    if (OnListItem) OnListItem(line);
}

void TFtpClient::FinishDataOperation(TDataOp op)
{
    TSocketSession& data = *FData.Connection;
    if (OnTransactionStop) OnTransactionStop(this);
    if (op == TDataOp::Upload) data.SetResetOnClose(false);
    FData.DataError = data.LastError();  // before the close, which may set its own
    if (op == TDataOp::Upload && data.TlsChannel())
        data.CloseAfterSending(qBound(1000, TimeOut, 5000));
    else
        data.RequestCloseSocket();
    if (op != TDataOp::Upload) {
        FTotalBytes = data.ArrivedBytes();
        ReportStatus(slProtocol, QStringLiteral("Received %1 Bytes").arg(FTotalBytes));
    }
    if (ControlCancelledOrTimedOut()) {
        ReportStatus(slProtocol, ReplyStatusText(FLastReply));
        return;
    }
    // Another preliminary reply ("150 still sending") only announces the one
    // that counts (RFC 959, 4.2: 1yz replies precede the completion reply).
    for (int preliminaries = 0;; ++preliminaries) {
        FData.FinalReply = ReadFinalReply();
        ReportStatus(slProtocol, ReplyStatusText(FData.FinalReply));
        if (ControlCancelledOrTimedOut()) return;
        ReadContinuation(FData.FinalReply);
        if (FtpReply::CodeOf(FData.FinalReply) / 100 != 1) return;
        if (preliminaries == FtpReply::MaxPreliminaryReplies) BreakOff(FData.FinalReply);
    }
}

QByteArray TFtpClient::ReadFinalReply()
{
    try {
        return ReadLn();
    } catch (const EAbortError&) {
        // A "421"/"426" cancels the control wait as it comes in (the
        // interrupt check); as the final reply it is still the server's
        // answer, and the message is the server's, not a cancel's.
        if (!AbortReplyWaiting()) throw;
        ClearCancelRequest();
        return ReadLn();
    }
}

bool TFtpClient::RefusalWaiting() const
{
    return FtpReply::StartsRefusal(WaitingInput());
}

void TFtpClient::TakeRefusal()
{
    ClearCancelRequest();        // a 421 has cancelled the control wait already
    FData.PhaseStarted = false;  // this line is the operation's last reply: nothing to drain
    FLastReply = ReadLn();
    FReplyCode = ReplyCodeOf(FLastReply);
    ReportStatus(slProtocol, ReplyStatusText(FLastReply));
    ReadContinuation(FLastReply);
}

bool TFtpClient::AbortReplyWaiting() const
{
    return FtpReply::StartsAbortReply(WaitingInput());
}

void TFtpClient::AfterFailedTransfer(TDataOp op, int replyWaitMs)
{
    if (FCancelRequested) {
        if (op == TDataOp::Download) DrainAfterAbort();
        return;
    }
    // After an aborted data phase the server still answers the transfer
    // command; take that answer now, so it is not judged as the reply to the
    // next command.
    if (FData.PhaseStarted && FConnected) DrainAfterAbort(replyWaitMs);
}

void TFtpClient::AfterStalledTransfer()
{
    if (!FData.PhaseStarted || !FConnected) return;
    // The data connection stalled and is closed now, so the server will give
    // up on it too: its answer is awaited like any reply, and a server that
    // stays silent loses the control connection as well.
    TakeLateAnswer();
    FTimedOut = true;
}

void TFtpClient::TakeLateAnswer()
{
    // That answer is mostly a "426", which would otherwise cancel the very
    // wait for it (CheckAbortReply); a Stop still ends the wait.
    struct Restore {
        std::function<void()>& Slot;
        std::function<void()> Kept;
        ~Restore() { Slot = std::move(Kept); }
    } restore{DataArrivedHook, std::exchange(DataArrivedHook, nullptr)};
    FLastReply = ReadLn();
    FReplyCode = ReplyCodeOf(FLastReply);
    ReportStatus(slProtocol, ReplyStatusText(FLastReply));
    ReadContinuation(FLastReply);
}

void TFtpClient::DrainAfterAbort(int waitMs)
{
    ClearCancelRequest();
    QByteArray taken;
    WaitUntilFor(
        [this, &taken] {
            if (InputBuffer.IndexOf('\n') >= 0) taken += InputBuffer.TakeAll();
            return !taken.isEmpty();
        },
        waitMs);
    if (taken.isEmpty()) return;
    FLastReply = taken.left(taken.indexOf('\n') + 1);
    FReplyCode = ReplyCodeOf(FLastReply);
    ReportStatus(slProtocol, ReplyStatusText(taken));
}
