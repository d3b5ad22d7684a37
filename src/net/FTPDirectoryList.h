#pragma once
#include <QByteArray>
#include <QByteArrayList>
#include <QList>

// The listing result of the FTP client: every listing line (without its line
// end) goes to ParseLine, which appends the interesting words of the line to
// four parallel lists. Entries with the same index come from the same line.
// This base class only splits words; TFTPUnixList reads the Unix long form.
class TFTPDirectoryList {
public:
    static constexpr int MaxWordLength = 255;

    TFTPDirectoryList() = default;
    virtual ~TFTPDirectoryList() = default;

    // Fills Words from the line; appends nothing to the lists.
    virtual void ParseLine(const QByteArray& line);
    void ClearLists();

    QByteArrayList AttributeList;
    QByteArrayList NameList;
    QByteArrayList DateList;
    QByteArrayList SizeList;

protected:
    struct TWord {
        QByteArray Text;    // at most MaxWordLength characters of the word
        qsizetype End = 0;  // offset just past the whole word in its line
    };

    // Splits on runs of spaces (character 32 only; a tab is an ordinary
    // character). A leading space gives an empty first word, trailing spaces
    // an empty last word; any line, even an empty one, has at least one word.
    static QList<TWord> SplitWords(const QByteArray& line);

    QList<TWord> Words;  // the word table of the last line parsed
};
