#pragma once
#include "sites/SiteListFormat.h"

#include <QByteArray>
#include <QString>
#include <functional>

// Where the site list lives: "Sites.dat" beside the program when one is
// already there (portable use), otherwise in the user's data folder.
QString DefaultSiteListFileName();

// The largest site list file read. A list of thousands of sites takes a few
// megabytes; anything bigger is not a site list, and reading it whole would
// only tie up memory.
inline constexpr qint64 MaxSiteListFileSize = 16 * 1024 * 1024;

// The site list's file on disk. A write never touches the file in place:
// the new list goes into a temporary file beside it, which replaces the file
// only when complete, and the version it replaces stays as ".bak" (no write
// goes ahead without that backup). The file holds passwords, so all of them
// are readable by the owner alone. A file that changed on disk since this
// object read or wrote it (another running copy of the program) is replaced
// only when OnChangedOnDisk agrees; one that cannot be read (or is no
// regular file, or too large) is never replaced.
class TSiteListFile {
public:
    explicit TSiteListFile(const QString& fileName);

    const QString& FileName() const { return FFileName; }
    QString BackupName() const { return FFileName + QStringLiteral(".bak"); }

    enum TReadResult { rrMissing, rrOpenFailed, rrRead };
    TReadResult Read(QByteArray& bytes);
    // Why the last Read gave rrOpenFailed.
    TFileError ReadError() const { return Known.Error; }
    // The list read was damaged: the file as read is copied beside it
    // (".damaged", or ".damaged.2" and so on when an earlier copy is there)
    // before the first write replaces it.
    void KeepDamagedCopy() { DamagedCopyPending = true; }

    // Asked before replacing a file that changed on disk; true replaces it.
    std::function<bool()> OnChangedOnDisk;
    // Told where the damaged file was copied.
    std::function<void(const QString& copy)> OnDamagedCopy;
    // feCreate: no temporary file could be made; feWrite: writing, backing
    // up or replacing failed; feOpen, feRead, feTooLarge: the file on disk
    // cannot be read, so it is not replaced. Either way the file on disk is
    // as it was.
    std::function<void(TFileError error)> OnFileError;

    // True when the file now holds bytes.
    bool Write(const QByteArray& bytes);

private:
    // What is on disk: missing, unreadable (and why) or these bytes.
    struct TDiskState {
        enum { dsMissing, dsUnreadable, dsRead } Kind = dsMissing;
        QByteArray Bytes;
        TFileError Error = feOpen;
        bool operator==(const TDiskState& other) const
        {
            return Kind != dsUnreadable && Kind == other.Kind && Bytes == other.Bytes;
        }
    };
    TDiskState ReadDisk() const;
    bool KeepBackup(const QByteArray& onDisk) const;
    bool KeepDamaged();
    QString FreeDamagedName() const;
    void Fail(TFileError error) const;

    QString FFileName;
    TDiskState Known;  // as this object last read or wrote it
    bool DamagedCopyPending = false;
};
