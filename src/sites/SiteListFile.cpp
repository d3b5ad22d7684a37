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

// A name for a new file beside path, made unique by mkostemp.
QByteArray TemporaryTemplate(const QString& path)
{
    const QFileInfo info(path);
    return QFile::encodeName(info.absolutePath()) + "/." + QFile::encodeName(info.fileName()) + ".XXXXXX";
}

// Writes bytes to a new owner-only temporary file beside path and renames it
// over path: path holds either its old or its new contents, never a part.
TReplaceResult ReplaceFile(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = TemporaryTemplate(path);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600
    if (fd < 0) return rpCreateFailed;
    const bool written = ::fchmod(fd, OwnerOnly) == 0 && WriteAll(fd, bytes);
    if (::close(fd) != 0 || !written || ::rename(temporary.constData(), target.constData()) != 0) {
        ::unlink(temporary.constData());
        return rpWriteFailed;
    }
    SyncFolder(QFile::encodeName(QFileInfo(path).absolutePath()));
    return rpDone;
}

// Gives source's data the name path as well, replacing whatever path was
// only once the new link exists. False where the file system has no links.
bool LinkReplacing(const QString& source, const QString& path)
{
    QByteArray temporary = TemporaryTemplate(path);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    // Only the free name was wanted; should another take it meanwhile, the
    // link fails rather than replacing that file.
    ::close(fd);
    ::unlink(temporary.constData());
    if (::linkat(AT_FDCWD, QFile::encodeName(source).constData(), AT_FDCWD, temporary.constData(),
                 AT_SYMLINK_FOLLOW) != 0)
        return false;
    ::chmod(temporary.constData(), OwnerOnly);
    if (::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    SyncFolder(QFile::encodeName(QFileInfo(path).absolutePath()));
    return true;
}

// True when the whole file is in bytes. Past MaxSiteListFileSize the error
// is feTooLarge, also for a file that grew since its size was taken.
bool ReadUpTo(int fd, qint64 size, QByteArray& bytes, TFileError& error)
{
    error = feTooLarge;
    if (size > MaxSiteListFileSize) return false;
    bytes.reserve(qsizetype(size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) return true;
        if (n < 0) {
            error = feRead;
            return false;
        }
        bytes.append(buffer, n);
        if (bytes.size() > MaxSiteListFileSize) return false;
    }
}

bool NameTaken(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 || errno != ENOENT;
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
    // Without blocking: a FIFO in the file's place must not hang the program.
    const int fd = ::open(QFile::encodeName(FFileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return state;
    state.Kind = TDiskState::dsUnreadable;
    if (fd < 0) return state;
    struct stat info {};
    // A device or FIFO may never end; only a regular file holds a list.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return state;
    }
    if (ReadUpTo(fd, info.st_size, state.Bytes, state.Error)) state.Kind = TDiskState::dsRead;
    ::close(fd);
    if (state.Kind != TDiskState::dsRead) state.Bytes.clear();
    return state;
}

bool TSiteListFile::Write(const QByteArray& bytes)
{
    const TDiskState onDisk = ReadDisk();
    // What cannot be read can be neither compared nor kept: it stays as it is.
    if (onDisk.Kind == TDiskState::dsUnreadable) {
        Fail(onDisk.Error);
        return false;
    }
    if (!(onDisk == Known) && !(OnChangedOnDisk && OnChangedOnDisk())) return false;
    if (!QDir().mkpath(QFileInfo(FFileName).absolutePath())) {
        Fail(feCreate);
        return false;
    }
    // The damaged bytes go to their own copy, not over the backup: that
    // stays the last version that was intact.
    const bool damagedOnDisk = DamagedCopyPending && onDisk == Known;
    if (DamagedCopyPending && !KeepDamaged()) return false;
    if (onDisk.Kind == TDiskState::dsRead && !damagedOnDisk && !KeepBackup(onDisk.Bytes)) {
        Fail(feWrite);
        return false;
    }
    const TReplaceResult result = ReplaceFile(FFileName, bytes);
    if (result != rpDone) {
        Fail(result == rpCreateFailed ? feCreate : feWrite);
        return false;
    }
    Known = TDiskState{TDiskState::dsRead, bytes};
    return true;
}

// The version being replaced: a second name for the same data, or a copy
// where the file system has no links.
bool TSiteListFile::KeepBackup(const QByteArray& onDisk) const
{
    return LinkReplacing(FFileName, BackupName()) || ReplaceFile(BackupName(), onDisk) == rpDone;
}

bool TSiteListFile::KeepDamaged()
{
    const QString copy = FreeDamagedName();
    const TReplaceResult result = copy.isEmpty() ? rpCreateFailed : ReplaceFile(copy, Known.Bytes);
    if (result != rpDone) {
        Fail(result == rpCreateFailed ? feCreate : feWrite);
        return false;
    }
    DamagedCopyPending = false;
    if (OnDamagedCopy) OnDamagedCopy(copy);
    return true;
}

// An earlier incident's copy may be the only one left of that list. Empty
// when no name is free (or the folder cannot be looked into).
QString TSiteListFile::FreeDamagedName() const
{
    const QString first = FFileName + QStringLiteral(".damaged");
    for (int n = 1; n <= 999; ++n) {
        const QString name = n == 1 ? first : first + u'.' + QString::number(n);
        if (!NameTaken(name)) return name;
    }
    return {};
}

void TSiteListFile::Fail(TFileError error) const
{
    if (OnFileError) OnFileError(error);
}
