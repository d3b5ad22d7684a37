// The data side of TSocketSession: the read and write handlers, and the
// operations built on them (send a buffer or file, read a line, capture a file).
#include "net/SocketSession.h"

#include "net/FtpReply.h"
#include "net/SocketErrorText.h"
#include "platform/HandlerGuard.h"
#include "platform/PumpedWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// CR LF -> LF for a text-mode download. A CR at the end of a chunk is held
// back until the next chunk shows whether LF follows.
QByteArray WireToLocalText(const char* bytes, qint64 count, bool& pendingCR)
{
    QByteArray out;
    out.reserve(count + 1);
    for (qint64 i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (pendingCR) {
            pendingCR = false;
            if (c != '\n') out.append('\r');
        }
        if (c == '\r')
            pendingCR = true;
        else
            out.append(c);
    }
    return out;
}

// LF -> CR LF for a text-mode upload; an LF that already follows CR stays.
QByteArray LocalTextToWire(const char* bytes, qint64 count, bool& lastWasCR)
{
    QByteArray out;
    out.reserve(count + count / 16 + 1);
    for (qint64 i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (c == '\n' && !lastWasCR) out.append('\r');
        out.append(c);
        lastWasCR = c == '\r';
    }
    return out;
}

// What a wait that gave up says; %1 is the time-out.
const char* const NoReplyText = "No reply from the server within %1";
const char* const SendStalledText = "The server stopped taking data: nothing could be sent for %1";
const char* const DataStalledText = "The data connection stalled: nothing moved for %1";

}  // namespace

// --- handler bracket ----------------------------------------------------------------

TSocketSession::THandlerScope::THandlerScope(TSocketSession& session) : Session(session)
{
    Session.InHandler = true;
}

TSocketSession::THandlerScope::~THandlerScope()
{
    Session.InHandler = false;
    if (Session.ReadDeferred) {
        Session.ReadDeferred = false;
        Session.UpdateNotifiers();
    }
    if (Session.WriteDeferred) {
        Session.WriteDeferred = false;
        QCoreApplication::postEvent(&Session, new QEvent(MsgWriteMore));
    }
}

// --- handlers -------------------------------------------------------------------

void TSocketSession::ReadToStream()
{
    // After a cancel no further notifications are wanted: this is what stops an
    // aborted data connection from delivering more data.
    if (FCancelRequested) SwitchOffNotifications();
    if (InHandler) {
        // Level-triggered readiness would fire again at once; wait for the
        // running handler to finish instead.
        ReadDeferred = true;
        UpdateNotifiers();
        return;
    }
    ReportStatus(slInternal, QStringLiteral("ReadToStream"));
    if (Tls) {
        ReadTlsToStream();
        return;
    }
    char chunk[ChunkSize];
    qsizetype room = ChunkSize;
    char* const into = ReceiveTarget(chunk, room);
    const ssize_t n = ::recv(Fd, into, static_cast<size_t>(room), 0);
    if (ReceiveEnded(n)) return;
    {
        THandlerScope running(*this);
        StoreReceived(into, n);
    }
    if (InputFull()) UpdateNotifiers();
    if (DataArrivedHook) DataArrivedHook();
}

bool TSocketSession::ReceiveEnded(qint64 n)
{
    const int err = n < 0 ? errno : 0;
    if (n == 0 || (n < 0 && (err == ECONNRESET || err == ECONNABORTED))) {
        // Without close_notify the end of the stream may be someone's cut,
        // not the peer's (RFC 5246, 7.2.1).
        if (Tls && Tls->State() == TTlsChannel::TState::Open && FTlsError.isEmpty())
            FTlsError = QStringLiteral(
                "The connection was closed without the end of the encrypted stream: "
                "what arrived may be incomplete");
        CloseNotification(n == 0 ? 0 : SocketErrorFromErrno(err));
        return true;
    }
    if (n < 0) {
        if (err == EAGAIN || err == EWOULDBLOCK || err == EINTR) return true;
        FLastEventOK = false;
        FLastError = SocketErrorFromErrno(err);
        if (OnError) OnError(this, static_cast<quint16>(FLastError), ErrorText(FLastError));
        return true;
    }
    FLastEventOK = true;
    return false;
}

void TSocketSession::ReadTlsToStream()
{
    const ssize_t n = ::recv(Fd, WireIn.data(), static_cast<size_t>(WireIn.size()), 0);
    if (ReceiveEnded(n)) return;
    bool intact = true;
    {
        THandlerScope running(*this);
        intact = TakeWire(WireIn.constData(), n);
    }
    if (!intact) {
        // Nothing more from this peer can be read or trusted.
        CloseNotification(seConnectionReset);
        return;
    }
    if (Tls && Tls->State() == TTlsChannel::TState::Closed) {
        // close_notify ends the stream, whether or not the peer closes the
        // socket too (some wait for ours first).
        Tls->Shutdown();
        Tls->AppendCipher(CipherOut);
        FlushCipherOut();
        CloseNotification(0);
        return;
    }
    if (InputFull()) UpdateNotifiers();
    if (DataArrivedHook) DataArrivedHook();
}

bool TSocketSession::TakeWire(const char* bytes, qint64 count)
{
    if (!Tls) {
        StoreReceived(bytes, count);
        return true;
    }
    if (Tls->State() == TTlsChannel::TState::Failed) return false;
    WireReceivedBytes += count;
    const bool handshaking = Tls->State() == TTlsChannel::TState::Handshaking;
    Tls->FeedCipher(QByteArray::fromRawData(bytes, count));
    // Handshake messages, and answers such as a key update, go out at once.
    Tls->AppendCipher(CipherOut);
    FlushCipherOut();
    if (handshaking && Tls->State() == TTlsChannel::TState::Open && !TlsHandshakeDone()) return false;
    // Decrypted straight into where the bytes go, as plain input is received.
    char chunk[ChunkSize];
    while (Tls) {
        qsizetype room = ChunkSize;
        char* const into = ReceiveTarget(chunk, room);
        const qsizetype read = Tls->ReadPlain(into, room);
        if (read == 0) break;
        StoreReceived(into, read);
    }
    // A handler of the bytes may have closed the connection meanwhile.
    if (!Tls) return false;
    if (Tls->State() != TTlsChannel::TState::Failed) return true;
    if (FTlsError.isEmpty()) FTlsError = Tls->ErrorText();
    return false;
}

bool TSocketSession::TlsHandshakeDone()
{
    // A resumed session was the control connection's, so it is the trusted
    // peer's; a new one must show the very certificate the control
    // connection showed.
    FTlsEstablished = true;
    if (PeerCheckRequired && !Tls->SessionReused() &&
        (RequiredPeerSha256.isEmpty() || Tls->PeerCertificate().Sha256 != RequiredPeerSha256)) {
        FTlsError =
            QStringLiteral("The data connection showed another certificate than the control connection");
        Tls->Reject(FTlsError);  // nothing it sends is decrypted, none of its sessions kept
        return false;
    }
    if (PeerCheckRequired) Tls->Trust();
    if (std::exchange(AwaitingHandshake, false)) QCoreApplication::postEvent(this, new QEvent(MsgWriteMore));
    return true;
}

char* TSocketSession::ReceiveTarget(char* chunk, qsizetype& room)
{
    // A binary download is received straight into the free part of the block
    // that goes to the file next: no copy, and one receive step may fill the
    // whole block. Loopback often has a few hundred KiB waiting per pass of
    // the event loop; in 16383-byte steps the pass each step costs (a poll,
    // the notifier's dispatch) took about as much CPU as the data itself.
    // Other input keeps the small steps.
    if (!Capture.CaptureTarget || FTextMode) return chunk;
    room = Capture.CaptureBlock.size() - Capture.CaptureFill;
    return Capture.CaptureBlock.data() + Capture.CaptureFill;
}

void TSocketSession::StoreReceived(const char* bytes, qint64 count)
{
    FArrivedBytes += count;
    if (Capture.CaptureTarget) {
        const QByteArray text = FTextMode ? WireToLocalText(bytes, count, Capture.PendingCR) : QByteArray();
        const char* data = FTextMode ? text.constData() : bytes;
        const qint64 size = FTextMode ? text.size() : count;
        WriteCaptured(data, size);
    } else {
        InputBuffer.Append(bytes, count);
    }
    if (CountingOn) {
        FReceivedBytes += count;
        if (OnPacketRecvd) OnPacketRecvd(this);
    }
}

void TSocketSession::WriteCaptured(const char* bytes, qint64 count)
{
    while (count > 0) {
        TCaptureJob& job = Capture;
        const qint64 take = qMin<qint64>(count, job.CaptureBlock.size() - job.CaptureFill);
        char* const end = job.CaptureBlock.data() + job.CaptureFill;
        if (bytes != end) std::memcpy(end, bytes, static_cast<size_t>(take));  // else received in place
        bytes += take;
        count -= take;
        job.CaptureFill += take;
        if (job.CaptureFill == job.CaptureBlock.size()) FlushCaptureBlock();
    }
}

void TSocketSession::FlushCaptureBlock()
{
    TCaptureJob& job = Capture;
    const qint64 size = job.CaptureFill;
    if (job.CaptureError.isEmpty() && size > 0 &&
        job.CaptureTarget->write(job.CaptureBlock.constData(), size) != size)
        job.CaptureError = job.CaptureTarget->errorString();
    job.CaptureFill = 0;
}

void TSocketSession::WriteFromStream()
{
    if (InHandler) {
        // Goes on when the running handler ends; posting again from here would
        // spin while that handler pumps events.
        WriteDeferred = true;
        return;
    }
    THandlerScope running(*this);
    ReportStatus(slInternal, QStringLiteral("WriteFromStream"));
    if (FCancelRequested || Fd < 0) return;
    // Encrypted bytes of earlier steps go first; more waits until they are gone.
    if (Tls && !FlushCipherOut()) return;
    if (Sending.FileSendMode)
        WriteFromFile();
    else
        WriteFromBuffer();
}

qint64 TSocketSession::SendChunk(const char* bytes, qint64 count)
{
    if (Tls) return SendThroughTls(bytes, count);
    const ssize_t n = ::send(Fd, bytes, static_cast<size_t>(count), MSG_NOSIGNAL);
    if (n >= 0) {
        WireSentBytes += n;
        return n;
    }
    const int err = errno;
    FLastError = SocketErrorFromErrno(err);
    // A full socket buffer: the write notification says when to go on. Any
    // other error is final for this connection; its close is seen by the
    // read handler.
    if (err == EAGAIN || err == EWOULDBLOCK) {
        WriteBlocked = true;
        UpdateNotifiers();
    }
    return -1;
}

qint64 TSocketSession::SendThroughTls(const char* bytes, qint64 count)
{
    switch (Tls->State()) {
    case TTlsChannel::TState::Handshaking:
        // Nothing goes out before the peer has shown who it is; the end of
        // the handshake sends a "write more".
        AwaitingHandshake = true;
        return -1;
    case TTlsChannel::TState::Open: break;
    default: FLastError = seConnectionReset; return -1;
    }
    if (!FlushCipherOut()) return -1;
    if (!Tls->Write(QByteArray::fromRawData(bytes, count))) {
        // Nothing more can go out: the close ends the waits on this send.
        FTlsError = Tls->ErrorText();
        FLastError = seConnectionReset;
        RequestCloseSocket();
        return -1;
    }
    Tls->AppendCipher(CipherOut);
    // The channel took all of it; what the socket does not take now goes
    // out first on the next step.
    FlushCipherOut();
    return count;
}

bool TSocketSession::FlushCipherOut()
{
    qsizetype sent = 0;
    while (sent < CipherOut.size() && Fd >= 0) {
        const ssize_t n = ::send(Fd, CipherOut.constData() + sent,
                                 static_cast<size_t>(CipherOut.size() - sent), MSG_NOSIGNAL);
        if (n < 0) {
            const int err = errno;
            FLastError = SocketErrorFromErrno(err);
            if (err == EAGAIN || err == EWOULDBLOCK) {
                WriteBlocked = true;
                UpdateNotifiers();
            }
            break;
        }
        WireSentBytes += n;
        sent += n;
    }
    // The buffer keeps its memory: an upload refills it at every step.
    if (sent == CipherOut.size())
        CipherOut.resize(0);
    else
        CipherOut.remove(0, sent);
    return CipherOut.isEmpty();
}

void TSocketSession::StartTls(const QString& hostName, const TTlsSession& resume,
                              std::shared_ptr<TTlsSessionPool> pool)
{
    ReportStatus(slSocket, QStringLiteral("Starting TLS"));
    FTlsError.clear();
    FTlsEstablished = false;
    AwaitingHandshake = false;
    if (WireIn.size() != TlsReadStep) WireIn.resize(TlsReadStep);
    Tls = std::make_unique<TTlsChannel>(hostName, resume, std::move(pool));
    if (!InputBuffer.IsEmpty()) {
        // The peer cannot have sent anything meant for the encrypted stream
        // yet: whatever came would pass for data that never was encrypted.
        FTlsError = QStringLiteral("The server sent data before encryption was set up");
        InputBuffer.Clear();
        if (FConnected) RequestCloseSocket();
        return;
    }
    CipherOut.clear();
    Tls->AppendCipher(CipherOut);
    FlushCipherOut();
}

void TSocketSession::WaitForTlsHandshake()
{
    const bool moving = WaitWhileMoving([this] {
        return !Tls || Tls->State() != TTlsChannel::TState::Handshaking || FCancelRequested || !FConnected;
    });
    if (FCancelRequested) {
        FCancelRequested = false;
        throw EAbortError(QStringLiteral("Socket readln aborted"));
    }
    if (!moving) RaiseTimeOut(QStringLiteral("The encrypted connection was not set up within %1"));
    if (Tls && Tls->State() == TTlsChannel::TState::Open && FTlsEstablished && FTlsError.isEmpty()) return;
    QString why = FTlsError;
    if (why.isEmpty() && Tls) why = Tls->ErrorText();
    if (why.isEmpty()) why = QStringLiteral("The server closed the connection while encryption was set up");
    if (FConnected) RequestCloseSocket();
    throw ETlsError(why);
}

void TSocketSession::EndTls()
{
    if (!Tls || Fd < 0 || Tls->State() != TTlsChannel::TState::Open) return;
    Tls->Shutdown();
    Tls->AppendCipher(CipherOut);
    FlushCipherOut();
}

void TSocketSession::CloseAfterSending(int waitMs)
{
    EndTls();
    QElapsedTimer clock;
    clock.start();
    WaitUntilFor([this] { return CipherOut.isEmpty() || !FConnected || FCancelRequested; }, waitMs);
    if (FConnected && CipherOut.isEmpty()) {
        ::shutdown(Fd, SHUT_WR);
        const int left = qMax(0, waitMs - int(clock.elapsed()));
        WaitUntilFor([this] { return !FConnected || FCancelRequested; }, left);
    }
    if (FConnected) RequestCloseSocket();
}

void TSocketSession::AfterSend(qint64 sent, bool allSent, bool moreToSend)
{
    if (allSent && !moreToSend) {
        Sending.SendComplete = true;
    } else if (allSent) {
        QCoreApplication::postEvent(this, new QEvent(MsgWriteMore));
    } else {
        WriteBlocked = true;  // the kernel took part of it: its buffer is full
        UpdateNotifiers();
    }
    FSentBytes += sent;
    if (CountingOn && OnPacketSent) OnPacketSent(this);
}

void TSocketSession::WriteFromBuffer()
{
    QByteArray& output = Sending.OutputBuffer;
    if (output.isEmpty()) return;
    const qint64 count = qMin<qint64>(output.size(), ChunkSize);
    const qint64 n = SendChunk(output.constData(), count);
    if (n < 0) return;
    output.remove(0, n);
    AfterSend(n, n == count, !output.isEmpty());
}

void TSocketSession::WriteFromFile()
{
    if (FTextMode) {
        WriteTextFromFile();
        return;
    }
    QFile& source = *Sending.SendSource;
    const qint64 size = source.size();
    if (FSentBytes >= size) return;
    // Steps as large as a capture block: in 16383-byte steps the event loop
    // pass and the posted event each step costs took more CPU than the data.
    // The kernel seldom takes less than a whole step, so stepping the file
    // position back after a partial send re-reads little.
    QByteArray& block = Sending.SendBlock;
    if (block.size() != FileSendStep) block.resize(FileSendStep);
    char* const chunk = block.data();
    const qint64 count =
        ::pread(source.handle(), chunk, static_cast<size_t>(qMin<qint64>(FileSendStep, size - FSentBytes)),
                FSentBytes);
    if (count <= 0) {
        Sending.SendError =
            source.fileName() + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    const qint64 n = SendChunk(chunk, count);
    if (n < 0) return;
    // The file position is the sent count, so a partial send resumes where it stopped.
    AfterSend(n, n == count, FSentBytes + n < size);
}

void TSocketSession::WriteTextFromFile()
{
    TSendJob& job = Sending;
    const qint64 size = job.SendSource->size();
    if (job.PendingWire.isEmpty() && job.TextReadPos < size) {
        char chunk[ChunkSize];
        const qint64 count =
            ::pread(job.SendSource->handle(), chunk,
                    static_cast<size_t>(qMin<qint64>(ChunkSize, size - job.TextReadPos)), job.TextReadPos);
        if (count <= 0) {
            job.SendError = job.SendSource->fileName();
            return;
        }
        job.TextReadPos += count;
        job.PendingWire = LocalTextToWire(chunk, count, job.LastSentCR);
    }
    if (job.PendingWire.isEmpty()) return;
    const qint64 count = qMin<qint64>(job.PendingWire.size(), ChunkSize);
    const qint64 n = SendChunk(job.PendingWire.constData(), count);
    if (n < 0) return;
    job.PendingWire.remove(0, n);
    // Progress counts file bytes: a chunk counts once all of it has gone out.
    const qint64 fileBytes = job.PendingWire.isEmpty() ? job.TextReadPos - FSentBytes : 0;
    AfterSend(fileBytes, n == count, !job.PendingWire.isEmpty() || job.TextReadPos < size);
}

// --- sending ----------------------------------------------------------------------

void TSocketSession::SendBuffer(const char* bytes, quint16 length)
{
    ReportStatus(slSocket, QStringLiteral("Sending Buffer"));
    if (FCancelRequested) return;
    const qsizetype count = length ? length : qsizetype(std::strlen(bytes));
    Sending.OutputBuffer.append(bytes, count);
    Sending.SendComplete = false;
    // A command fits the socket's buffer: it goes out now, as the "write
    // more" message would send it, without a trip through the event queue
    // (a tree transfer sends a few commands for every file).
    RunGuarded("Socket session", [this] {
        FLastEventOK = true;
        WriteFromStream();
    });
    const bool moving = WaitWhileMoving([this] { return AllSent() || FCancelRequested || !FConnected; });
    if (FCancelRequested) {
        FCancelRequested = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    if (!AllSent()) {
        Sending.OutputBuffer.clear();
        if (!moving) RaiseTimeOut(QLatin1String(SendStalledText));
        throw ESockError(ErrorText(FLastError ? FLastError : seNotConnected));
    }
}

void TSocketSession::Write(const QByteArray& text)
{
    ReportStatus(slInternal, QStringLiteral("Write"));
    QByteArray cut = text.left(16384);
    const qsizetype zero = cut.indexOf('\0');
    if (zero >= 0) cut.truncate(zero);
    if (cut.isEmpty()) return;
    // Lengths above 65535 never occur: Write cuts at 16384 bytes.
    SendBuffer(cut.constData(), static_cast<quint16>(cut.size()));
}

void TSocketSession::WriteLn(const QByteArray& text)
{
    ReportStatus(slInternal, QStringLiteral("Writeln"));
    Write(text + "\r\n");
}

void TSocketSession::SendFile(const QString& path)
{
    ReportStatus(slInternal, QStringLiteral("SendFile"));
    auto source = std::make_unique<QFile>(path);
    if (!source->open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot open file \"%1\". %2").arg(path, source->errorString()));
    const QByteArray savedOutput = std::exchange(Sending.OutputBuffer, {});
    Sending = TSendJob{};
    Sending.SendSource = std::move(source);
    Sending.FileSendMode = true;
    CountingOn = true;
    FSentBytes = 0;
    FTotalBytes = Sending.SendSource->size();
    bool moving = true;
    if (FTotalBytes > 0) {
        QCoreApplication::postEvent(this, new QEvent(MsgWriteMore));
        moving = WaitWhileMoving(
            [this] { return AllSent() || FCancelRequested || !FConnected || !Sending.SendError.isEmpty(); });
    }
    const bool complete = AllSent() || FTotalBytes == 0;
    const bool readFailed = !Sending.SendError.isEmpty();
    Sending = TSendJob{};
    Sending.OutputBuffer = savedOutput;
    CountingOn = false;
    if (FCancelRequested) {
        FCancelRequested = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    if (readFailed) throw Exception(QStringLiteral("Cannot read file \"%1\".").arg(path));
    if (!moving) RaiseTimeOut(QLatin1String(DataStalledText));
    // The peer went away before it had the whole file: that is no success.
    if (!complete) throw ESockError(ErrorText(FLastError ? FLastError : seConnectionReset));
}

// --- receiving ----------------------------------------------------------------------

QByteArray TSocketSession::ReadLn()
{
    ReportStatus(slInternal, QStringLiteral("ReadLn"));
    WaitForLine(false, QLatin1String(NoReplyText));
    if (FCancelRequested) throw EAbortError(QStringLiteral("Socket readln aborted"));
    return TakeLine();
}

bool TSocketSession::ReadStreamLine(QByteArray& line)
{
    // Lines already here are delivered before a close or a cancel counts.
    if (WaitForLine(true, QLatin1String(DataStalledText))) {
        line = TakeLine();
        return true;
    }
    if (!FConnected) {
        line = InputBuffer.TakeAll();
        return !line.isEmpty();
    }
    throw EAbortError(QStringLiteral("Socket readln aborted"));
}

bool TSocketSession::WaitForLine(bool endOnClose, const QString& timeOutText)
{
    const bool moving = WaitWhileMoving([this, endOnClose] {
        return InputBuffer.LineEnd() >= 0 || InputFull() || FCancelRequested || (endOnClose && !FConnected);
    });
    if (!moving) RaiseTimeOut(timeOutText);
    if (InputBuffer.LineEnd() >= 0) return true;
    if (InputFull()) RaiseLineTooLong();
    return false;
}

QByteArray TSocketSession::TakeLine()
{
    const qsizetype end = InputBuffer.LineEnd();
    if (end >= MaxLineLength) RaiseLineTooLong();
    QByteArray line = InputBuffer.Take(end + 1);
    UpdateNotifiers();  // reading may have paused on a full input
    return line;
}

void TSocketSession::RaiseLineTooLong()
{
    // The rest of that line would pass for the next reply: nothing from this
    // peer can be trusted any more.
    InputBuffer.Clear();
    if (FConnected) RequestCloseSocket();
    throw EProtocolError(QStringLiteral("The server sent a line longer than %1 bytes").arg(MaxLineLength));
}

bool TSocketSession::InputFull() const
{
    return !Capture.CaptureTarget && InputBuffer.Size() >= MaxLineLength;
}

bool TSocketSession::WaitWhileMoving(const std::function<bool()>& done)
{
    if (TimeOut > 0) FTimedOut = false;
    UpdateNotifiers();  // reading may have paused on input that is consumed now
    const bool moving = WaitUntilIdleFor(
        done, [this] { return FArrivedBytes + WireSentBytes + WireReceivedBytes; }, qMax(0, TimeOut));
    if (!moving) FTimedOut = true;
    return moving;
}

void TSocketSession::RaiseTimeOut(const QString& text)
{
    if (FConnected) RequestCloseSocket();
    throw ETimeOutError(text.arg(DurationText(TimeOut)));
}

QString TSocketSession::DurationText(qint32 ms)
{
    if (ms == 1000) return QStringLiteral("1 second");
    if (ms % 1000 == 0) return QStringLiteral("%1 seconds").arg(ms / 1000);
    return QStringLiteral("%1 ms").arg(ms);
}

QByteArray TSocketSession::Read(quint16 count)
{
    ReportStatus(slInternal, QStringLiteral("Read( %1 )").arg(count));
    const auto arrived = [this, count] { return InputBuffer.Size() >= count || FCancelRequested; };
    if (count > 0 && !WaitWhileMoving(arrived)) RaiseTimeOut(QLatin1String(NoReplyText));
    if (FCancelRequested) {
        FCancelRequested = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    QByteArray taken = InputBuffer.Take(count > 0 ? count : 65535);
    UpdateNotifiers();
    return taken;
}

QByteArray TSocketSession::Transaction(const QByteArray& command)
{
    ReportStatus(slInternal, QStringLiteral("Transaction"));
    FReplyCode = 0;
    WriteLn(command);
    const QByteArray line = ReadLn();
    FLastReply = line;
    if (!line.isEmpty()) {
        ReportStatus(slProtocol, ReplyStatusText(line));
        FReplyCode = ReplyCodeOf(line);
    }
    return line;
}

qint16 TSocketSession::ReplyCodeOf(const QByteArray& line)
{
    return static_cast<qint16>(FtpReply::CodeOf(line));
}

QString TSocketSession::ReplyStatusText(const QByteArray& line)
{
    QByteArray text = line;
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    return QString::fromUtf8(text);
}

void TSocketSession::CaptureFile(const QString& path)
{
    ReportStatus(slInternal, QStringLiteral("CaptureFile"));
    auto target = std::make_unique<QFile>(path);
    if (!target->open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Exception(QStringLiteral("Cannot create file \"%1\". %2").arg(path, target->errorString()));
    Capture = TCaptureJob{};
    Capture.CaptureTarget = std::move(target);
    Capture.CaptureBlock.resize(CaptureBlockSize);
    CountingOn = true;
    FReceivedBytes = 0;
    if (!InputBuffer.IsEmpty()) {
        // Bytes that came before the capture (a passive data connection is
        // open before the server's go-ahead) were counted as they arrived.
        const QByteArray early = InputBuffer.TakeAll();
        FArrivedBytes -= early.size();
        StoreReceived(early.constData(), early.size());
    }
    const bool moving = WaitWhileMoving(
        [this] { return !FConnected || FCancelRequested || !Capture.CaptureError.isEmpty(); });
    if (Capture.PendingCR) WriteCaptured("\r", 1);
    FlushCaptureBlock();
    if (!Capture.CaptureTarget->flush() && Capture.CaptureError.isEmpty())
        Capture.CaptureError = Capture.CaptureTarget->errorString();
    const QString writeError = Capture.CaptureError;
    Capture = TCaptureJob{};
    CountingOn = false;
    if (FCancelRequested) {
        FCancelRequested = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    // A full disk must not pass as a complete download.
    if (!writeError.isEmpty())
        throw Exception(QStringLiteral("Cannot write file \"%1\". %2").arg(path, writeError));
    // What came before the stall stays in the file, as after an abort.
    if (!moving) RaiseTimeOut(QLatin1String(DataStalledText));
}
