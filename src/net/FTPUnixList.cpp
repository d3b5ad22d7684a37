#include "net/FTPUnixList.h"

#include <array>

namespace {

constexpr qsizetype MinWords = 8;
// Word 5: the earliest the date can start, in a line without a group column.
constexpr qsizetype FirstDateWord = 4;

bool AllDigits(QByteArrayView text)
{
    if (text.isEmpty()) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// The value of a run of at most two digits (checked by the caller); the
// general number conversion costs more than the rest of a line's parse.
int SmallNumber(QByteArrayView digits)
{
    int value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

bool IsDay(const QByteArray& word)
{
    if (word.size() > 2 || !AllDigits(word)) return false;
    const int day = SmallNumber(word);
    return day >= 1 && day <= 31;
}

// '12:30', '9:05' or '9.05' (some servers write a dot).
bool IsTime(const QByteArray& word)
{
    const qsizetype sep = word.indexOf(':') >= 0 ? word.indexOf(':') : word.indexOf('.');
    if (sep < 1 || sep > 2 || word.size() != sep + 3) return false;
    const QByteArrayView hour = QByteArrayView(word).first(sep);
    const QByteArrayView minute = QByteArrayView(word).sliced(sep + 1);
    return AllDigits(hour) && AllDigits(minute) && SmallNumber(hour) <= 23 && SmallNumber(minute) <= 59;
}

bool IsYear(const QByteArray& word)
{
    return word.size() == 4 && AllDigits(word);
}

}  // namespace

int TFTPUnixList::MonthNumber(QByteArrayView word)
{
    static constexpr std::array<const char*, 12> Months = {"jan", "feb", "mar", "apr", "may", "jun",
                                                           "jul", "aug", "sep", "oct", "nov", "dec"};
    if (word.size() != 3) return 0;
    for (size_t i = 0; i < Months.size(); ++i)
        if (qstrnicmp(word.data(), Months[i], 3) == 0) return int(i) + 1;
    return 0;
}

void TFTPUnixList::ParseLine(const QByteArray& line)
{
    TFTPDirectoryList::ParseLine(line);
    const qsizetype n = Words.size();
    if (n < MinWords) return;
    const qsizetype month = FindDateRun(line);
    if (month >= 0) {
        Append(Words[0].Text, Words[month - 1].Text, DateText(month), line.mid(Words[month + 2].End + 1));
    } else {
        Append(Words[0].Text, Words[n - 5].Text, DateText(n - 4), Words[n - 1].Text);
    }
}

qsizetype TFTPUnixList::FindDateRun(const QByteArray& line) const
{
    for (qsizetype i = FirstDateWord; i + 2 < Words.size(); ++i) {
        const QByteArray& last = Words[i + 2].Text;
        // A run that leaves no name behind it is not the date of this line.
        const bool nameFollows = Words[i + 2].End + 1 < line.size();
        if (nameFollows && MonthNumber(Words[i].Text) && IsDay(Words[i + 1].Text) &&
            (IsTime(last) || IsYear(last)))
            return i;
    }
    return -1;
}

QByteArray TFTPUnixList::DateText(qsizetype monthWord) const
{
    const QByteArray& month = Words[monthWord].Text;
    const QByteArray& day = Words[monthWord + 1].Text;
    const QByteArray& last = Words[monthWord + 2].Text;
    QByteArray text;
    text.reserve(month.size() + day.size() + last.size() + 2);
    text.append(month).append(' ').append(day).append(' ').append(last);
    if (text.size() > MaxWordLength) text.truncate(MaxWordLength);
    return text;
}

void TFTPUnixList::Append(const QByteArray& attributes, const QByteArray& size, const QByteArray& date,
                          const QByteArray& name)
{
    NameList.append(name);
    SizeList.append(size);
    DateList.append(date);
    AttributeList.append(attributes);
}
