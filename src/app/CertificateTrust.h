#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>

// What the trust store knows of a server's certificate.
enum class TCertificateTrustState { Unknown, Trusted, Changed };

// The certificates the user chose to always trust, by "host:port": a SHA-256
// fingerprint each, kept in a small text file of its own ("host:port HEX" a
// line). A server that shows the stored certificate is trusted without a
// question; one that shows another is reported as changed.
class TCertificateTrust {
public:
    // A file larger than this is no store of ours: it is not read, and
    // nothing is written over it.
    static constexpr qint64 MaxFileSize = 1024 * 1024;

    // Reads fileName; a missing file is an empty store.
    explicit TCertificateTrust(const QString& fileName);

    // "host:port" with the host in lower case and an IPv6 address in
    // brackets, so that one server has one entry however it was typed.
    static QString Key(const QString& host, quint16 port);

    TCertificateTrustState Lookup(const QString& host, quint16 port, const QByteArray& sha256) const;
    // The stored fingerprint (32 bytes), empty when none.
    QByteArray Stored(const QString& host, quint16 port) const;
    // Stores (or replaces) the entry and writes the file; false when the
    // file could not be written (the entry then holds for this run only).
    bool Trust(const QString& host, quint16 port, const QByteArray& sha256);
    // Trusts the certificate until ForgetSessionTrust, without writing it
    // down: "trust once" holds for the reconnects and data connections of
    // the session it was given for, not for the next one.
    void TrustForSession(const QString& host, quint16 port, const QByteArray& sha256);
    void ForgetSessionTrust() { SessionEntries.clear(); }

    QString FileName() const { return FFileName; }

private:
    void Load();
    bool Save() const;

    QString FFileName;
    QHash<QString, QByteArray> Entries;
    QHash<QString, QByteArray> SessionEntries;
    bool Writable = true;  // false when the file on disk was refused
};
