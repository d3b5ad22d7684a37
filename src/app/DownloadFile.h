#pragma once
#include <QString>
#include <functional>

// How a downloaded file is opened once it has arrived.
enum TOpenMode { omNone = 0, omAssociated = 1, omNotepad = 2 };

// An action waiting for the end of a download: the file it concerns, and
// how to open it then. The main window binds the two openers.
class TDownloadFile {
public:
    // Set by the command that starts the download; Clear keeps it.
    TOpenMode OpenMode = omNone;
    QString FileName;  // the local path the download goes to
    bool Pending = false;

    // The desktop's program for the file, and the program's own text viewer;
    // each is false when the file could not be opened.
    std::function<bool(const QString& path)> OpenAssociated;
    std::function<bool(const QString& path)> OpenInViewer;

    void Clear();
    // Opens FileName as OpenMode says when it exists; a failure is shown in
    // a box. Pending ends either way.
    void OpenFile();
};
