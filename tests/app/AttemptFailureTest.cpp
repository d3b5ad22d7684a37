// How failed connection attempts and lost sessions are worded.
#include "app/AttemptFailure.h"

#include <gtest/gtest.h>

namespace {

const QString Site = QStringLiteral("Mirror");

struct TAttemptCase {
    const char* Why;
    TAttemptFacts Facts;
    const char* Cause;
    const char* TextStart;
    bool MessageBox;
    bool RetryAllowed;
};

const TAttemptCase AttemptCases[] = {
    {"host lookup failed", {.InvalidHostSeen = true, .SocketError = 11001}, "Host not found",
     "Site \"Mirror\" could not be connected.\r\nEnsure that the site address is correct", true, false},
    {"login refused", {.LoginRejected = true}, "", "Invalid username or password", true, false},
    {"user cancelled", {.Cancelled = true, .ClosedBySite = true, .SocketError = 10061}, "", "Connecting cancelled", false, false},
    {"no answer in time", {.TimedOut = true, .ClosedBySite = true}, "Connection timed out",
     "The site didn't response in 30 seconds. Connection failed.", true, false},
    // The cause is in the text itself, which leaves the password alone.
    {"port refused", {.SocketError = 10061}, "",
     "Site \"Mirror\" could not be connected.\r\nConnection refused. Ensure that the site address and its port",
     true, true},
    {"no route", {.SocketError = 10065}, "",
     "Site \"Mirror\" could not be connected.\r\nNo route to Host. ", true, true},
    {"site closed it", {.ClosedBySite = true, .SocketError = 10054}, "",
     "Site \"Mirror\" could not be connected.\r\nThe site closed the connection.", true, true},
    {"anything else", {}, "",
     "Site \"Mirror\" could not be connected.\r\nEnsure that Internet connection is active check the username "
     "and password.",
     true, true},
};

TEST(AttemptFailure, EachKindOfFailureHasItsWordsAndItsRetry)
{
    for (const TAttemptCase& c : AttemptCases) {
        const TAttemptFailure failure = ClassifyFailedAttempt(c.Facts, Site);
        EXPECT_EQ(failure.Cause, QString::fromLatin1(c.Cause)) << c.Why;
        EXPECT_TRUE(failure.Text.startsWith(QString::fromLatin1(c.TextStart))) << c.Why << ": "
                                                                             << failure.Text.toStdString();
        EXPECT_EQ(failure.MessageBox, c.MessageBox) << c.Why;
        EXPECT_EQ(failure.RetryAllowed, c.RetryAllowed) << c.Why;
        EXPECT_EQ(failure.Cancelled, !c.MessageBox) << c.Why;
        if (c.Facts.SocketError || c.Facts.ClosedBySite) {
            EXPECT_FALSE(failure.Text.contains(QStringLiteral("password"))) << c.Why;
        }
    }
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
    for (const auto& c : cases) EXPECT_EQ(LostConnectionText(c.Facts), QString::fromLatin1(c.Line));
}

}  // namespace
