#pragma once
#include "net/FTPDirectoryList.h"

// Reads 'permissions links owner group size month day time-or-year name'.
// The name is the rest of the line after the date, spaces included; a link's
// name list entry holds its whole 'name -> target' text.
class TFTPUnixList : public TFTPDirectoryList {
public:
    void ParseLine(const QByteArray& line) override;
};
