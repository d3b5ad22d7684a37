#include "net/FTPDirectoryList.h"

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
    QList<TWord> words(1);
    qsizetype pos = 0;
    while (pos < line.size()) {
        if (line[pos] == ' ') {
            words.last().End = pos;
            words.append(TWord{});
            while (pos < line.size() && line[pos] == ' ') ++pos;
        } else {
            if (words.last().Text.size() < MaxWordLength) words.last().Text.append(line[pos]);
            ++pos;
        }
    }
    words.last().End = line.size();
    return words;
}
