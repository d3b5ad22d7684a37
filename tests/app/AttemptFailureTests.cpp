// How failed connection attempts and lost sessions are worded.
#include "app/AttemptFailure.h"

#include <gtest/gtest.h>

namespace {

const QString Site = QStringLiteral("Mirror");

// The controller tests run these against real sockets; here the order of the
// conditions and the failures no socket test reaches.
TEST(AttemptFailure, UserCancelOutranksWhatTheSocketSaw)
{
    const TAttemptFailure failure =
        ClassifyFailedAttempt({.Cancelled = true, .ClosedBySite = true, .SocketError = 10061}, Site);
    EXPECT_EQ(failure.Text, "Connecting cancelled");
    EXPECT_FALSE(failure.MessageBox);
}

// A refused certificate is the user's decision: retrying would only ask
// again, and a box would repeat what was just answered. The engine ends the
// connection after it, which looks like a close by the site.
TEST(AttemptFailure, ARefusedCertificateIsNeverRetriedNorReportedInABox)
{
    for (const TAttemptFacts& facts : {TAttemptFacts{.CertificateRefused = true},
                                       TAttemptFacts{.ClosedBySite = true, .CertificateRefused = true},
                                       TAttemptFacts{.SocketError = 10054, .CertificateRefused = true}}) {
        const TAttemptFailure failure = ClassifyFailedAttempt(facts, Site);
        EXPECT_FALSE(failure.RetryAllowed);
        EXPECT_FALSE(failure.MessageBox);
        EXPECT_TRUE(failure.Text.contains(QStringLiteral("certificate"))) << failure.Text.toStdString();
    }
}

// Encryption that the site requires and the server refused will be refused
// again; the engine's words say what happened to the password.
TEST(AttemptFailure, ARefusedEncryptionIsNamedAndNotRetried)
{
    const QString why = QStringLiteral("The server refused to encrypt the connection; no password was sent");
    const TAttemptFailure failure = ClassifyFailedAttempt({.ClosedBySite = true, .TlsFailure = why}, Site);
    EXPECT_EQ(failure.Text, "Site \"Mirror\" could not be connected.\r\n" + why);
    EXPECT_FALSE(failure.RetryAllowed);
    EXPECT_TRUE(failure.MessageBox);
}

TEST(AttemptFailure, SocketFailuresNameTheirCauseAndMayBeRetried)
{
    for (const int code : {10051, 10054, 10065, 10061}) {
        const TAttemptFailure failure = ClassifyFailedAttempt({.SocketError = code}, Site);
        EXPECT_TRUE(failure.Text.contains(SocketErrorCause(code))) << code;
        EXPECT_FALSE(failure.Text.contains(QStringLiteral("password"))) << code;
        EXPECT_TRUE(failure.RetryAllowed) << code;
    }
    // Nothing known about the failure: the designed advice, password included.
    EXPECT_TRUE(ClassifyFailedAttempt({}, Site).Text.contains(QStringLiteral("password")));
}

TEST(AttemptFailure, LostSessionsNameWhatEndedThem)
{
    const struct {
        TLostConnectionFacts Facts;
        const char* Line;
    } cases[] = {
        {{false, 0}, "Connection lost: closed by the server"},
        {{false, 10054}, "Connection lost: Connection reset by peer"},
        {{true, 0}, "Connection lost: Connection timed out"},
        {{true, 10054}, "Connection lost: Connection timed out"},
        {{false, 12345}, "Connection lost: Unknown Error No. 12345"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LostConnectionText(c.Facts), QString::fromLatin1(c.Line));
}

}  // namespace
