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
