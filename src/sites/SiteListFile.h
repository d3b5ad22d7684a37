#pragma once
#include "sites/SiteListFormat.h"

#include <QByteArray>
#include <QString>
#include <functional>

// Where the site list lives: "Sites.dat" beside the program when one is
// already there (portable use), otherwise in the user's data folder.
QString DefaultSiteListFileName();

// The site list's file on disk. A write never touches the file in place:
// the new list goes into a temporary file beside it, which replaces the file
// only when complete, and the version it replaces stays as ".bak". The file
// holds passwords, so all of them are readable by the owner alone. A file
// that changed on disk since this object read or wrote it (another running
// copy of the program) is replaced only when OnChangedOnDisk agrees.
class TSiteListFile {
public:
    explicit TSiteListFile(const QString& fileName);

    const QString& FileName() const { return FFileName; }
    QString BackupName() const { return FFileName + QStringLiteral(".bak"); }
    QString DamagedName() const { return FFileName + QStringLiteral(".damaged"); }

    enum TReadResult { rrMissing, rrOpenFailed, rrRead };
    TReadResult Read(QByteArray& bytes);
    // The list read was damaged: the file as read is copied to DamagedName
    // before the first write replaces it.
    void KeepDamagedCopy() { DamagedCopyPending = true; }

    // Asked before replacing a file that changed on disk; true replaces it.
    std::function<bool()> OnChangedOnDisk;
    // Told where the damaged file was copied.
    std::function<void(const QString& copy)> OnDamagedCopy;
    // feCreate: no temporary file could be made; feWrite: writing or
    // replacing failed. Either way the file on disk is as it was.
    std::function<void(TFileError error)> OnFileError;

    // True when the file now holds bytes.
    bool Write(const QByteArray& bytes);

private:
    // What is on disk: missing, unreadable or these bytes.
    struct TDiskState {
        enum { dsMissing, dsUnreadable, dsRead } Kind = dsMissing;
        QByteArray Bytes;
        bool operator==(const TDiskState& other) const
        {
            return Kind != dsUnreadable && Kind == other.Kind && Bytes == other.Bytes;
        }
    };
    TDiskState ReadDisk() const;
    bool KeepDamaged();

    QString FFileName;
    TDiskState Known;  // as this object last read or wrote it
    bool DamagedCopyPending = false;
};
