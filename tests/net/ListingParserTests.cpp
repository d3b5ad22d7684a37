#include "net/FTPUnixList.h"
#include "net/ListingSamples.h"

#include <gtest/gtest.h>

namespace {

QByteArrayList ListedColumn(const char* TListingSample::*column)
{
    QByteArrayList values;
    for (const TListingSample& row : ListingSamples)
        if (row.Name) values.append(row.*column);
    return values;
}

TEST(ListingParser, ReadsEachSampleLine)
{
    for (const TListingSample& row : ListingSamples) {
        SCOPED_TRACE(row.Line);
        TFTPUnixList list;
        list.ParseLine(row.Line);
        if (!row.Name) {
            EXPECT_TRUE(list.NameList.isEmpty() && list.SizeList.isEmpty() && list.DateList.isEmpty() &&
                        list.AttributeList.isEmpty());
            continue;
        }
        EXPECT_EQ(list.AttributeList, QByteArrayList{row.Attributes});
        EXPECT_EQ(list.SizeList, QByteArrayList{row.Size});
        EXPECT_EQ(list.DateList, QByteArrayList{row.Date});
        EXPECT_EQ(list.NameList, QByteArrayList{row.Name});
    }
}

// The client feeds one object a whole listing: the four lists must stay in
// step across lines that give nothing, and ClearLists starts the next listing.
TEST(ListingParser, KeepsListsInStepOverAWholeListing)
{
    TFTPUnixList list;
    for (const TListingSample& row : ListingSamples)
        list.ParseLine(row.Line);
    EXPECT_EQ(list.AttributeList, ListedColumn(&TListingSample::Attributes));
    EXPECT_EQ(list.SizeList, ListedColumn(&TListingSample::Size));
    EXPECT_EQ(list.DateList, ListedColumn(&TListingSample::Date));
    EXPECT_EQ(list.NameList, ListedColumn(&TListingSample::Name));

    list.ClearLists();
    list.ParseLine(ListingSamples[0].Line);
    EXPECT_EQ(list.NameList, QByteArrayList{ListingSamples[0].Name});
    EXPECT_EQ(list.AttributeList.size() + list.SizeList.size() + list.DateList.size(), 3);
}

// Words are cut at 255 characters, a name read after the date is not; a name
// read from the end of the line is one word and is cut.
TEST(ListingParser, CutsWordsButNotTheNameAfterTheDate)
{
    const QByteArray longName(300, 'n');
    TFTPUnixList list;
    list.ParseLine("-rw-r--r-- 1 u g 1 Jan 1 2000 " + longName);
    list.ParseLine("-rw-r--r-- 1 u g 1 2000-01-01 00:00 " + longName);
    ASSERT_EQ(list.NameList.size(), 2);
    EXPECT_EQ(list.NameList[0], longName);
    EXPECT_EQ(list.NameList[1], longName.left(TFTPDirectoryList::MaxWordLength));
}

}  // namespace
