#include "app/AttemptFailure.h"

TAttemptFailure ClassifyFailedAttempt(const TAttemptFacts& facts, const QString& siteName)
{
    if (facts.InvalidHostSeen)
        return {QStringLiteral("Site \"%1\" could not be connected.\r\nEnsure that the site address "
                               "is correct and Internet connection is active.")
                    .arg(siteName),
                true, false, false};
    if (facts.LoginRejected) return {QStringLiteral("Invalid username or password"), true, false, false};
    if (facts.Cancelled) return {QStringLiteral("Connecting cancelled"), false, false, true};
    if (facts.TimedOut)
        return {QStringLiteral("The site didn't response in 30 seconds. %1").arg(QStringLiteral("Connection failed.")),
                true, false, false};
    return {QStringLiteral("Site \"%1\" could not be connected.\r\nEnsure that Internet connection is "
                           "active check the username and password.")
                .arg(siteName),
            true, true, false};
}
