#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>
#include <vector>

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
    // At most this much input waits to be read; more fails the channel (a
    // server must not fill our memory).
    static constexpr qsizetype MaxInputBacklog = 4 * 1024 * 1024;

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
    // Appends what TakeCipher would return to out (no buffer of its own).
    void AppendCipher(QByteArray& out);
    // Nothing is written before the handshake is over: the caller must
    // have decided about the certificate first. False when refused.
    bool Write(const QByteArray& plain);
    // Decrypts up to room bytes of input into into; 0 when no more can be
    // read now (State() tells whether the peer closed or the channel failed).
    qsizetype ReadPlain(char* into, qsizetype room);
    // Everything ReadPlain can give now.
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

    // The caller trusts the peer: the sessions it handed out, and those it
    // hands out from now on, go to the pool (a rejected peer's never do:
    // resuming one would skip the certificate check).
    void Trust();
    // The caller refuses the peer: the channel fails and decrypts nothing more.
    void Reject(const QString& why) { Fail(why); }

    // OpenSSL's call when the server hands out a session: it goes to the pool.
    static int SessionHandedOut(ssl_st* ssl, ssl_session_st* session);

private:
    void Advance();
    void Fail(const QString& why);
    void SetPeerName(const QString& hostName);

    std::shared_ptr<TTlsSessionPool> FPool;
    ssl_st* FSsl = nullptr;
    bio_st* FNetworkIn = nullptr;   // what the socket gave us
    bio_st* FNetworkOut = nullptr;  // what the socket must send
    TState FState = TState::Handshaking;
    QString FError;
    // Sessions handed out before the caller trusted the peer.
    std::vector<TTlsSession> FUntrustedSessions;
    bool FTrusted = false;
    bool FPeerNameSet = false;  // the certificate is checked against the host
};
