// Remote names and stored texts: how bytes become text and back.
#include "platform/RemoteText.h"
#include "platform/StoredText.h"

#include <gtest/gtest.h>

namespace {

struct TTextCase {
    const char* What;
    QByteArray Bytes;
    QString Text;
};

QString Units(std::initializer_list<char16_t> units)
{
    QString text;
    for (char16_t u : units)
        text.append(QChar(u));
    return text;
}

// A byte of an invalid UTF-8 sequence, as a remote name carries it.
QChar Escaped(unsigned char byte)
{
    return QChar(char16_t(0xDC00 + byte));
}

}  // namespace

TEST(RemoteTextTest, DecodesValidUtf8AndEscapesEveryByteOfAnInvalidSequence)
{
    const TTextCase cases[] = {
        {"plain ASCII", "readme.txt", QStringLiteral("readme.txt")},
        {"two-byte sequence", "caf\xC3\xA9", QStringLiteral("caf\u00E9")},
        {"four-byte sequence", "\xF0\x9F\x98\x80.png", Units({0xD83D, 0xDE00}) + QStringLiteral(".png")},
        {"Latin-1 byte", "caf\xE9", QStringLiteral("caf") + Escaped(0xE9)},
        {"overlong slash",
         "a\xC0\xAF"
         "b",
         QStringLiteral("a") + Escaped(0xC0) + Escaped(0xAF) + u'b'},
        {"encoded surrogate", "\xED\xA0\x80", QString() + Escaped(0xED) + Escaped(0xA0) + Escaped(0x80)},
        {"cut off at the end", "x\xE2\x82", QStringLiteral("x") + Escaped(0xE2) + Escaped(0x82)},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80",
         QString() + Escaped(0xF4) + Escaped(0x90) + Escaped(0x80) + Escaped(0x80)},
        {"lead byte without its follower", "\xC3(", QString() + Escaped(0xC3) + u'('},
        {"empty", "", QString()},
    };
    for (const TTextCase& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(DecodeRemote(c.Bytes), c.Text);
        EXPECT_EQ(EncodeRemote(c.Text), c.Bytes) << "a name must go back to the server byte for byte";
    }
}

TEST(RemoteTextTest, EncodesACharacterWhoseLowSurrogateLooksLikeAnEscapeAsUtf8)
{
    // U+10480 is the pair D801 DC80: its second half is no escaped byte.
    const QString text = Units({0xD801, 0xDC80});
    EXPECT_EQ(EncodeRemote(text), QByteArray("\xF0\x90\x92\x80"));
    EXPECT_EQ(DecodeRemote(EncodeRemote(text)), text);
}

TEST(StoredTextTest, ReadsUtf8AndFallsBackToWindows1252ForOlderStores)
{
    const TTextCase cases[] = {
        {"UTF-8", "Caf\xC3\xA9", QStringLiteral("Caf\u00E9")},
        {"Windows-1252 letter", "Caf\xE9", QStringLiteral("Caf\u00E9")},
        {"euro sign", "\x80 5", QStringLiteral("\u20AC 5")},
        {"curly quotes", "\x93quoted\x94", QStringLiteral("\u201Cquoted\u201D")},
        {"last of the 80h-9Fh range", "\x9F", QStringLiteral("\u0178")},
        {"byte the code page leaves undefined", "\x81", Units({0x0081})},
        {"valid UTF-8 with one stray byte is all Windows-1252", "\xC3\xA9\xE9",
         QStringLiteral("\u00C3\u00A9\u00E9")},
        {"byte-order mark is kept as text",
         "\xEF\xBB\xBF"
         "abc",
         QStringLiteral("\uFEFFabc")},
        {"empty", "", QString()},
    };
    for (const TTextCase& c : cases) {
        SCOPED_TRACE(c.What);
        const QString text = DecodeStored(c.Bytes);
        EXPECT_EQ(text, c.Text);
        EXPECT_EQ(EncodeStored(text), text.toUtf8()) << "texts are always written as UTF-8";
        EXPECT_EQ(DecodeStored(EncodeStored(text)), text) << "what was written reads back unchanged";
    }
}
