// The progress arithmetic and the names of the walk, from tables.
#include "transfer/TransferNames.h"
#include "transfer/TransferProgress.h"

#include <gtest/gtest.h>

namespace {

constexpr qint64 KiB = 1024;
constexpr qint64 GiB = KiB * KiB * KiB;

TEST(TransferProgress, TransferredLineRoundsHalvesToEvenAndNeverShowsZeroKilobytesOfAFile)
{
    const struct {
        qint64 Done, Expected;
        const char* Text;
    } cases[] = {
        {0, 0, "Transferred: 0 / 1 kB (0%)"},  // an empty file: a total of 1 kB, 0 %
        {1, 1, "Transferred: 1 / 1 kB (100%)"},
        {512, 512, "Transferred: 1 / 1 kB (100%)"},  // 0.5 kB rounds to 0, shown as 1
        {0, 512, "Transferred: 0 / 1 kB (0%)"},
        {512, 1536, "Transferred: 0 / 2 kB (33%)"},                         // 0.5 -> 0, 1.5 -> 2
        {2560, 2560, "Transferred: 2 / 2 kB (100%)"},                       // 2.5 -> 2
        {3584, 7168, "Transferred: 4 / 7 kB (50%)"},                        // 3.5 -> 4
        {5 * GiB / 2, 5 * GiB, "Transferred: 2621440 / 5242880 kB (50%)"},  // beyond 2 and 4 GiB
        {3 * GiB, 3 * GiB, "Transferred: 3145728 / 3145728 kB (100%)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TransferredText(c.Done, c.Expected).toStdString(), c.Text)
            << c.Done << " of " << c.Expected;
}

TEST(TransferProgress, PercentRoundsHalvesToEvenAndStaysWithinRange)
{
    const struct {
        qint64 Done, Expected;
        int Percent;
    } cases[] = {
        {0, 0, 0},
        {5, 0, 0},
        {1, 200, 0},      // 0.5 % -> 0
        {3, 200, 2},      // 1.5 % -> 2
        {5, 200, 2},      // 2.5 % -> 2
        {199, 200, 100},  // 99.5 % -> 100
        {300, 200, 100},  // more than announced never passes 100
        {GiB * 5, GiB * 10, 50},
        {std::numeric_limits<qint64>::max() / 2, std::numeric_limits<qint64>::max(), 50},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PercentDone(c.Done, c.Expected), c.Percent) << c.Done << " of " << c.Expected;
}

TEST(TransferProgress, TimeLeftAndDurationsShowHoursBeyondADay)
{
    const struct {
        qint64 Remaining;
        double Rate;  // bytes per millisecond
        const char* Text;
    } cases[] = {
        {0, 1, "Time left: 0:00:00"},
        {59'999, 1, "Time left: 0:00:59"},
        {3'600'000, 1, "Time left: 1:00:00"},
        {(27 * 3600 + 3 * 60 + 10) * 1000LL, 1, "Time left: 27:03:10"},  // not 3:03:10 of the next day
        {10 * GiB, 0.5, "Time left: 5965:13:56"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TimeLeftText(c.Remaining, c.Rate).toStdString(), c.Text) << c.Remaining;
}

TEST(TransferProgress, RateIsTheMeanOfTheSampleAndThePreviousRate)
{
    EXPECT_DOUBLE_EQ(SmoothedRate(4.0, 0), 4.0);  // the first sample stands alone
    EXPECT_DOUBLE_EQ(SmoothedRate(4.0, 2.0), 3.0);
    EXPECT_EQ(RateText(1.024).toStdString(), "Transfer rate: 1.0 kB/s");
    EXPECT_EQ(RateText(0).toStdString(), "Transfer rate: 0.0 kB/s");
}

TEST(TransferProgress, StatisticsCountOnlyThisRunOfTheFileIn64Bits)
{
    const struct {
        qint64 Expected, Offset, DurationMs;
        const char* Line;
    } cases[] = {
        {2048, 0, 1000, "Transferred: 2048 bytes. Transfer time: 0:00:01. Transfer rate: 2.0 kB/s"},
        {3072, 1024, 2000, "Transferred: 2048 bytes. Transfer time: 0:00:02. Transfer rate: 1.0 kB/s"},
        // No measurable time counts as a millisecond, not as a division by zero.
        {1024, 0, 0, "Transferred: 1024 bytes. Transfer time: 0:00:00. Transfer rate: 1000.0 kB/s"},
        {5 * GiB, 0, 100'000'000,
         "Transferred: 5368709120 bytes. Transfer time: 27:46:40. Transfer rate: 52.4 kB/s"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StatisticsLine(MakeStatistics(c.Expected, c.Offset, c.DurationMs)).toStdString(), c.Line);
}

TEST(TransferProgress, ItemsLeftAndIdleTexts)
{
    EXPECT_EQ(ItemsLeftText(1, 1).toStdString(), "1 file and 1 subdirectory left in the source directory");
    EXPECT_EQ(ItemsLeftText(0, 2).toStdString(), "0 files and 2 subdirectories left in the source directory");
    EXPECT_EQ(ItemsLeftText(3000000000LL, 0).toStdString(),
              "3000000000 files and 0 subdirectories left in the source directory");
    EXPECT_EQ(IdleText("Transferred: %d / %d kB (%d%s)").toStdString(), "Transferred:");
    EXPECT_EQ(IdleText("Transfer rate: %.1f kB/s").toStdString(), "Transfer");
    EXPECT_EQ(IdleText(" leading").toStdString(), "");
    EXPECT_EQ(IdleText("none").toStdString(), "");
}

TEST(TransferNames, OnlyPlainNamesBecomeLocalNames)
{
    const struct {
        QString Name;
        bool Safe;
    } cases[] = {
        {"a file.txt", true}, {"..hidden", true},
        {".", false},         {"..", false},
        {"", false},          {"a/b", false},
        {"/etc", false},      {QStringLiteral("a") + QChar(0) + "b", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSafeLocalName(c.Name), c.Safe) << c.Name.toStdString();
}

TEST(TransferNames, LocalPathsStepDownAndUp)
{
    EXPECT_EQ(ChildPath("/", "a").toStdString(), "/a");
    EXPECT_EQ(ChildPath("/home/u", "a b").toStdString(), "/home/u/a b");
    EXPECT_EQ(ParentPath("/home/u").toStdString(), "/home");
    EXPECT_EQ(ParentPath("/home").toStdString(), "/");
    EXPECT_EQ(WithoutTrailingSlash("/home/u//").toStdString(), "/home/u");
    EXPECT_EQ(WithoutTrailingSlash("/").toStdString(), "/");
}

}  // namespace
