#pragma once
#include <QString>

// What the controller saw of a failed connection attempt.
struct TAttemptFacts {
    bool InvalidHostSeen = false;
    bool LoginRejected = false;
    bool Cancelled = false;
    bool TimedOut = false;
    bool ClosedBySite = false;  // the site ended the attempt
    // The classic socket error number of a failure at the socket level
    // (refused, unreachable, reset); 0 when the attempt failed otherwise.
    int SocketError = 0;
    // The server's certificate was refused (by the user, or for want of
    // one): a decision, not a failure of the network, so it is never
    // retried. It decides right after Cancelled.
    bool CertificateRefused = false;
    // Why the encryption the site asks for failed or was refused, in the
    // engine's words (they say whether the password went out); empty when
    // it did not. Retrying would meet the same server: it decides next.
    QString TlsFailure = {};
};

// How a failed attempt is reported: a line naming its cause for the log
// (empty when Text names it or there is none), the error line for the log
// and the message box, whether a message box belongs to it, and whether the
// attempt may be retried. The first condition that holds decides, in the
// order of TAttemptFacts (CertificateRefused and TlsFailure come right after Cancelled).
struct TAttemptFailure {
    QString Cause;
    QString Text;
    bool MessageBox = true;
    bool RetryAllowed = false;
    bool Cancelled = false;
};

TAttemptFailure ClassifyFailedAttempt(const TAttemptFacts& facts, const QString& siteName);

// The log's words for a classic socket error number ("Connection refused").
QString SocketErrorCause(int code);

// What ended a session that nobody asked to end.
struct TLostConnectionFacts {
    bool TimedOut = false;
    int SocketError = 0;  // the error the connection closed with; 0: closed in order
};

// The error line for a session the server or the network ended.
QString LostConnectionText(const TLostConnectionFacts& facts);
