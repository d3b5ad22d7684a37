// The binary records keep their exact byte layout, so a store written by one
// version reads the same in another.
#include "settings/SettingsRecords.h"

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
}

QByteArray ShortText(const QByteArray& text)
{
    return char(text.size()) + text + QByteArray(75 - text.size(), '\0');
}

TEST(SettingsRecords, ConnectionLayoutIsLittleEndianWithLengthPrefixedTexts)
{
    TConnectionSettings connection;
    connection.Retries = 3;
    connection.RetryDelay = 0x01020304;
    connection.DefaultPort = -1;
    connection.ProxyPort = 8021;
    connection.UseProxy = true;
    connection.ProxyAddress = "proxy.example";
    connection.EmailAddress = QString::fromUtf8("j\xC3\xB6rg@example.org");

    const QByteArray expected = Bytes({3, 0, 0, 0, 4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0x55, 0x1F, 0, 0, 1}) +
                                ShortText("proxy.example") + ShortText("j\xC3\xB6rg@example.org");
    ASSERT_EQ(expected.size(), 169);
    EXPECT_EQ(PackConnection(connection).toHex(), expected.toHex());

    TConnectionSettings read;
    ASSERT_TRUE(UnpackConnection(expected, read));
    EXPECT_EQ(read, connection);
}

TEST(SettingsRecords, ConnectionReadsWhateverFollowsTheTextAsUndefined)
{
    QByteArray record = PackConnection(TConnectionSettings());
    record[17] = 3;
    record.replace(18, 5, "abcde");  // two bytes beyond the stated length
    TConnectionSettings read;
    ASSERT_TRUE(UnpackConnection(record, read));
    EXPECT_EQ(read.ProxyAddress, "abc");
    EXPECT_EQ(read.EmailAddress, "quilloftp@example.org");
}

TEST(SettingsRecords, ConnectionOfWrongSizeIsRefusedAndLeftAlone)
{
    const QByteArray record = PackConnection(TConnectionSettings{5, 6, 7, 8, true, "p", "e"});
    for (const QByteArray& damaged : {record.left(168), record + '\0', QByteArray()}) {
        TConnectionSettings read;
        read.Retries = 42;
        EXPECT_FALSE(UnpackConnection(damaged, read)) << damaged.size();
        EXPECT_EQ(read.Retries, 42);
        EXPECT_EQ(read.EmailAddress, "quilloftp@example.org");
    }
}

TEST(SettingsRecords, OverlongLengthByteReadsNoFurtherThanTheTextsRoom)
{
    QByteArray record = PackConnection(TConnectionSettings());
    record[17] = char(200);
    record.replace(18, 75, QByteArray(75, 'p'));
    TConnectionSettings read;
    ASSERT_TRUE(UnpackConnection(record, read));
    EXPECT_EQ(read.ProxyAddress, QString(75, 'p'));
    EXPECT_EQ(read.EmailAddress, "quilloftp@example.org");
}

TEST(SettingsRecords, LongTextIsCutAtACharacterBoundary)
{
    TConnectionSettings connection;
    connection.EmailAddress = QString(50, QChar(0xE9));  // 100 bytes of UTF-8
    const QByteArray record = PackConnection(connection);
    ASSERT_EQ(record.size(), 169);
    EXPECT_EQ(int(record[93]), 74);
    TConnectionSettings read;
    ASSERT_TRUE(UnpackConnection(record, read));
    EXPECT_EQ(read.EmailAddress, QString(37, QChar(0xE9)));
}

TEST(SettingsRecords, TextsInAnOlderEightBitRecordReadAsWindows1252)
{
    QByteArray record = PackConnection(TConnectionSettings());
    record.replace(93, 76, ShortText("j\xF6rg\x80@example.org"));
    TConnectionSettings read;
    ASSERT_TRUE(UnpackConnection(record, read));
    EXPECT_EQ(read.EmailAddress, QString::fromUtf8("j\xC3\xB6rg\xE2\x82\xAC@example.org"));
}

TEST(SettingsRecords, WindowSizeRecordsRoundTripByteForByte)
{
    const QByteArray mainSize = Bytes({0x7F, 2, 0, 0, 0xCD, 1, 0, 0, 1});
    qint32 width = 0, height = 0;
    bool maximized = false;
    ASSERT_TRUE(UnpackMainSize(mainSize, width, height, maximized));
    EXPECT_EQ(width, 639);
    EXPECT_EQ(height, 461);
    EXPECT_TRUE(maximized);
    EXPECT_EQ(PackMainSize(width, height, maximized), mainSize);

    const QByteArray siteList = Bytes({0xA9, 1, 0, 0, 0x42, 1, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF});
    qint32 selection = 0;
    ASSERT_TRUE(UnpackSiteList(siteList, width, height, selection));
    EXPECT_EQ(width, 425);
    EXPECT_EQ(height, 322);
    EXPECT_EQ(selection, -2);
    EXPECT_EQ(PackSiteList(width, height, selection), siteList);

    EXPECT_FALSE(UnpackMainSize(mainSize.left(8), width, height, maximized));
    EXPECT_FALSE(UnpackSiteList(siteList + '\0', width, height, selection));
}

TEST(SettingsRecords, TextExtensionLinesEndInCrLfAndReadAnyLineEnd)
{
    EXPECT_EQ(JoinTextExtensions({"txt", "md"}), "txt\r\nmd\r\n");
    EXPECT_EQ(SplitTextExtensions("txt\r\nmd\r\n"), QStringList({"txt", "md"}));
    EXPECT_EQ(SplitTextExtensions("a\rb\nc"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(SplitTextExtensions("a\r\n\r\nb\r\n"), QStringList({"a", "", "b"}));
    EXPECT_TRUE(SplitTextExtensions("").isEmpty());
}

}  // namespace
