#pragma once
#include "net/ByteQueue.h"
#include "net/NetErrors.h"

#include <QEvent>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class QSocketNotifier;
class TThreadTimer;

using TNotifyEvent = std::function<void(QObject* sender)>;
using THandlerEvent = std::function<void(bool& handled)>;
using TOnStatus = std::function<void(QObject* sender, const QString& status)>;
using TOnHostResolved = std::function<void(QObject* sender)>;
using TOnErrorEvent = std::function<void(QObject* sender, quint16 errorCode, const QString& message)>;

// Status levels: what a ReportLevel lets through.
enum : int {
    slProtocol = 1,   // commands, replies, "Disconnected", byte counts
    slSocket = 4,     // socket actions
    slInternal = 8,   // internal steps
    slErrorCheck = 16 // error checks
};

// One TCP stream socket with blocking-looking operations built as pumped
// waits (connect, send a line, read a line, send or capture a file, accept).
// Readiness of the non-blocking socket arrives through QSocketNotifier; the
// two continuations ("write more", "read more") are posted events to self.
// Everything runs on the GUI thread; any handler may call Cancel on a wait.
class TSocketSession : public QObject {
public:
    // Posted continuation events, numbered as the private messages they stand for.
    static constexpr QEvent::Type MsgWriteMore = QEvent::Type(1127);
    static constexpr QEvent::Type MsgReadMore = QEvent::Type(1128);
    // The most one receive or send step moves.
    static constexpr int ChunkSize = 16383;

    explicit TSocketSession(QObject* owner = nullptr);
    ~TSocketSession() override;

    // Published properties.
    QString Host;
    qint32 Port = 0;
    qint32 TimeOut = 0;  // milliseconds for lookup and connection set-up; 0 = none
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
    static const QStringList& WinsockInfo();
    static int LiveSocketCount();

    // In text mode (set by the FTP client for "TYPE A" transfers) a captured
    // file stores LF for the wire's CR LF and a sent file sends CR LF for LF.
    void SetTextMode(bool on) { FTextMode = on; }
    bool TextMode() const { return FTextMode; }

    // Operations.
    virtual int Accept();
    virtual void Connect();
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
    void SendFile(const QString& path);
    void CaptureFile(const QString& path);
    void Listen(bool useLookupMessage);

    QString RemoteAddressText() const;
    QString LocalAddressForPort() const;
    QString PortSuffix() const;
    quint16 LocalPort() const;

    void RequestCloseSocket();
    // Replaces the listening socket by the connection Accept returned.
    void AdoptAcceptedSocket(int fd);
    // Linger on with time-out 0 resets the connection on close; off lets the
    // last bytes of an upload reach the peer.
    void SetResetOnClose(bool on);

    QString ErrorText(int code);

protected:
    void ReportStatus(int level, const QString& text);
    // Clears a pending cancel at the start of an operation, and switches
    // notifications back on if an earlier cancel switched them off.
    void ClearCancelRequest();
    void CheckError(int expected, int actual);
    bool event(QEvent* e) override;

    TByteQueue InputBuffer;
    // Called after a read notification stored data (the FTP client watches
    // for "421"/"426" replies through it).
    std::function<void()> DataArrivedHook;

    bool FConnected = false;
    bool FCancelRequested = false;
    bool FTimedOut = false;
    bool FLastEventOK = true;
    bool FLookupDone = false;
    qint16 FReplyCode = 0;
    QByteArray FLastReply;
    QString FLastStatus;
    qint32 FLastError = 0;
    qint64 FSentBytes = 0;
    qint64 FReceivedBytes = 0;
    qint64 FTotalBytes = 0;

private:
    enum class TState { Idle, Connecting, Connected, Listening };

    void CreateSocket(bool resetOnClose);
    void CloseSocketHandle();
    void SetNotifiersEnabled(bool read, bool write);
    void SwitchOffNotifications();
    void ReadNotification();
    void WriteNotification();
    void ConnectCompleted(int errorCode);
    void CloseNotification(int errorCode);
    void Dispatch(QEvent::Type message);
    void ReadToStream();
    void WriteFromStream();
    bool WriteFromFile();
    bool WriteFromBuffer();
    qint64 Receive(char* into, qint64 max, bool& closed, int& error);
    void StoreReceived(const char* bytes, qint64 count);
    void PostContinuation(QEvent::Type message);
    void ResolveHost();
    void TimerOn();
    void TimerOff();
    void TimerTriggered();
    void WaitFor(const std::function<bool()>& done);

    int Fd = -1;
    TState State = TState::Idle;
    quint32 RemoteAddress = 0;  // IPv4, host order; 0 = unresolved
    quint16 RemotePort = 0;
    qint32 FReportLevel = 0;
    bool FTextMode = false;
    bool NotificationsOff = false;
    bool AcceptAsLookup = true;
    bool AcceptFailed = false;
    bool InHandler = false;
    bool ReadDeferred = false;
    bool SendComplete = false;
    bool FileSendMode = false;
    bool CountingOn = false;
    bool Destroying = false;
    bool PendingCR = false;  // text-mode capture: a CR waiting to see if LF follows
    quint64 LookupGeneration = 0;
    bool LookupFailed = false;
    QByteArray OutputBuffer;
    QByteArray PendingWire;  // text-mode send: converted bytes not yet sent
    std::unique_ptr<QFile> SendSource;
    std::unique_ptr<QFile> CaptureTarget;
    QSocketNotifier* ReadNotifier = nullptr;
    QSocketNotifier* WriteNotifier = nullptr;
    TThreadTimer* Timer = nullptr;
};
