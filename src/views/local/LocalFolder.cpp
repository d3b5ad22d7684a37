#include "views/local/LocalFolder.h"

#include "views/local/LocalVolumes.h"
#include "views/tree/Directory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Links count as what they point at, like the pane shows them.
void Classify(int dirFd, const dirent* entry, TLocalFolder::TEntry& item)
{
    if (entry->d_type == DT_DIR) item.IsFolder = true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) return;
    struct stat info {};
    if (fstatat(dirFd, entry->d_name, &info, 0) == 0) {
        item.IsFolder = S_ISDIR(info.st_mode);
        return;
    }
    item.BrokenLink = fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

bool Wanted(const TLocalFolder::TEntry& entry, TFileAttributes kinds)
{
    if (entry.Name.startsWith(u'.') && !kinds.testFlag(faHidden)) return false;
    return kinds.testFlag(entry.IsFolder ? faFolders : faNormal);
}

QString ErrorText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

QString Child(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

// ancestors: the canonical paths of the folders above, so a link that leads
// back up is not walked round for ever.
std::unique_ptr<TDirectory> Walk(const QString& path, bool recursive, QSet<QString>& ancestors)
{
    QList<TLocalFolder::TEntry> entries;
    if (!TLocalFolder::List(path, TFileAttributes(faFolders | faNormal | faHidden), entries)) return nullptr;
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
    auto tree = std::make_unique<TDirectory>(QFileInfo(path).fileName());
    tree->Path = path;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    ancestors.insert(canonical);
    for (const TLocalFolder::TEntry& entry : entries) {
        const QString child = Child(path, entry.Name);
        // Nothing to upload behind it, and no error path to report it on
        // here: the pane shows it as a broken link all the same.
        if (entry.BrokenLink) continue;
        if (!entry.IsFolder)
            tree->Contents.Files << entry.Name;
        else if (!recursive || ancestors.contains(QFileInfo(child).canonicalFilePath()))
            tree->Contents.AddDirectory(std::make_unique<TDirectory>(entry.Name));
        else
            tree->Contents.AddDirectory(Walk(child, true, ancestors));
    }
    ancestors.remove(canonical);
    return tree;
}

}  // namespace

bool TLocalFolder::List(const QString& path, TFileAttributes kinds, QList<TEntry>& entries)
{
    DIR* dir = opendir(QFile::encodeName(path).constData());
    if (!dir) return false;
    const int fd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, "..")) continue;
        TEntry item{QFile::decodeName(entry->d_name)};
        Classify(fd, entry, item);
        item.ExactName = QFile::encodeName(item.Name) == entry->d_name;
        if (Wanted(item, kinds)) entries.append(item);
    }
    closedir(dir);
    return true;
}

std::unique_ptr<TDirectory> TLocalFolder::ReadTree(const QString& path, bool recursive)
{
    QSet<QString> ancestors;
    return Walk(QDir::cleanPath(path), recursive, ancestors);
}

bool TLocalFolder::SameItem(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty()) return false;
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

bool TLocalFolder::IsValidName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(u'/') && !name.contains(QChar(0));
}

bool TLocalFolder::Exists(const QString& path)
{
    struct stat info {};
    return lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool TLocalFolder::Rename(const QString& path, const QString& newName, QString& error)
{
    if (!IsValidName(newName)) {
        error = QStringLiteral("Invalid name");
        return false;
    }
    const QString target = Child(QFileInfo(path).path(), newName);
    if (Exists(target)) {
        error = ErrorText(EEXIST);
        return false;
    }
    QFile file(path);
    if (file.rename(target)) return true;
    error = file.errorString();
    return false;
}

bool TLocalFolder::MoveToTrash(const QString& path, QString& error)
{
    // Without the user's data folder Qt cannot set up the trash, yet may
    // still report success with the entry moved somewhere relative to the
    // working folder; so the folder is made first and the result checked.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString noTrash = QStringLiteral("The trash could not be found");
    if (!QDir().mkpath(dataHome)) {
        error = noTrash;
        return false;
    }
    QFile file(path);
    if (!file.moveToTrash()) {
        error = file.errorString();
        return false;
    }
    if (QFileInfo(file.fileName()).isAbsolute() && Exists(file.fileName())) return true;
    error = noTrash;
    return false;
}

bool TLocalFolder::RemoveForGood(const QString& path, QString& error)
{
    const QFileInfo info(path);
    bool removed = false;
    if (info.isDir() && !info.isSymLink()) {
        // Removing would reach into a volume mounted inside, data that lives
        // elsewhere; nothing is touched then.
        const QStringList mounts = TLocalVolumes::MountPointsUnder(info.canonicalFilePath());
        if (!mounts.isEmpty()) {
            error = QStringLiteral("A volume is mounted inside it at %1").arg(mounts.first());
            return false;
        }
        removed = QDir(path).removeRecursively();
        if (!removed) error = QStringLiteral("Some of its contents could not be removed");
    } else {
        QFile file(path);
        removed = file.remove();
        if (!removed) error = file.errorString();
    }
    return removed;
}
