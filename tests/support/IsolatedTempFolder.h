#pragma once
#include <QTemporaryDir>
#include <QtGlobal>

// Points the system's temporary folder (TMPDIR) at a fresh empty folder for
// its lifetime, so files the resumable client keeps there never meet those
// of another run, another test or the machine's own.
class IsolatedTempFolder {
public:
    IsolatedTempFolder() : FHadPrevious(qEnvironmentVariableIsSet("TMPDIR")), FPrevious(qgetenv("TMPDIR"))
    {
        if (FFolder.isValid()) qputenv("TMPDIR", FFolder.path().toLocal8Bit());
    }
    ~IsolatedTempFolder()
    {
        if (FHadPrevious)
            qputenv("TMPDIR", FPrevious);
        else
            qunsetenv("TMPDIR");
    }
    IsolatedTempFolder(const IsolatedTempFolder&) = delete;
    IsolatedTempFolder& operator=(const IsolatedTempFolder&) = delete;

    bool IsValid() const { return FFolder.isValid(); }
    QString Path() const { return FFolder.path(); }

private:
    QTemporaryDir FFolder;  // made in the machine's folder, before TMPDIR moves
    bool FHadPrevious;
    QByteArray FPrevious;
};
