#pragma once
#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

// A scripted FTP server on 127.0.0.1 (port chosen by the system) for the
// engine's tests. It runs in a thread of its own on poll-based POSIX sockets,
// so it answers while the client under test pumps the Qt event loop on the
// main thread. One control connection at a time; after a close it accepts
// the next. Every member is thread-safe; a setter takes effect from the next
// command it concerns.
//
// A verb is a command's first word, upper-cased ("RETR"). Raw texts go out
// exactly as given: a multi-line reply is several lines in one text.
// After "PORT", LIST, MLSD, RETR and STOR connect back to its address (loopback
// addresses only; otherwise "425"). After an accepted "PASV" or "EPSV" the
// server listens on 127.0.0.1, and the next transfer takes the client's
// connection there instead. A scripted 2xx reply to them may say "{p1},{p2}"
// or "{port}" for the port it listens on.
class ScriptedFtpServer {
public:
    ScriptedFtpServer();
    // Stops the thread promptly, whatever it is waiting for.
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    quint16 Port() const { return FPort; }

    // --- Script ---
    void SetGreeting(const QByteArray& raw);
    // The standing reply to a verb, and one-shot replies used in order before
    // it. For LIST, RETR and STOR this is the preliminary reply: one that is
    // not 1xx is sent alone and no data connection is made.
    void SetReply(const QByteArray& verb, const QByteArray& raw);
    void QueueReply(const QByteArray& verb, const QByteArray& raw);
    // The reply after a transfer (default "226 Transfer complete").
    void SetFinalReply(const QByteArray& verb, const QByteArray& raw);
    void QueueFinalReply(const QByteArray& verb, const QByteArray& raw);
    // What LIST or RETR sends; RETR after an accepted "REST n" starts at n.
    void SetData(const QByteArray& verb, const QByteArray& data);

    // --- Faults: each applies once, to the next occasion it names ---
    // The next transfer sends its preliminary reply and never connects back.
    void SkipNextConnectBack();
    // Once the next transfer has moved `bytes` data bytes, `raw` goes out on
    // the control connection; with stopTransfer the data connection closes
    // there and no final reply follows.
    // With closeControl the control connection is shut down right after raw.
    void SendControlAfterBytes(qint64 bytes, const QByteArray& raw, bool stopTransfer,
                               bool closeControl = false);
    // The next transfer closes its data connection after `bytes` bytes (a
    // peer that quits early); the final reply follows as usual.
    void CloseDataAfterBytes(qint64 bytes);
    // The next transfer moves `bytes` data bytes and then neither sends nor
    // reads, with the data connection open, until the client closes it; then
    // "426" follows on the control connection, or nothing when !answer.
    void StallDataAfterBytes(qint64 bytes, bool answer = true);
    // Closes the control connection when `verb` arrives: at once, or right
    // after its reply (the final one, for a transfer) when replyFirst.
    void CloseControlOn(const QByteArray& verb, bool replyFirst = false);
    // The next `verb` gets no reply at all, and the connection stays open
    // (a server that hangs).
    void IgnoreNext(const QByteArray& verb);
    // Extra raw lines sent right after the next (final) reply to `verb`.
    void SendAfterReply(const QByteArray& verb, const QByteArray& raw);
    // Sends now on the control connection; false when no client is connected.
    bool SendRaw(const QByteArray& raw);
    // The next transfer resets its data connection (RST, not an orderly
    // close) after `bytes` bytes; the final reply follows as usual.
    void ResetDataAfterBytes(qint64 bytes);

    // --- Observation ---
    // Every line received, without CR LF, in order, as received.
    QByteArrayList Commands() const;
    // Commands() with each PORT line as "PORT *".
    QByteArrayList MaskedCommands() const;
    bool WaitForCommandCount(int count, int timeoutMs) const;
    QString LastPortAddress() const;
    quint16 LastPortPort() const;
    qint64 LastRestOffset() const;
    // The bytes of the last STOR, as received (a REST before it moves nothing).
    QByteArray Uploaded() const;
    int ConnectionCount() const;

private:
    struct ReplyBook {
        std::map<QByteArray, QByteArrayList> queued;
        std::map<QByteArray, QByteArray> standing;
        QByteArray Take(const QByteArray& verb, const QByteArray& fallback);
    };
    struct TransferFaults {
        bool skipConnect = false;
        qint64 controlAfter = -1;
        QByteArray controlRaw;
        bool stopAtControl = false;
        bool closeAtControl = false;
        qint64 closeAfter = -1;
        qint64 stallAfter = -1;
        bool answerAfterStall = true;
        bool resetAtClose = false;
    };
    struct TransferPlan {
        TransferFaults faults;
        QByteArray payload;
        QByteArray address;
        quint16 port = 0;
        int passiveFd = -1;  // listening for the client's connection; owned
    };
    enum class TOutcome { Done, Stopped, Broken };

    void Run();
    void Serve(int fd);
    bool ReadLine(int fd, QByteArray& buffer, QByteArray& line);
    bool HandleCommand(const QByteArray& line);
    void Dispatch(const QByteArray& verb, const QByteArray& argument);
    void HandlePort(const QByteArray& argument);
    void HandlePassive(const QByteArray& verb, const QByteArray& argument);
    // The client's connection to the passive port; -1 when none came in time.
    int AcceptPassive(const TransferPlan& plan);
    void HandleRest(const QByteArray& argument);
    void RunTransfer(const QByteArray& verb);
    TransferPlan TakePlan(const QByteArray& verb);
    TOutcome SendPayload(int fd, const TransferPlan& plan);
    TOutcome ReceiveUpload(int fd, const TransferPlan& plan);
    TOutcome Stall(int fd, const TransferFaults& faults);
    template <class Move>
    TOutcome MoveWithFaults(const TransferFaults& faults, qint64 length, Move move);
    QByteArray TakeReply(const QByteArray& verb, const QByteArray& argument);
    // Sends raw, then any extra lines scripted after a reply to verb.
    void Answer(const QByteArray& verb, const QByteArray& raw);
    void SendControl(const QByteArray& raw);

    int FListenFd = -1;
    int FWake[2] = {-1, -1};
    quint16 FPort = 0;
    std::atomic<bool> FStop{false};

    mutable std::mutex FMutex;
    mutable std::condition_variable FCommandArrived;
    QByteArray FGreeting = "220 Scripted server ready\r\n";
    ReplyBook FReplies;
    ReplyBook FFinalReplies;
    std::map<QByteArray, QByteArray> FData;
    std::map<QByteArray, QByteArray> FAfterReply;
    std::map<QByteArray, bool> FCloseOn;  // verb -> reply first
    std::set<QByteArray> FIgnored;
    TransferFaults FFaults;
    QByteArrayList FCommands;
    QByteArray FPortAddress;
    quint16 FPortPort = 0;
    int FPassiveFd = -1;  // the listener of the last "PASV"/"EPSV"; server thread only
    qint64 FRestOffset = 0;
    qint64 FPendingRest = 0;
    QByteArray FUploaded;
    int FConnections = 0;

    // Guards writes on, and the closing of, the control connection.
    std::mutex FSendMutex;
    int FControlFd = -1;

    std::thread FThread;
};
