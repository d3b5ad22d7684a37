// Encrypted sessions of TFtpClient (RFC 4217): TLS on the control
// connection, explicit ("AUTH TLS" after the greeting) or implicit (from
// the first byte), the server's certificate, and "PBSZ 0"/"PROT P" so that
// listings and files are encrypted as well.
#include "net/FtpClient.h"

#include "net/FtpReply.h"

void TFtpClient::SecureControlConnection()
{
    FSession.TlsSessions = std::make_shared<TTlsSessionPool>();
    StartTls(TlsHostName(), {}, FSession.TlsSessions);
    WaitForTlsHandshake();
    AcceptCertificate();
}

bool TFtpClient::NegotiateTls()
{
    ReportStatus(slProtocol, QStringLiteral("AUTH TLS"));
    Transaction("AUTH TLS");
    if (FReplyCode == 234) {
        // The server speaks TLS from here on. Clear text that came after
        // its "yes" would be read as if it had come encrypted: someone
        // between us and the server may have put it there.
        if (!WaitingInput().isEmpty())
            BreakOffTls(
                QStringLiteral("The server sent more after agreeing to encrypt the connection: "
                               "someone may be interfering with it"));
        SecureControlConnection();
        return true;
    }
    if (FReplyCode / 100 != 4 && FReplyCode / 100 != 5)
        BreakOffTls(
            QStringLiteral("The server answered \"AUTH TLS\" with \"%1\", which is neither yes nor no")
                .arg(FtpReply::Text(FLastReply)));
    if (Encryption == TFtpEncryption::RequireExplicit)
        throw ETlsError(QStringLiteral("The server refused to encrypt the connection (\"%1\"), and this site "
                                       "requires encryption; no password was sent")
                            .arg(FtpReply::Text(FLastReply)));
    ReportStatus(slProtocol, QStringLiteral("Warning: the server does not offer encryption; this session, "
                                            "password included, is not encrypted"));
    return false;
}

void TFtpClient::BreakOffTls(const QString& message)
{
    // Like any broken reply stream, but named for what failed: encryption,
    // which retrying would not mend.
    QuitWithoutWaiting();
    throw ETlsError(message);
}

void TFtpClient::AcceptCertificate()
{
    const TTlsChannel& channel = *Tls;
    ReportStatus(slProtocol, QStringLiteral("The connection is encrypted (%1)").arg(TlsDescription()));
    const TCertificateInfo certificate = channel.PeerCertificate();
    if (!channel.Verified()) {
        const QString problem = channel.VerifyErrorText();
        ReportStatus(
            slProtocol,
            QStringLiteral("The certificate of %1 could not be verified: %2").arg(TlsHostName(), problem));
        // Nothing secret has gone out yet: the user's answer decides whether it will.
        if (!OnUntrustedCertificate || !OnUntrustedCertificate(certificate, problem))
            throw ECertificateRefused(
                QStringLiteral("The certificate of %1 was not trusted; the connection was closed")
                    .arg(TlsHostName()));
        // The question may have taken long: a Stop meanwhile counts.
        if (FCancelRequested || !FConnected) throw EAbortError(QStringLiteral("Connection Canceled"));
    }
    FSession.CertificateSha256 = certificate.Sha256;
    Tls->Trust();  // its sessions may be resumed now
}

void TFtpClient::ProtectDataConnections()
{
    if (!Encrypted()) return;
    // RFC 4217, 9: "PBSZ 0" must precede "PROT"; "PROT P" encrypts every
    // data connection of the session.
    ReportStatus(slProtocol, QStringLiteral("PBSZ 0"));
    Transaction("PBSZ 0");
    if (FReplyCode / 100 == 2) {
        ReportStatus(slProtocol, QStringLiteral("PROT P"));
        Transaction("PROT P");
    }
    FSession.DataProtected = FReplyCode / 100 == 2;
    if (FSession.DataProtected) return;
    if (Encryption != TFtpEncryption::ExplicitIfAvailable)
        throw ETlsError(QStringLiteral("The server refused to encrypt data connections (\"%1\"), and this "
                                       "site requires encryption")
                            .arg(FtpReply::Text(FLastReply)));
    ReportStatus(slProtocol, QStringLiteral("Warning: the server refused to encrypt data connections; "
                                            "listings and files travel unencrypted"));
}

void TFtpClient::SecureDataConnection()
{
    if (!FSession.DataProtected) return;
    TSocketSession& data = *FData.Connection;
    // Servers may insist that the data connection resumes the control
    // connection's session (RFC 4217, 10.2). Over TLS 1.3 each ticket is
    // good for one connection, and tickets arrive after the handshakes, so
    // one is taken now from those the session has collected.
    data.RequirePeerCertificate(FSession.CertificateSha256);
    data.StartTls(TlsHostName(), FSession.TlsSessions->Take(), FSession.TlsSessions);
    // Nothing moves before the peer is known to be the server (an empty
    // upload would not even wait for it).
    data.WaitForTlsHandshake();
}

void TFtpClient::CheckDataTls() const
{
    if (!FSession.DataProtected || !FData.Connection || !FData.DataConnected) return;
    const TSocketSession& data = *FData.Connection;
    if (!data.TlsErrorText().isEmpty())
        throw ETlsError(QStringLiteral("The encrypted data connection failed: %1").arg(data.TlsErrorText()));
}
