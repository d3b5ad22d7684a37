// The texts of status panel 1, under an injected clock.
#include "app/SessionDisplay.h"

#include <gtest/gtest.h>

namespace {

struct TLengthCase {
    qint64 ElapsedMs;
    const char* Expected;
};

class SessionLengthTest : public ::testing::TestWithParam<TLengthCase> {};

TEST_P(SessionLengthTest, FormatsHoursWithoutLeadingZero)
{
    const QDateTime start(QDate(2024, 3, 30), QTime(23, 59, 30));
    const QDateTime now = start.addMSecs(GetParam().ElapsedMs);
    EXPECT_EQ(SessionLengthText(start, now), QString::fromLatin1(GetParam().Expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SessionLengthTest,
    ::testing::Values(TLengthCase{0, "Session length: 0:00:00"},
                      TLengthCase{999, "Session length: 0:00:00"},  // whole seconds only
                      TLengthCase{59'999, "Session length: 0:00:59"},
                      TLengthCase{(3600 + 2 * 60 + 3) * 1000LL, "Session length: 1:02:03"},
                      TLengthCase{(10 * 3600 + 59 * 60 + 59) * 1000LL, "Session length: 10:59:59"},
                      TLengthCase{(25 * 3600 + 5) * 1000LL, "Session length: 25:00:05"},
                      TLengthCase{-5000, "Session length: 0:00:00"}));

TEST(SessionDisplayTexts, RetryCountdownShowsTheSecondsLeft)
{
    EXPECT_EQ(RetryCountdownText(19), "19 seconds left to retry");
    EXPECT_EQ(RetryCountdownText(1), "1 seconds left to retry");
}

}  // namespace
