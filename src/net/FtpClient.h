#pragma once
#include "net/FTPDirectoryList.h"
#include "net/FtpEncryption.h"
#include "net/FtpFeatures.h"
#include "net/SocketSession.h"

#include <memory>

// The command type carried by the outcome events. Callers compare the numbers.
enum TCmdType : quint8 {
    ctChangeDir = 0,
    ctMakeDir = 1,
    ctDeleteFile = 2,
    ctRemoveDir = 3,
    ctList = 4,
    ctRename = 5,
    ctReserved6 = 6,
    ctReserved7 = 7,
    ctDownload = 8,
    ctUpload = 9,
    ctReserved10 = 10,
    ctReserved11 = 11,
    ctReserved12 = 12,
    ctReserved13 = 13,
    ctCommand = 14,
    ctCurrentDir = 15,
};

// Server system codes held in Vendor.
enum : qint32 {
    vnUnix = 2400,
    vnDos = 2401,
    vnVm = 2402,
    vnMacOs = 2404,
    vnVms = 2406,
    vnMvs = 2408,
    vnOther = 2410,
    vnNotDetected = 2411,
    vnWindowsNT = 2412,
    vnOs400 = 2414,
    vnNetware = 2416,
};

using TFailureEvent = std::function<void(bool& handled, TCmdType transType)>;
using TSuccessEvent = std::function<void(TCmdType transType)>;
using TUnsupportedEvent = std::function<void(TCmdType transType)>;
using TListItemEvent = std::function<void(const QByteArray& listing)>;

// The FTP client: the socket session is the control connection. Every
// operation reports its steps as status texts and its outcome as OnSuccess or
// OnFailure; a failure raises FTPException unless an OnFailure handler sets
// Handled. Listings, downloads and uploads run over a short-lived data
// connection: passive (the client connects to the server) or active (the
// client listens, the server connects), see PassiveMode.
//
// Command texts and remote names are bytes on the wire. A text that contains
// CR, LF or a zero byte, or a command longer than MaxCommandLength, is refused
// with EInvalidCommand before anything is sent. A reply line without a valid
// code raises EProtocolError and ends the session.
class TFtpClient : public TSocketSession {
public:
    // Write sends at most 16384 bytes in one step, line end included.
    static constexpr qsizetype MaxCommandLength = 16384 - 2;
    // How long Disconnect, and so the destructor, waits for the answer to "QUIT".
    static constexpr int QuitReplyWaitMs = 3000;

    explicit TFtpClient(QObject* owner = nullptr);
    ~TFtpClient() override;

    QByteArray UserID;
    QByteArray Password;
    qint32 Vendor = vnNotDetected;
    bool ParseList = false;
    // How data connections open: passive, the client connects to the address
    // the server names ("EPSV", then "PASV"); active, the server connects back
    // to the client ("PORT", or "EPRT" on IPv6).
    bool PassiveMode = true;
    // Listings use "LIST" even where the server offers "MLSD".
    bool ForceList = false;
    // Whether and how the session is encrypted; see TFtpEncryption. The
    // engine is plain unless asked; the program asks per site.
    TFtpEncryption Encryption = TFtpEncryption::PlainOnly;
    // Asked when the system's trusted authorities do not vouch for the
    // server's certificate for Host (self-signed, unknown issuer, another
    // name, expired); problem is the verification's complaint. True goes on
    // with it; false ends the connection with ECertificateRefused, never
    // falling back to plain FTP. Without a handler the certificate is refused.
    std::function<bool(const TCertificateInfo& certificate, const QString& problem)> OnUntrustedCertificate;

    TNotifyEvent OnConnect;  // login completed
    TNotifyEvent OnTransactionStart;
    TNotifyEvent OnTransactionStop;
    THandlerEvent OnAuthenticationNeeded;
    THandlerEvent OnAuthenticationFailed;  // kept for callers; never fired
    TFailureEvent OnFailure;
    TSuccessEvent OnSuccess;
    TListItemEvent OnListItem;
    TUnsupportedEvent OnUnSupportedFunction;

    void Connect() override;
    void Disconnect() override;
    QByteArray Transaction(const QByteArray& command) override;
    void Abort() override;

    void SendCommand(const QByteArray& command);
    // Keeps an idle session open: sends "NOOP" without protocol lines or
    // outcome events. False when the server did not answer it with 2xx.
    bool KeepAlive();
    void ChangeDirectory(const QByteArray& path);
    void MakeDirectory(const QByteArray& path);
    void DeleteFile(const QByteArray& path);
    void RemoveDirectory(const QByteArray& path);
    void RenameFile(const QByteArray& oldName, const QByteArray& newName);
    QByteArray CurrentDirectory();
    void SetTransferType(int type);  // 1 "TYPE A", 2 "TYPE I", 3 "TYPE L 8"

    void ListDirectory();
    // An empty local path names the file after the remote name in the current
    // folder; a name that cannot be a file name raises EUnsafeName first. An
    // existing file is replaced only once the new one is complete. With
    // expectedSize (the size a listing gave) a binary download that brings
    // fewer bytes fails.
    void RetrieveFile(const QByteArray& remoteName, const QString& localPath, qint64 expectedSize = -1);
    void StoreFile(const QString& localPath, const QByteArray& remoteName);
    // Uploads localPath over the existing remote file remoteName without
    // destroying it first: the bytes go to a temporary name in the same remote
    // folder, which is renamed over remoteName once the upload is complete.
    // The events are StoreFile's: one outcome (ctUpload) for the whole of it,
    // after the temporary file has been removed again on a failure.
    void StoreFileReplacing(const QString& localPath, const QByteArray& remoteName);
    // After a StoreFileReplacing that failed: the old file had already been
    // deleted (the server would not rename onto it), and the new one stays
    // under its temporary name. Empty otherwise.
    QByteArray StrandedUpload() const { return FStrandedUpload; }

    // What the server answered to "FEAT" after the login; nothing before
    // that, and nothing from an earlier connection.
    const TFtpFeatures& Features() const { return FSession.Features; }
    // RFC 2640: names travel as UTF-8 ("OPTS UTF8 ON" went out after "FEAT").
    bool Utf8Offered() const { return FSession.Features.Has("UTF8"); }
    // RFC 3659: "MLST" in "FEAT" promises "MLSD" as well.
    bool MlsdOffered() const { return FSession.Features.Has("MLST"); }
    // Listings and files are encrypted too ("PROT P" was accepted).
    bool DataEncrypted() const { return Encrypted() && FSession.DataProtected; }

    TFTPDirectoryList* DirectoryList() const { return FDirectoryList.get(); }
    TSocketSession* DataConnection() const { return FData.Connection.get(); }
    qint64 DataReceivedBytes() const;
    qint64 DataSentBytes() const;
    // True while the last "TYPE" the client set successfully was "TYPE A".
    bool AsciiTransfers() const { return FAsciiTransfers; }

    static TCmdType CommandType(const QByteArray& command);
    static qint64 ParseByteCount(const QByteArray& line);
    // The file size a preliminary reply announces as "(N bytes)"; -1 when it
    // announces none that can be trusted.
    static qint64 AnnouncedByteCount(const QByteArray& line, bool textType);
    static qint32 VendorFromSystemReply(const QByteArray& reply);
    // The path between the first two double quotes of a "PWD" reply.
    static QByteArray QuotedPath(const QByteArray& reply);
    // The hidden name in remoteName's folder under which StoreFileReplacing
    // uploads: ".<name>.qftp-part-<random as 16 hex digits>", with <name>
    // cut to MaxTemporaryBaseLength bytes (at a UTF-8 character boundary).
    static QByteArray TemporaryUploadName(const QByteArray& remoteName, quint64 random);
    static constexpr qsizetype MaxTemporaryBaseLength = 64;

protected:
    // The failure procedure for a reply judged a failure (line, by default
    // the last reply). Returns when an OnFailure handler set Handled; raises
    // FTPException otherwise.
    void Failure(TCmdType type, bool unsupportedCheck) { Failure(type, unsupportedCheck, FLastReply); }
    void Failure(TCmdType type, bool unsupportedCheck, const QByteArray& line);
    // Validates the first line of a reply and reads the rest of it; onLine
    // sees each further line.
    void ReadContinuation(const QByteArray& first,
                          const std::function<void(const QByteArray&)>& onLine = nullptr);
    // Closes the session after a reply line without a valid code; raises EProtocolError.
    [[noreturn]] void BreakOff(const QByteArray& line);
    // Ends the session over a reply that cannot be read to its end.
    [[noreturn]] void BreakOffWith(const QString& message);
    // The unread input, without copying it.
    QByteArray WaitingInput() const;
    void DropStaleInput();
    void CheckAbortReply();
    // Refuses a text that would put a second line on the control connection.
    static void CheckCommandText(const QByteArray& text);
    // Clears a pending cancel and makes sure there is a connection.
    bool BeginOperation();
    // Raises EUnsafeName unless the remote name can name a file in a folder.
    static void CheckLocalName(const QByteArray& remoteName);

    // What a download may check its byte count against: the server's first
    // byte belongs at RestOffset, and the whole file has WholeSize bytes
    // (-1 = not known).
    struct TSizeCheck {
        qint64 RestOffset = 0;
        qint64 WholeSize = -1;
    };
    void RetrieveChecked(const QByteArray& remoteName, const QString& localPath, TSizeCheck check);
    // Called once the data connection is set up ("PORT" answered, or the
    // passive connection made), right before the transfer command
    // of a listing, download or upload goes out.
    virtual void BeforeTransferCommand(TCmdType /*type*/) {}

private:
    enum class TDataOp { List, Download, Upload };

    void ReadGreeting();
    // Encryption (FtpTls.cpp): the TLS steps of the login and the
    // protection of each data connection.
    QString TlsHostName() const { return Proxy.isEmpty() ? Host : Proxy; }
    void SecureControlConnection();
    // "AUTH TLS"; false when the server refused and the session may go on in clear text.
    bool NegotiateTls();
    void AcceptCertificate();
    [[noreturn]] void BreakOffTls(const QString& message);
    void ProtectDataConnections();
    void SecureDataConnection();
    // Raises ETlsError when the data connection's encryption failed.
    void CheckDataTls() const;
    void AskFeatures();
    // Asks for the file mode among the listing facts where it is offered.
    void AskForFileModes();
    // Listings go by "MLSD" now: offered, not forced off, not refused.
    bool UseMlsd() const { return MlsdOffered() && !ForceList && !FSession.MlsdRefused; }
    // Sends "MLSD" or "LIST"; false when refused. A refused "MLSD" runs no
    // failure procedure: refusedMlsd is set instead, for "LIST" to follow.
    bool SendListCommand(const QByteArray& verb, bool* refusedMlsd);
    QByteArray UserCommand() const;
    void CheckLoginTexts() const;
    void LogIn();
    [[noreturn]] void RefuseLogin(const QString& message);
    void QuitWithoutWaiting();
    // Sends "QUIT" and reads its answer if all of it comes within waitMs.
    bool SendQuit(int waitMs);
    void UpdateTransferType(const QByteArray& command);
    bool ControlCancelledOrTimedOut() const { return FCancelRequested || FTimedOut; }

    void RunDataOperation(TDataOp op, TCmdType type, const std::function<bool()>& sendTransferCommand,
                          const QString& localPath, TSizeCheck check);
    bool TransferData(TDataOp op, TCmdType type, const std::function<bool()>& sendTransferCommand,
                      const QString& localPath);
    bool SendRetrieveCommand(const QByteArray& remoteName);
    static qint64 LocalFileSize(const QString& path);
    void PrepareListParser();
    void UseListParser(bool mlsd);
    // The data connection's set-up (FtpDataChannel.cpp): passive, connected
    // before the transfer command, or active, listening with "PORT"/"EPRT"
    // answered.
    void OpenDataConnection(TCmdType type);
    // Connects passively; false when the server refuses passive mode.
    bool OpenPassive();
    // Asks "EPSV" or "PASV": the port (and the address "PASV" named), or 0
    // when the server refused (transient: with a 4xx) or named no port.
    quint16 AskPassive(const QByteArray& command, QHostAddress& named, bool& transient);
    void ConnectPassive(const QHostAddress& named, quint16 port);
    void ListenActive(TCmdType type);
    // The control connection runs over IPv6: "EPSV"/"EPRT" only (RFC 2428).
    bool ControlIsIPv6() const;
    void CloseRefusedDataConnection();
    void SendPort(TCmdType type);
    // False when the server refused before connecting (failure procedure run).
    bool AcceptDataConnection(TCmdType type);
    // A whole reply line of 4xx/5xx, or one without a code, is waiting on the
    // control connection.
    bool RefusalWaiting() const;
    void TakeRefusal();
    void ReceiveListing();
    void DeliverListingLine(QByteArray line);
    void FinishDataOperation(TDataOp op);
    QByteArray ReadFinalReply();
    bool AbortReplyWaiting() const;
    // False when a failure was handled by OnFailure.
    bool JudgeDataOperation(TDataOp op, TCmdType type);
    void CheckDataComplete() const;
    void NoteAnnouncedSize(const QByteArray& line);
    void PrepareDownloadTarget(const QString& localPath);
    void CommitDownload();
    void DiscardPartialDownload();
    void AfterFailedTransfer(TDataOp op, int replyWaitMs);
    // After a data connection that stalled and was closed: the answer to the
    // transfer command is awaited like any reply.
    void AfterStalledTransfer();
    void TakeLateAnswer();
    void DrainAfterAbort(int waitMs = 950);

    // StoreFileReplacing's steps (FtpReplacingUpload.cpp).
    enum class TRenameResult { Done, FromRefused, ToRefused };
    bool MoveUploadIntoPlace(const QByteArray& temp, const QByteArray& name, bool& originalDeleted);
    TRenameResult QuietRename(const QByteArray& from, const QByteArray& to);
    // Sends one command with its protocol lines but without outcome events.
    void QuietCommand(const QByteArray& command);
    void RemoveTemporaryUpload(const QByteArray& temp, bool replyMayFollow) noexcept;
    void AbandonUpload(const QByteArray& temp, bool originalDeleted, bool replyMayFollow) noexcept;
    void FailReplacement(const QByteArray& line, qint16 code, bool unsupportedCheck);

    // What this session learned about the server; each connection starts afresh.
    struct TSessionTraits {
        TFtpFeatures Features;
        bool MlsdRefused = false;  // then "LIST" for the rest of the session
        // The certificate the control connection accepted, and whether
        // data connections are encrypted too ("PROT P" accepted).
        QByteArray CertificateSha256;
        bool DataProtected = false;
        // What data connections resume (shared with the channels that fill it).
        std::shared_ptr<TTlsSessionPool> TlsSessions;
    };
    TSessionTraits FSession;

    std::unique_ptr<TFTPDirectoryList> FDirectoryList;
    bool FAsciiTransfers = false;

    // One listing, download or upload; a new one starts from a fresh value.
    struct TDataOperation {
        std::unique_ptr<TSocketSession> Connection;
        bool PhaseStarted = false;   // the transfer command was accepted
        bool DataConnected = false;  // the server's data connection was accepted
        // Whether the server ended the transfer through the control
        // connection: by a "421"/"426" reply, or by closing it.
        enum class TEnd { None, AbortReply, ControlClosed };
        TEnd EndedByServer = TEnd::None;
        QByteArray FinalReply;  // the reply read after the data phase, if any
        TSizeCheck Check;
        qint64 AnnouncedSize = -1;  // see AnnouncedByteCount
        int DataError = 0;          // the socket error that ended the data connection
        QString CapturePath;        // where a download's bytes go
        QString ReplacedPath;       // the file CapturePath replaces once complete
        bool CommandSent = false;   // the transfer command went out
        bool Succeeded = false;
        bool Passive = false;  // we connected to the server, before the command
    };
    TDataOperation FData;

    // What this session learnt about passive mode; forgotten at each login.
    struct TPassiveState {
        bool EpsvRefused = false;     // the next data connection asks "PASV" at once
        bool PassiveRefused = false;  // active mode for the rest of the session
    };
    TPassiveState FPassive;

    // While StoreFileReplacing runs its upload, that upload's outcome is held
    // back here: the caller hears one outcome, once the file is in place or
    // the temporary file is gone again.
    struct THeldOutcome {
        bool Active = false;
        bool Failed = false;
        bool UnsupportedCheck = false;
        QByteArray Line;
        qint16 Code = 0;
    };
    THeldOutcome FHeld;
    // Abort also ends a wait of the rename that follows such an upload.
    bool FRenamingUpload = false;
    QByteArray FStrandedUpload;

    void EndTransferForServer(TDataOperation::TEnd why);
};
