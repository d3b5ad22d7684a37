#include "app/AttemptFailure.h"

#include "net/SocketErrorText.h"

TAttemptFailure ClassifyFailedAttempt(const TAttemptFacts& facts, const QString& siteName)
{
    if (facts.InvalidHostSeen)
        return {SocketErrorCause(seHostNotFound),
                QStringLiteral("Site \"%1\" could not be connected.\r\nEnsure that the site address "
                               "is correct and Internet connection is active.")
                    .arg(siteName),
                true, false, false};
    if (facts.LoginRejected) return {{}, QStringLiteral("Invalid username or password"), true, false, false};
    if (facts.Cancelled) return {{}, QStringLiteral("Connecting cancelled"), false, false, true};
    // The refusal was just decided, and logged, where it was made.
    if (facts.CertificateRefused)
        return {{},
                QStringLiteral("Site \"%1\" could not be connected.\r\nIts certificate is not trusted.")
                    .arg(siteName),
                false,
                false,
                false};
    if (!facts.TlsFailure.isEmpty())
        return {{},
                QStringLiteral("Site \"%1\" could not be connected.\r\n%2").arg(siteName, facts.TlsFailure),
                true,
                false,
                false};
    if (facts.TimedOut)
        return {SocketErrorCause(seConnectionTimedOut),
                QStringLiteral("The site didn't response in 30 seconds. %1")
                    .arg(QStringLiteral("Connection failed.")),
                true, false, false};
    if (facts.ClosedBySite)
        return {{},
                QStringLiteral("Site \"%1\" could not be connected.\r\nThe site closed the connection.")
                    .arg(siteName),
                true,
                true,
                false};
    // Nothing reached the login: the user name and password are not to blame,
    // the address, its port or the network are.
    if (facts.SocketError)
        return {{},
                QStringLiteral("Site \"%1\" could not be connected.\r\n%2. Ensure that the site address "
                               "and its port are correct and Internet connection is active.")
                    .arg(siteName, SocketErrorCause(facts.SocketError)),
                true,
                true,
                false};
    return {{},
            QStringLiteral("Site \"%1\" could not be connected.\r\nEnsure that Internet connection is "
                           "active check the username and password.")
                .arg(siteName),
            true,
            true,
            false};
}

QString SocketErrorCause(int code)
{
    // The engine's table reads "10061:Connection refused"; the number means
    // nothing to the user.
    const QString text = SocketErrorText(code);
    const QString prefix = QString::number(code) + QLatin1Char(':');
    return text.startsWith(prefix) ? text.mid(prefix.size()) : text;
}

QString LostConnectionText(const TLostConnectionFacts& facts)
{
    if (facts.TimedOut)
        return QStringLiteral("Connection lost: %1").arg(SocketErrorCause(seConnectionTimedOut));
    if (facts.SocketError)
        return QStringLiteral("Connection lost: %1").arg(SocketErrorCause(facts.SocketError));
    return QStringLiteral("Connection lost: closed by the server");
}
