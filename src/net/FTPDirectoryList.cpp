#include "net/FTPDirectoryList.h"

#include <cstring>

void TFTPDirectoryList::ParseLine(const QByteArray& line)
{
    Words = SplitWords(line);
}

void TFTPDirectoryList::ClearLists()
{
    AttributeList.clear();
    NameList.clear();
    DateList.clear();
    SizeList.clear();
}

QList<TFTPDirectoryList::TWord> TFTPDirectoryList::SplitWords(const QByteArray& line)
{
    // Each word is cut out in one piece: growing it a character at a time
    // made this the most expensive step of reading a long listing.
    QList<TWord> words;
    words.reserve(12);
    const char* const data = line.constData();
    const qsizetype size = line.size();
    qsizetype start = 0;
    for (;;) {
        const char* space = static_cast<const char*>(std::memchr(data + start, ' ', size_t(size - start)));
        const qsizetype end = space ? space - data : size;
        const qsizetype length = qMin<qsizetype>(end - start, MaxWordLength);
        words.append(TWord{length > 0 ? QByteArray(data + start, length) : QByteArray(), end});
        if (end == size) return words;
        start = end;
        while (start < size && data[start] == ' ')
            ++start;
        if (start == size) {
            words.append(TWord{QByteArray(), size});
            return words;
        }
    }
}
