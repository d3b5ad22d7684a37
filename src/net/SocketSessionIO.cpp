// The data side of TSocketSession: the read and write handlers, and the
// operations built on them (send a buffer or file, read a line, capture a file).
#include "net/SocketSession.h"

#include "net/FtpReply.h"
#include "net/SocketErrorText.h"
#include "platform/PumpedWait.h"

#include <QCoreApplication>
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

}  // namespace

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
    char chunk[ChunkSize];
    const ssize_t n = ::recv(Fd, chunk, sizeof chunk, 0);
    const int err = n < 0 ? errno : 0;
    if (n == 0 || (n < 0 && (err == ECONNRESET || err == ECONNABORTED))) {
        CloseNotification(n == 0 ? 0 : SocketErrorFromErrno(err));
        return;
    }
    if (n < 0) {
        if (err == EAGAIN || err == EWOULDBLOCK || err == EINTR) return;
        FLastEventOK = false;
        FLastError = SocketErrorFromErrno(err);
        if (OnError) OnError(this, static_cast<quint16>(FLastError), ErrorText(FLastError));
        return;
    }
    FLastEventOK = true;
    InHandler = true;
    StoreReceived(chunk, n);
    InHandler = false;
    if (ReadDeferred) {
        ReadDeferred = false;
        UpdateNotifiers();
    }
    if (DataArrivedHook) DataArrivedHook();
}

void TSocketSession::StoreReceived(const char* bytes, qint64 count)
{
    FArrivedBytes += count;
    if (CaptureTarget) {
        const QByteArray text = FTextMode ? WireToLocalText(bytes, count, PendingCR) : QByteArray();
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
    constexpr qsizetype BlockSize = 64 * 1024;
    while (count > 0) {
        const qint64 take = qMin<qint64>(count, BlockSize - CaptureBlock.size());
        CaptureBlock.append(bytes, take);
        bytes += take;
        count -= take;
        if (CaptureBlock.size() == BlockSize) FlushCaptureBlock();
    }
}

void TSocketSession::FlushCaptureBlock()
{
    const qint64 size = CaptureBlock.size();
    if (CaptureError.isEmpty() && size > 0 && CaptureTarget->write(CaptureBlock.constData(), size) != size)
        CaptureError = CaptureTarget->errorString();
    CaptureBlock.resize(0);
}

void TSocketSession::WriteFromStream()
{
    if (InHandler) {
        QCoreApplication::postEvent(this, new QEvent(MsgWriteMore));
        return;
    }
    InHandler = true;
    ReportStatus(slInternal, QStringLiteral("WriteFromStream"));
    if (!FCancelRequested && Fd >= 0) {
        if (FileSendMode)
            WriteFromFile();
        else
            WriteFromBuffer();
    }
    InHandler = false;
}

qint64 TSocketSession::SendChunk(const char* bytes, qint64 count)
{
    const ssize_t n = ::send(Fd, bytes, static_cast<size_t>(count), MSG_NOSIGNAL);
    if (n >= 0) return n;
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

void TSocketSession::AfterSend(qint64 sent, bool allSent, bool moreToSend)
{
    if (allSent && !moreToSend) {
        SendComplete = true;
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
    if (OutputBuffer.isEmpty()) return;
    const qint64 count = qMin<qint64>(OutputBuffer.size(), ChunkSize);
    const qint64 n = SendChunk(OutputBuffer.constData(), count);
    if (n < 0) return;
    OutputBuffer.remove(0, n);
    AfterSend(n, n == count, !OutputBuffer.isEmpty());
}

void TSocketSession::WriteFromFile()
{
    if (FTextMode) {
        WriteTextFromFile();
        return;
    }
    const qint64 size = SendSource->size();
    if (FSentBytes >= size) return;
    char chunk[ChunkSize];
    const qint64 count = ::pread(SendSource->handle(), chunk,
                                 static_cast<size_t>(qMin<qint64>(ChunkSize, size - FSentBytes)),
                                 FSentBytes);
    if (count <= 0) {
        SendError = SendSource->fileName() + QStringLiteral(": ") +
                    QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    const qint64 n = SendChunk(chunk, count);
    if (n < 0) return;
    // The file position is the sent count, so a partial send resumes where it stopped.
    AfterSend(n, n == count, FSentBytes + n < size);
}

void TSocketSession::WriteTextFromFile()
{
    const qint64 size = SendSource->size();
    if (PendingWire.isEmpty() && TextReadPos < size) {
        char chunk[ChunkSize];
        const qint64 count = ::pread(SendSource->handle(), chunk,
                                     static_cast<size_t>(qMin<qint64>(ChunkSize, size - TextReadPos)),
                                     TextReadPos);
        if (count <= 0) {
            SendError = SendSource->fileName();
            return;
        }
        TextReadPos += count;
        PendingWire = LocalTextToWire(chunk, count, LastSentCR);
    }
    if (PendingWire.isEmpty()) return;
    const qint64 count = qMin<qint64>(PendingWire.size(), ChunkSize);
    const qint64 n = SendChunk(PendingWire.constData(), count);
    if (n < 0) return;
    PendingWire.remove(0, n);
    // Progress counts file bytes: a chunk counts once all of it has gone out.
    const qint64 fileBytes = PendingWire.isEmpty() ? TextReadPos - FSentBytes : 0;
    AfterSend(fileBytes, n == count, !PendingWire.isEmpty() || TextReadPos < size);
}

// --- sending ----------------------------------------------------------------------

void TSocketSession::SendBuffer(const char* bytes, quint16 length)
{
    ReportStatus(slSocket, QStringLiteral("Sending Buffer"));
    if (FCancelRequested) return;
    const qsizetype count = length ? length : qsizetype(std::strlen(bytes));
    OutputBuffer.append(bytes, count);
    SendComplete = false;
    QCoreApplication::postEvent(this, new QEvent(MsgWriteMore));
    WaitUntil([this] { return SendComplete || FCancelRequested || !FConnected; });
    if (FCancelRequested) {
        FCancelRequested = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    if (!SendComplete) {
        OutputBuffer.clear();
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
    const QByteArray savedOutput = std::exchange(OutputBuffer, {});
    SendSource = std::move(source);
    CountingOn = true;
    FileSendMode = true;
    SendComplete = false;
    SendError.clear();
    FSentBytes = 0;
    TextReadPos = 0;
    LastSentCR = false;
    PendingWire.clear();
    FTotalBytes = SendSource->size();
    if (FTotalBytes > 0) {
        QCoreApplication::postEvent(this, new QEvent(MsgWriteMore));
        WaitUntil([this] {
            return SendComplete || FCancelRequested || !FConnected || !SendError.isEmpty();
        });
    }
    const bool complete = SendComplete || FTotalBytes == 0;
    SendSource.reset();
    OutputBuffer = savedOutput;
    CountingOn = false;
    FileSendMode = false;
    PendingWire.clear();
    if (FCancelRequested) {
        FCancelRequested = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    if (!SendError.isEmpty()) throw Exception(QStringLiteral("Cannot read file \"%1\".").arg(path));
    // The peer went away before it had the whole file: that is no success.
    if (!complete) throw ESockError(ErrorText(FLastError ? FLastError : seConnectionReset));
}

// --- receiving ----------------------------------------------------------------------

QByteArray TSocketSession::ReadLn()
{
    ReportStatus(slInternal, QStringLiteral("ReadLn"));
    WaitUntil([this] { return InputBuffer.IndexOf('\n') >= 0 || FCancelRequested; });
    if (FCancelRequested) throw EAbortError(QStringLiteral("Socket readln aborted"));
    return InputBuffer.Take(InputBuffer.IndexOf('\n') + 1);
}

QByteArray TSocketSession::Read(quint16 count)
{
    ReportStatus(slInternal, QStringLiteral("Read( %1 )").arg(count));
    if (count > 0)
        WaitUntil([this, count] { return InputBuffer.Size() >= count || FCancelRequested; });
    if (FCancelRequested) {
        FCancelRequested = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    return InputBuffer.Take(count > 0 ? count : 65535);
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
    while (text.endsWith('\n') || text.endsWith('\r')) text.chop(1);
    return QString::fromUtf8(text);
}

void TSocketSession::CaptureFile(const QString& path)
{
    ReportStatus(slInternal, QStringLiteral("CaptureFile"));
    auto target = std::make_unique<QFile>(path);
    if (!target->open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Exception(QStringLiteral("Cannot create file \"%1\". %2").arg(path, target->errorString()));
    CaptureTarget = std::move(target);
    CaptureError.clear();
    CaptureBlock.reserve(64 * 1024);
    PendingCR = false;
    CountingOn = true;
    FileSendMode = true;
    FReceivedBytes = 0;
    if (!InputBuffer.IsEmpty()) {
        const QByteArray early = InputBuffer.TakeAll();
        StoreReceived(early.constData(), early.size());
    }
    WaitUntil([this] { return !FConnected || FCancelRequested || !CaptureError.isEmpty(); });
    if (PendingCR) WriteCaptured("\r", 1);
    FlushCaptureBlock();
    if (!CaptureTarget->flush() && CaptureError.isEmpty()) CaptureError = CaptureTarget->errorString();
    CaptureTarget.reset();
    CountingOn = false;
    FileSendMode = false;
    if (FCancelRequested) {
        FCancelRequested = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    // A full disk must not pass as a complete download.
    if (!CaptureError.isEmpty())
        throw Exception(QStringLiteral("Cannot write file \"%1\". %2").arg(path, CaptureError));
}
