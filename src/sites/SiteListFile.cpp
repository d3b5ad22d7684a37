#include "sites/SiteListFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString SiteListName = QStringLiteral("Sites.dat");
constexpr mode_t OwnerOnly = S_IRUSR | S_IWUSR;

enum TReplaceResult { rpDone, rpCreateFailed, rpWriteFailed };

bool WriteAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    // On the disk before the rename makes it the list: a power cut must not
    // leave a complete-looking name over missing data.
    return ::fsync(fd) == 0;
}

void SyncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writes bytes to a new owner-only temporary file beside path and renames it
// over path: path holds either its old or its new contents, never a part.
TReplaceResult ReplaceFile(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    QByteArray temporary = folder + "/." + QFile::encodeName(QFileInfo(path).fileName()) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600
    if (fd < 0) return rpCreateFailed;
    const bool written = ::fchmod(fd, OwnerOnly) == 0 && WriteAll(fd, bytes);
    if (::close(fd) != 0 || !written || ::rename(temporary.constData(), target.constData()) != 0) {
        ::unlink(temporary.constData());
        return rpWriteFailed;
    }
    SyncFolder(folder);
    return rpDone;
}

}  // namespace

QString DefaultSiteListFileName()
{
    const QString portable = QDir(QCoreApplication::applicationDirPath()).filePath(SiteListName);
    if (!QCoreApplication::applicationDirPath().isEmpty() && QFileInfo::exists(portable)) return portable;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data).filePath(QStringLiteral("QuilloFTP/") + SiteListName);
}

TSiteListFile::TSiteListFile(const QString& fileName) : FFileName(fileName) {}

TSiteListFile::TReadResult TSiteListFile::Read(QByteArray& bytes)
{
    Known = ReadDisk();
    bytes = Known.Bytes;
    switch (Known.Kind) {
    case TDiskState::dsMissing: return rrMissing;
    case TDiskState::dsUnreadable: return rrOpenFailed;
    default: return rrRead;
    }
}

TSiteListFile::TDiskState TSiteListFile::ReadDisk() const
{
    TDiskState state;
    if (!QFileInfo::exists(FFileName)) return state;
    QFile file(FFileName);
    state.Kind = TDiskState::dsUnreadable;
    if (!file.open(QIODevice::ReadOnly)) return state;
    state.Bytes = file.readAll();
    if (file.error() == QFileDevice::NoError) state.Kind = TDiskState::dsRead;
    return state;
}

bool TSiteListFile::Write(const QByteArray& bytes)
{
    const TDiskState onDisk = ReadDisk();
    // A file that could not be read is as unknown as one changed behind us.
    if (!(onDisk == Known) && !(OnChangedOnDisk && OnChangedOnDisk())) return false;
    if (!QDir().mkpath(QFileInfo(FFileName).absolutePath())) {
        if (OnFileError) OnFileError(feCreate);
        return false;
    }
    if (DamagedCopyPending && !KeepDamaged()) return false;
    if (onDisk.Kind != TDiskState::dsMissing) {
        // The version being replaced: a second name for the same data, or a
        // copy where the file system has no links.
        const QByteArray backup = QFile::encodeName(BackupName());
        ::unlink(backup.constData());
        if (::link(QFile::encodeName(FFileName).constData(), backup.constData()) == 0)
            ::chmod(backup.constData(), OwnerOnly);
        else if (onDisk.Kind == TDiskState::dsRead)
            ReplaceFile(BackupName(), onDisk.Bytes);
    }
    const TReplaceResult result = ReplaceFile(FFileName, bytes);
    if (result != rpDone) {
        if (OnFileError) OnFileError(result == rpCreateFailed ? feCreate : feWrite);
        return false;
    }
    Known = TDiskState{TDiskState::dsRead, bytes};
    return true;
}

bool TSiteListFile::KeepDamaged()
{
    const TReplaceResult result = ReplaceFile(DamagedName(), Known.Bytes);
    if (result != rpDone) {
        if (OnFileError) OnFileError(result == rpCreateFailed ? feCreate : feWrite);
        return false;
    }
    DamagedCopyPending = false;
    if (OnDamagedCopy) OnDamagedCopy(DamagedName());
    return true;
}
