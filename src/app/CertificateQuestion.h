#pragma once
#include <QString>

class TCertificateTrust;
struct TCertificateInfo;

// A server whose certificate the system's authorities do not vouch for.
struct TCertificateRequest {
    QString Host;
    quint16 Port = 0;
    QString Problem;          // why the verification failed ("self-signed certificate")
    bool Unattended = false;  // nobody is there to ask
};

// What became of it.
struct TCertificateVerdict {
    bool Accepted = false;
    // For the log: an information line when accepted, an error line when not.
    QString LogLine;
    // The line an unattended run ends with; empty when someone could be asked.
    QString UnattendedFailure;
    bool StoreFailed = false;  // "always trust" could not be written down
};

// Decides on a certificate the authorities did not vouch for: the one stored
// for the server is trusted without a question; otherwise the user is asked
// (a changed one with a warning that says so), and nobody is asked in an
// unattended run, which refuses it. Every refusal ends the connection, and
// never falls back to plain FTP.
TCertificateVerdict DecideOnCertificate(TCertificateTrust& trust, const TCertificateRequest& request,
                                        const TCertificateInfo& certificate);

// The questions' texts, CR LF between lines.
QString UnknownCertificateText(const TCertificateRequest& request, const TCertificateInfo& certificate);
QString ChangedCertificateText(const TCertificateRequest& request, const TCertificateInfo& certificate,
                               const QString& oldFingerprint);
