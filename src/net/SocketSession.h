#pragma once
#include "net/ByteQueue.h"
#include "net/NetErrors.h"
#include "net/TlsChannel.h"

#include <QEvent>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>
#include <functional>
#include <memory>

class TThreadTimer;

using TNotifyEvent = std::function<void(QObject* sender)>;
using THandlerEvent = std::function<void(bool& handled)>;
using TOnStatus = std::function<void(QObject* sender, const QString& status)>;
using TOnHostResolved = std::function<void(QObject* sender)>;
using TOnErrorEvent = std::function<void(QObject* sender, quint16 errorCode, const QString& message)>;

// Status levels: what a ReportLevel lets through.
enum : int {
    slProtocol = 1,    // commands, replies, "Disconnected", byte counts
    slSocket = 4,      // socket actions
    slInternal = 8,    // internal steps
    slErrorCheck = 16  // error checks
};

// One TCP stream socket with blocking-looking operations built as pumped
// waits (connect, send a line, read a line, send or capture a file, accept).
// Readiness of the non-blocking socket arrives through QSocketNotifier; the
// two continuations ("write more", "read more") are posted events to self.
// Everything runs on the GUI thread; any handler may call Cancel on a wait.
class TSocketSession : public QObject {
    Q_OBJECT

public:
    // Posted to self to go on sending. (Reading needs no such event: read
    // readiness is level-triggered and fires again while data is waiting.)
    static constexpr QEvent::Type MsgWriteMore = QEvent::Type(1127);
    // The most one send or receive step moves, except in binary file
    // transfers (see CaptureBlockSize and FileSendStep).
    static constexpr int ChunkSize = 16383;
    // The longest line (line end included) a peer may send. Real replies and
    // listing lines stay far below it; more is a broken or hostile peer.
    static constexpr qsizetype MaxLineLength = 64 * 1024;

    explicit TSocketSession(QObject* owner = nullptr);
    ~TSocketSession() override;

    // Published properties.
    QString Host;
    qint32 Port = 0;
    // Milliseconds for lookup and connection set-up, and for every later wait
    // while nothing moves on the socket; 0 = no limit.
    qint32 TimeOut = 0;
    QString Proxy;
    qint32 ProxyPort = 0;
    virtual qint32 ReportLevel() const { return FReportLevel; }
    virtual void SetReportLevel(qint32 level) { FReportLevel = level; }

    TNotifyEvent OnDisconnect;
    TNotifyEvent OnConnect;
    THandlerEvent OnInvalidHost;
    TOnHostResolved OnHostResolved;
    TOnStatus OnStatus;
    TNotifyEvent OnConnectionFailed;
    TNotifyEvent OnPacketRecvd;
    TNotifyEvent OnPacketSent;
    TOnErrorEvent OnError;
    THandlerEvent OnConnectionRequired;

    // Run-time state.
    bool Connected() const { return FConnected; }
    bool CancelRequested() const { return FCancelRequested; }
    bool TimedOut() const { return FTimedOut; }
    bool LastEventOK() const { return FLastEventOK; }
    bool LookupDone() const { return FLookupDone; }
    qint16 ReplyCode() const { return FReplyCode; }
    const QByteArray& LastReply() const { return FLastReply; }
    const QString& LastStatus() const { return FLastStatus; }
    qint32 LastError() const { return FLastError; }
    qint64 SentBytes() const { return FSentBytes; }
    qint64 ReceivedBytes() const { return FReceivedBytes; }
    qint64 TotalBytes() const { return FTotalBytes; }
    // TLS over this connection (RFC 4217). StartTls begins the client
    // handshake, offering to resume a session when one is given, and does
    // not wait: from then on everything sent is encrypted and everything
    // received decrypted. hostName is what the certificate must name.
    // Sessions the server hands out go to pool, when given.
    void StartTls(const QString& hostName, const TTlsSession& resume = {},
                  std::shared_ptr<TTlsSessionPool> pool = {});
    // Waits for the handshake StartTls began. Raises ETimeOutError after
    // TimeOut ms without progress, EAbortError on Cancel, and ETlsError when
    // it failed or the peer closed.
    void WaitForTlsHandshake();
    // The handshake fails unless it resumed a session or the peer's
    // certificate has this SHA-256 (a data connection must come from the
    // server the control connection trusted).
    void RequirePeerCertificate(const QByteArray& sha256)
    {
        PeerCheckRequired = true;
        RequiredPeerSha256 = sha256;
    }
    // Sends close_notify, as far as the socket takes it now.
    void EndTls();
    // Ends an encrypted upload in order: close_notify, then our half of the
    // connection, then a wait of up to waitMs for the peer to close its
    // half. Closing with unread input (a session ticket, the peer's
    // close_notify) would reset the connection, and the peer could lose
    // the end of what it was sent.
    void CloseAfterSending(int waitMs);
    // The channel while the connection is open; nullptr without TLS.
    const TTlsChannel* TlsChannel() const { return Tls.get(); }
    // Why TLS on this connection failed, kept after the close; empty if it did not.
    QString TlsErrorText() const { return FTlsError; }
    // The last StartTls completed its handshake (also once closed again;
    // TlsErrorText may still refuse what it brought).
    bool TlsEstablished() const { return FTlsEstablished; }
    // The connection runs over TLS now.
    bool Encrypted() const { return Tls && Tls->State() == TTlsChannel::TState::Open; }
    // "TLSv1.3, TLS_AES_256_GCM_SHA384" while encrypted; empty otherwise.
    QString TlsDescription() const
    {
        return Encrypted() ? Tls->ProtocolName() + QStringLiteral(", ") + Tls->CipherName() : QString();
    }
    static const QStringList& WinsockInfo();
    static int LiveSocketCount();

    // In text mode (set by the FTP client for "TYPE A" transfers) a captured
    // file stores LF for the wire's CR LF and a sent file sends CR LF for LF.
    void SetTextMode(bool on) { FTextMode = on; }
    bool TextMode() const { return FTextMode; }

    // Operations.
    // Takes the connection waiting at the listening socket. The wait ends
    // after TimeOut ms (0 = no limit) with ETimeOutError, or on Cancel.
    virtual int Accept();
    virtual void Connect();
    // Connects to the first of addresses (IPv6 or IPv4) that answers on
    // port, trying them in order, all within one TimeOut. Raises like Connect.
    void ConnectTo(const QList<QHostAddress>& addresses, quint16 port);
    virtual void Disconnect();
    virtual QByteArray Transaction(const QByteArray& command);
    virtual void Abort() {}
    void Cancel();
    void RequireConnection();

    void WriteLn(const QByteArray& text);
    void Write(const QByteArray& text);
    void SendBuffer(const char* bytes, quint16 length);
    QByteArray Read(quint16 count);
    QByteArray ReadLn();
    // The next line of a stream of lines that ends when the peer closes (a
    // listing): false once the peer closed and nothing is left; a last line
    // without a line end comes as it is. Raises like ReadLn, and
    // ETimeOutError when nothing moves for TimeOut ms.
    bool ReadStreamLine(QByteArray& line);
    // A complete line is waiting in the input.
    bool HasLine() const { return InputBuffer.LineEnd() >= 0; }
    // Takes whatever is left in the input, line end or not.
    QByteArray ReadRest() { return InputBuffer.TakeAll(); }
    // Every byte received since construction, counted or not.
    qint64 ArrivedBytes() const { return FArrivedBytes; }
    void SendFile(const QString& path);
    void CaptureFile(const QString& path);
    // Listens on localAddress (IPv4, host order; 0 = every address).
    void Listen(bool useLookupMessage, quint32 localAddress = 0);
    // Listens on localAddress, IPv6 or IPv4.
    void Listen(bool useLookupMessage, const QHostAddress& localAddress);

    QString RemoteAddressText() const;
    QString LocalAddressForPort() const;
    QString PortSuffix() const;
    quint16 LocalPort() const;
    // IPv4 addresses in host order (0 when unknown or IPv6).
    quint32 LocalIPv4() const;
    quint32 RemoteIPv4() const { return RemoteAddress.toIPv4Address(); }
    // The peer's and our own address, IPv6 or IPv4 (null when unknown).
    QHostAddress RemoteHostAddress() const { return RemoteAddress; }
    QHostAddress LocalHostAddress() const;

    void RequestCloseSocket();
    // Replaces the listening socket by the connection Accept returned.
    void AdoptAcceptedSocket(int fd);
    // Closes a connection Accept returned and listens on for the next one.
    void RefuseAcceptedSocket(int fd);
    // Linger on with time-out 0 resets the connection on close; off lets the
    // last bytes of an upload reach the peer.
    void SetResetOnClose(bool on);

    QString ErrorText(int code);
    // A time-out for messages: "30 seconds", "1 second", "300 ms".
    static QString DurationText(qint32 ms);

protected:
    void ReportStatus(int level, const QString& text);
    // Clears a pending cancel at the start of an operation, and switches
    // notifications back on if an earlier cancel switched them off.
    void ClearCancelRequest();
    void CheckError(int expected, int actual);
    bool event(QEvent* e) override;
    // Waits until done() holds; false once TimeOut ms passed with no byte
    // moving on the socket either way (TimedOut is then set). TimeOut 0
    // waits without limit.
    bool WaitWhileMoving(const std::function<bool()>& done);
    // Ends a wait on a peer that stopped answering: its state is unknown, so
    // the socket is closed (OnDisconnect fires) and ETimeOutError raised with
    // the text, where %1 is the time-out.
    [[noreturn]] void RaiseTimeOut(const QString& text);
    // The reply code of a line; 0 when it carries no valid code.
    static qint16 ReplyCodeOf(const QByteArray& line);
    // A reply line as a status text: decoded, without its line end.
    static QString ReplyStatusText(const QByteArray& line);

    TByteQueue InputBuffer;
    // Called after a read notification stored data (the FTP client watches
    // for "421"/"426" replies through it).
    std::function<void()> DataArrivedHook;
    // Called when the connection closes, before OnDisconnect.
    std::function<void()> ClosedHook;

    bool FConnected = false;
    bool FCancelRequested = false;
    bool FTimedOut = false;
    // The TLS channel the connection runs over, if any.
    std::unique_ptr<TTlsChannel> Tls;
    bool FLastEventOK = true;
    bool FLookupDone = false;
    qint16 FReplyCode = 0;
    QByteArray FLastReply;
    QString FLastStatus;
    qint32 FLastError = 0;
    qint64 FSentBytes = 0;
    qint64 FReceivedBytes = 0;
    qint64 FTotalBytes = 0;
    qint64 FArrivedBytes = 0;
    // Set when destruction begins: handlers are no longer called.
    bool Destroying = false;

private slots:
    // The answer to the running host lookup. A slot by name, not a functor:
    // an aborted lookup never frees a functor it was given.
    void LookupAnswered(const QHostInfo& info);

private:
    enum class TState { Idle, Connecting, Connected, Failed, Listening };

    // What one send (of a buffer or of a file) needs while it runs.
    struct TSendJob {
        QByteArray OutputBuffer;  // buffer mode: the bytes not yet sent
        bool FileSendMode = false;
        bool SendComplete = false;
        // File mode: the file, the read position and converted bytes of a
        // text-mode upload, and a read error.
        std::unique_ptr<QFile> SendSource;
        qint64 TextReadPos = 0;
        bool LastSentCR = false;
        QByteArray PendingWire;
        QString SendError;
        // One step of a binary file upload is read into this block.
        QByteArray SendBlock;
    };
    // What capturing into a file needs while it runs.
    struct TCaptureJob {
        std::unique_ptr<QFile> CaptureTarget;
        bool PendingCR = false;  // held back in text mode until the next byte shows
        QString CaptureError;
        // Received bytes wait here until a whole block can be written: writes of
        // odd sizes at odd offsets cost the file system several times more. The
        // block keeps its full size; CaptureFill bytes of it are waiting.
        QByteArray CaptureBlock;
        qsizetype CaptureFill = 0;
    };
    static constexpr qsizetype CaptureBlockSize = 256 * 1024;
    // One receive step over TLS: a few records at a time.
    static constexpr qsizetype TlsReadStep = 64 * 1024;
    static constexpr qsizetype FileSendStep = 256 * 1024;
    // Marks a read or write handler as running; when it ends, the work that
    // arrived meanwhile (a read notification, a "write more") goes on.
    class THandlerScope {
    public:
        explicit THandlerScope(TSocketSession& session);
        ~THandlerScope();
        THandlerScope(const THandlerScope&) = delete;
        THandlerScope& operator=(const THandlerScope&) = delete;

    private:
        TSocketSession& Session;
    };

    void CreateSocket(bool resetOnClose);
    void DeleteNotifiers();
    void WantNotifier(QSocketNotifier*& notifier, QSocketNotifier::Type type, bool wanted);
    void UpdateNotifiers();
    void SwitchOffNotifications();
    void ReplaceSocketSilently();
    void ReadNotification();
    void WriteNotification();
    void AcceptNotification();
    // Binds the socket to address and Port; Port 0 means any free port.
    bool BindListeningPort(const QHostAddress& address);
    void ConnectCompleted(int errorCode);
    void CloseNotification(int errorCode);
    void ReadToStream();
    void WriteFromStream();
    void WriteFromBuffer();
    void WriteFromFile();
    void WriteTextFromFile();
    qint64 SendChunk(const char* bytes, qint64 count);
    // SendChunk over TLS: takes all of bytes once the handshake is over and
    // earlier ciphertext has gone; -1 until then.
    qint64 SendThroughTls(const char* bytes, qint64 count);
    // Sends what CipherOut holds; false while the socket cannot take it all.
    bool FlushCipherOut();
    // Received bytes: stored, or over TLS decrypted first. False when they
    // broke the TLS channel (FTlsError says why).
    bool TakeWire(const char* bytes, qint64 count);
    bool TlsHandshakeDone();
    void ReadTlsToStream();
    // After a receive step of n bytes: true when it brought no data (the
    // peer closed, an error, or nothing yet), which is then dealt with.
    bool ReceiveEnded(qint64 n);
    // Sending is over: the last bytes, encrypted ones included, are gone.
    bool AllSent() const { return Sending.SendComplete && CipherOut.isEmpty(); }
    void AfterSend(qint64 sent, bool allSent, bool moreToSend);
    // Where the next receive step goes: chunk (room bytes), or during a
    // binary capture the free part of the capture block (room is updated).
    char* ReceiveTarget(char* chunk, qsizetype& room);
    void StoreReceived(const char* bytes, qint64 count);
    // Unread input has reached the longest line without a line end, or holds
    // lines nobody takes: reading pauses until it is consumed.
    bool InputFull() const;
    // Waits for a whole line, a cancel, an over-long line or (endOnClose) the
    // peer's close; raises ETimeOutError with timeOutText after TimeOut ms of
    // silence. Returns whether a whole line is waiting.
    bool WaitForLine(bool endOnClose, const QString& timeOutText);
    // Takes the waiting line; one beyond MaxLineLength raises EProtocolError.
    QByteArray TakeLine();
    [[noreturn]] void RaiseLineTooLong();
    void WriteCaptured(const char* bytes, qint64 count);
    void FlushCaptureBlock();
    void ResolveWithOneRetry();
    void ResolveHost();
    // One connection attempt; false when it did not connect (atOnce: the
    // system refused it before it was under way).
    // shareMs > 0: gives up on this address after that long.
    bool TryAddress(const QHostAddress& address, bool& atOnce, int shareMs);
    // The least time an address gets while others remain to be tried.
    static constexpr int MinAddressShareMs = 3000;
    // False with FLastError set when the attempt failed at once.
    bool StartConnect();
    // A socket of the family address needs, fresh unless it is unused.
    void UseFamilyOf(const QHostAddress& address);
    void TimerOn();
    void TimerOff();
    void TimerTriggered();

    int Fd = -1;
    TState State = TState::Idle;
    QHostAddress RemoteAddress;      // null = unresolved
    QList<QHostAddress> Candidates;  // what the host name stands for, in order
    bool FdIsIPv6 = false;           // Fd's family is AF_INET6, not AF_INET
    quint16 RemotePort = 0;
    qint32 FReportLevel = 0;
    bool FTextMode = false;
    bool NotificationsOff = false;  // switched off by a read while a cancel was pending
    bool AcceptAsLookup = true;
    bool InHandler = false;
    bool ReadDeferred = false;   // a read arrived while a handler ran
    bool WriteDeferred = false;  // a "write more" arrived while a handler ran
    bool WriteBlocked = false;   // the socket buffer was full; wait to be writable
    bool CountingOn = false;
    bool LookupFailed = false;
    int LookupId = -1;  // the running host lookup; -1 when none is awaited
    QList<QHostAddress> LookupAddresses;
    qint64 WireSentBytes = 0;      // every byte the socket took, for the time-out's progress
    qint64 WireReceivedBytes = 0;  // every byte received over TLS, handshake included
    // TLS: encrypted bytes the socket has not taken yet, the receive buffer,
    // and a send that waits for the handshake to end.
    QByteArray CipherOut;
    QByteArray WireIn;
    bool AwaitingHandshake = false;
    bool PeerCheckRequired = false;
    QByteArray RequiredPeerSha256;
    QString FTlsError;
    bool FTlsEstablished = false;
    TSendJob Sending;
    TCaptureJob Capture;
    QSocketNotifier* ReadNotifier = nullptr;
    QSocketNotifier* WriteNotifier = nullptr;
    TThreadTimer* Timer = nullptr;
};
