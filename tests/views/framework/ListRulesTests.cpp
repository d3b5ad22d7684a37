#include "views/framework/ListRules.h"

#include <gtest/gtest.h>

namespace {

struct TUniqueCase {
    const char* Name;
    const char* Format;
    QStringList Existing;
    const char* Expected;
};

TEST(ListRules, MakeUniqueNameNumbersPastEveryTakenName)
{
    const TUniqueCase cases[] = {
        {"new_directory", "_%d", {}, "new_directory"},
        {"new_directory", "_%d", {"new_directory"}, "new_directory_2"},
        {"new_directory", "_%d", {"new_directory", "new_directory_2"}, "new_directory_3"},
        // Taken in any letter case.
        {"new_directory", "_%d", {"NEW_DIRECTORY", "New_Directory_2"}, "new_directory_3"},
        {"new_directory", " (%d)", {"new_directory", "new_directory (2)"}, "new_directory (3)"},
        // A format without "%d" gets one appended; "%D" counts as one.
        {"copy", "-", {"copy"}, "copy-2"},
        {"copy", "[%D]", {"copy"}, "copy[2]"},
        {"", "_%d", {""}, "_2"},
    };
    for (const TUniqueCase& c : cases) {
        auto taken = [&](const QString& name) { return c.Existing.contains(name, Qt::CaseInsensitive); };
        EXPECT_EQ(TListRules::MakeUniqueName(c.Name, c.Format, taken), QString(c.Expected))
            << c.Name << " " << c.Format;
    }
}

struct TPrefixCase {
    const char* Text;
    int Start;
    bool Wrap;
    int Expected;
};

TEST(ListRules, FindPrefixMatchesBeginningsInAnyCaseFromStart)
{
    const QStringList names = {"alpha", "Beta", "ABC", "abcdef", "gamma", "Äpfel"};
    const TPrefixCase cases[] = {
        {"abc", 0, true, 2}, {"ABC", 3, true, 3},   {"abc", 4, true, 2},      {"abc", 4, false, -1},
        {"b", 2, true, 1},   {"beta", 0, false, 1}, {"betamax", 0, true, -1}, {"äPF", 0, true, 5},
        {"a", 6, true, 0},   {"a", 6, false, -1},   {"a", -3, false, 0},
    };
    auto nameAt = [&](int i) { return names[i]; };
    for (const TPrefixCase& c : cases)
        EXPECT_EQ(TListRules::FindPrefix(int(names.size()), nameAt, c.Text, c.Start, c.Wrap), c.Expected)
            << c.Text << " from " << c.Start;
    EXPECT_EQ(TListRules::FindPrefix(0, nameAt, "a", 0, true), -1);
    // Candidates refused by skip are passed over, also after wrapping.
    auto skipAlpha = [](int i) { return i == 0; };
    EXPECT_EQ(TListRules::FindPrefix(int(names.size()), nameAt, "a", 5, true, skipAlpha), 2);
}

TEST(ListRules, CompareItemsPutsDirectoriesFirstThenTheKey)
{
    const TItemInfo small{"b.txt", "Text", 10, 45000.5, {}};
    const TItemInfo big{"a.zip", "archive", 5'000'000'000ULL, 44000, {}};
    const TItemInfo folder{"z", "Folder", 0, 0, {}};
    for (TSortType key : {stName, stType, stSize, stDate}) {
        EXPECT_EQ(TListRules::CompareItems(true, folder, false, small, key), -1) << key;
        EXPECT_EQ(TListRules::CompareItems(false, small, true, folder, key), 1) << key;
        EXPECT_EQ(TListRules::CompareItems(false, small, false, small, key), 0) << key;
    }
    EXPECT_EQ(TListRules::CompareItems(false, big, false, small, stName), -1);
    EXPECT_EQ(TListRules::CompareItems(false, big, false, small, stType), -1);  // no case
    EXPECT_EQ(TListRules::CompareItems(false, big, false, small, stSize), 1);   // past 32 bits
    EXPECT_EQ(TListRules::CompareItems(false, big, false, small, stDate), -1);
    const TItemInfo upper{"README", "", 0, 0, {}};
    const TItemInfo lower{"readme", "", 0, 0, {}};
    EXPECT_NE(TListRules::CompareItems(false, upper, false, lower, stName), 0);
}

}  // namespace
