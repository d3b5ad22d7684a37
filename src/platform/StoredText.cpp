#include "platform/StoredText.h"

#include <QStringDecoder>

namespace {

// Windows-1252 differs from Latin-1 only in 80h-9Fh. The five bytes that code
// page leaves undefined keep their C1 control code, as the system converter does.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString DecodeCp1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        text[i] = QChar(b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

// A stored field may begin with a byte-order mark; it is text, not a marker.
QStringDecoder Utf8Decoder()
{
    return QStringDecoder(QStringDecoder::Utf8,
                          QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
}

}  // namespace

QString DecodeStored(const QByteArray& bytes)
{
    QStringDecoder decoder = Utf8Decoder();
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? DecodeCp1252(bytes) : text;
}

QByteArray EncodeStored(const QString& text)
{
    return text.toUtf8();
}
