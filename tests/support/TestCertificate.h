#pragma once
#include <QByteArray>
#include <QString>

// What a test server speaks: plain FTP, FTP with "AUTH TLS" (RFC 4217), or
// TLS from the first byte on its own port.
enum class TTestTls { Plain, Explicit, Implicit };

// A key and a self-signed certificate made at test time, so that no test
// carries a private key in the source tree and none expires.
struct TTestCertificate {
    QByteArray CertificatePem;
    QByteArray KeyPem;

    // An EC P-256 key and a certificate valid from an hour ago for a day,
    // with commonName as its subject and subject alternative names for
    // "localhost", 127.0.0.1 and ::1.
    static TTestCertificate Make(const QString& commonName);
    // For real servers started by a test: the certificate and the key
    // in the PEM files they read.
    bool WriteTo(const QString& certificatePath, const QString& keyPath) const;
    // The SHA-256 of the certificate's DER form (32 bytes) and the same as
    // "AB:CD:...", to compare with what a client was shown.
    QByteArray Sha256() const;
    QString Fingerprint() const;
};
