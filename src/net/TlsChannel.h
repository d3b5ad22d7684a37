#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>

#include "net/TlsSessionPool.h"

struct bio_st;
struct ssl_st;
struct ssl_session_st;

// What a user needs to decide whether to trust a server's certificate.
struct TCertificateInfo {
    QString Subject;
    QString Issuer;
    QDateTime ValidFrom;  // UTC
    QDateTime ValidTo;    // UTC
    QByteArray Sha256;    // of the DER form, 32 bytes; empty without a certificate
    // "AB:CD:..." as people compare fingerprints.
    QString Fingerprint() const;
};

// A TLS session that can be resumed by a later channel (TTlsSession): FTP
// servers often insist that the data connection resumes the control
// connection's session (RFC 4217, 10.2: it proves both come from the same
// client).

// The client side of one TLS connection, kept apart from its socket: bytes
// read from the socket go in through FeedCipher and what must be written to
// the socket comes out of TakeCipher; the application's bytes go in through
// Write and come out of TakePlain. Nothing here blocks or touches a socket,
// so the session's pumped waits stay in charge of time limits and Stop.
//
// The certificate is verified against the system's trusted authorities and
// the host name, but a failed verification does not end the handshake: the
// caller reads Verified() and the certificate and decides (a stored trust,
// or the user) before it sends anything that matters.
class TTlsChannel {
public:
    enum class TState { Handshaking, Open, Closed, Failed };
    // At most this much decrypted input waits for TakePlain; more fails the
    // channel (a server must not fill our memory).
    static constexpr qsizetype MaxPlainBacklog = 4 * 1024 * 1024;

    // hostName is checked against the certificate (a name or an IP address).
    // With a session, the channel offers to resume it; sessions the server
    // hands out go to pool, when given.
    explicit TTlsChannel(const QString& hostName, const TTlsSession& resume = {},
                         std::shared_ptr<TTlsSessionPool> pool = {});
    ~TTlsChannel();
    TTlsChannel(const TTlsChannel&) = delete;
    TTlsChannel& operator=(const TTlsChannel&) = delete;

    TState State() const { return FState; }
    // Why the channel failed, for the log.
    QString ErrorText() const { return FError; }

    void FeedCipher(const QByteArray& bytes);
    QByteArray TakeCipher();
    void Write(const QByteArray& plain);
    QByteArray TakePlain();
    // Sends close_notify; the peer's close_notify makes the state Closed.
    void Shutdown();

    bool Verified() const;
    // The verification's complaint ("self-signed certificate", "hostname
    // mismatch", ...); empty when Verified().
    QString VerifyErrorText() const;
    TCertificateInfo PeerCertificate() const;
    QString ProtocolName() const;  // "TLSv1.3"
    QString CipherName() const;
    TTlsSession Session() const;
    bool SessionReused() const;

    // OpenSSL's call when the server hands out a session: it goes to the pool.
    static int SessionHandedOut(ssl_st* ssl, ssl_session_st* session);

private:
    void Advance();
    void Fail(const QString& why);
    void ReadPlain();
    void FlushPendingWrites();

    std::shared_ptr<TTlsSessionPool> FPool;
    ssl_st* FSsl = nullptr;
    bio_st* FNetworkIn = nullptr;   // what the socket gave us
    bio_st* FNetworkOut = nullptr;  // what the socket must send
    TState FState = TState::Handshaking;
    QString FError;
    QByteArray FPlainIn;
    QByteArray FPlainOutPending;  // written before the handshake ended
};
