#pragma once
#include <QString>

// What the controller saw of a failed connection attempt.
struct TAttemptFacts {
    bool InvalidHostSeen = false;
    bool LoginRejected = false;
    bool Cancelled = false;
    bool TimedOut = false;
};

// How a failed attempt is reported: the error line for the log (and the
// message box), whether a message box belongs to it, and whether the attempt
// may be retried. The first condition that holds decides, in the order of
// TAttemptFacts.
struct TAttemptFailure {
    QString Text;
    bool MessageBox = true;
    bool RetryAllowed = false;
    bool Cancelled = false;
};

TAttemptFailure ClassifyFailedAttempt(const TAttemptFacts& facts, const QString& siteName);
