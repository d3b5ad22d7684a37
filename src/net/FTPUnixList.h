#pragma once
#include "net/FTPDirectoryList.h"

#include <QByteArrayView>

// Reads 'permissions links owner group size month day time-or-year name'.
// The date is the first run of three words 'month day time-or-year' at word 5
// or later; the size is the word before it and the name is the rest of the
// line after the single space that follows it, spaces included (a link's name
// list entry holds its whole 'name -> target' text). A line without such a run
// is read from its end: name, then date, then size. Lines of fewer than eight
// words give nothing.
class TFTPUnixList : public TFTPDirectoryList {
public:
    void ParseLine(const QByteArray& line) override;

    // 1 to 12 for a three-letter English month abbreviation in any case, else 0.
    static int MonthNumber(QByteArrayView word);

private:
    // Index into Words of the month word of the date run, or -1.
    qsizetype FindDateRun(const QByteArray& line) const;
    QByteArray DateText(qsizetype monthWord) const;
    void Append(const QByteArray& attributes, const QByteArray& size, const QByteArray& date,
                const QByteArray& name);
};
