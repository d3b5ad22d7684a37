#pragma once
#include "views/tree/DirContents.h"

#include <QString>

// One directory of an exported tree: its name, what it holds, and its full
// path when the producer knows it. It owns its contents.
class TDirectory {
public:
    explicit TDirectory(QString name = {});

    // No subdirectories and no files.
    bool IsEmpty() const;

    QString Name;
    QString Path;
    TDirContents Contents;
};
