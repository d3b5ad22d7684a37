#pragma once
#include <QByteArray>
#include <QByteArrayList>

// The listing result of the FTP client: every listing line (without its line
// end) goes to ParseLine, which appends the interesting words of the line to
// four parallel lists. Entries with the same index come from the same line.
// This base class only splits words; TFTPUnixList reads the Unix long form.
class TFTPDirectoryList {
public:
    static constexpr int MaxWordLength = 255;

    TFTPDirectoryList() = default;
    virtual ~TFTPDirectoryList() = default;

    virtual void ParseLine(const QByteArray& line);
    void ClearLists();

    QByteArrayList AttributeList;
    QByteArrayList NameList;
    QByteArrayList DateList;
    QByteArrayList SizeList;

protected:
    // Splits on runs of spaces (character 32 only; a tab is an ordinary
    // character). A leading space gives an empty first word, trailing spaces
    // an empty last word. Each word keeps at most MaxWordLength characters.
    static QByteArrayList SplitWords(const QByteArray& line);
};
