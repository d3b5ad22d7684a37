#include "platform/RemoteText.h"

namespace {

// Length of the valid UTF-8 sequence starting at p, or 0 when it is invalid.
int ValidSequenceLength(const unsigned char* p, qsizetype left)
{
    const unsigned char c = p[0];
    int len;
    char32_t min;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        min = 0x10000;
    } else
        return 0;
    if (left < len) return 0;
    char32_t cp = c & (0x7F >> len);
    for (int i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

}  // namespace

QString DecodeRemote(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const int len = ValidSequenceLength(p + i, n - i);
        if (len == 0) {
            text.append(QChar(char16_t(0xDC00 + p[i])));
            ++i;
        } else {
            text.append(QString::fromUtf8(reinterpret_cast<const char*>(p + i), len));
            i += len;
        }
    }
    return text;
}

QByteArray EncodeRemote(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype runStart = 0;
    auto flush = [&](qsizetype end) {
        if (end > runStart) bytes.append(QStringView(text).mid(runStart, end - runStart).toUtf8());
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        const bool escapedByte =
            u >= 0xDC80 && u <= 0xDCFF && (i == 0 || !QChar::isHighSurrogate(text.at(i - 1).unicode()));
        if (escapedByte) {
            flush(i);
            bytes.append(char(u - 0xDC00));
            runStart = i + 1;
        }
    }
    flush(text.size());
    return bytes;
}
