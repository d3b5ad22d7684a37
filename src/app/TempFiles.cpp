#include "app/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

constexpr QFileDevice::Permissions OwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// "name", "name (2)", "name (3)" ... with the suffix before the extension.
QString FreeName(const QDir& folder, const QString& name)
{
    if (!QFileInfo::exists(folder.filePath(name))) return name;
    const QFileInfo info(name);
    const QString base = info.completeBaseName().isEmpty() ? name : info.completeBaseName();
    const QString suffix =
        info.completeBaseName().isEmpty() || info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
        if (!QFileInfo::exists(folder.filePath(candidate))) return candidate;
    }
}

}  // namespace

TTempFiles::TTempFiles() : KeepFolder(DefaultKeepFolder()) {}

TTempFiles::~TTempFiles()
{
    for (const TTempFile& file : Changed())
        Keep(file);
    Clear();
}

QString TTempFiles::DefaultKeepFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (base.isEmpty()) base = QDir::homePath();
    return QDir(base).filePath(QStringLiteral("QuilloFTP"));
}

QString TTempFiles::NewFolder()
{
    if (!FRoot) {
        auto root = std::make_unique<QTemporaryDir>(
            QDir(QDir::tempPath()).filePath(QStringLiteral("QuilloFTP-XXXXXX")));
        // Made owner-only already; said again, since everything rests on it.
        if (!root->isValid() || !QFile::setPermissions(root->path(), OwnerOnly)) return {};
        FRoot = std::move(root);
    }
    const QDir root(FRoot->path());
    for (;; ++FNextFolder) {
        const QString name = QString::number(FNextFolder);
        if (root.exists(name)) continue;
        if (!root.mkdir(name)) return {};
        ++FNextFolder;
        const QString path = root.filePath(name);
        QFile::setPermissions(path, OwnerOnly);
        return path;
    }
}

QString TTempFiles::Root() const
{
    return FRoot ? FRoot->path() : QString();
}

void TTempFiles::Add(const QString& path, const QString& remoteDirectory, const QString& remoteName)
{
    FFiles.append({path, remoteDirectory, remoteName, -1, {}});
}

bool TTempFiles::Contains(const QString& path) const
{
    return std::any_of(FFiles.begin(), FFiles.end(), [&](const TTempFile& f) { return f.Path == path; });
}

void TTempFiles::NoteDownloaded(const QString& path)
{
    for (TTempFile& file : FFiles) {
        if (file.Path != path) continue;
        const QFileInfo info(path);
        file.Size = info.size();
        file.Modified = info.lastModified();
    }
}

void TTempFiles::Remove(const QString& path)
{
    FFiles.removeIf([&](const TTempFile& f) { return f.Path == path; });
    // Only a file of a download folder of ours goes: a path built from a
    // hostile name ("../../x") must never delete anything outside.
    const QString folder = QFileInfo(path).path();
    if (!FRoot || QFileInfo(folder).path() != FRoot->path() || QDir::cleanPath(path) != path) return;
    QFile::remove(path);
    // Its folder is its own; another download never shares it.
    QDir(folder).removeRecursively();
}

bool TTempFiles::IsChanged(const TTempFile& file)
{
    if (file.Size < 0) return false;
    const QFileInfo info(file.Path);
    return info.isFile() && (info.size() != file.Size || info.lastModified() != file.Modified);
}

QList<TTempFile> TTempFiles::Changed() const
{
    QList<TTempFile> changed;
    for (const TTempFile& file : FFiles)
        if (IsChanged(file)) changed << file;
    return changed;
}

QString TTempFiles::Keep(const TTempFile& file)
{
    const QDir folder(KeepFolder);
    if (!folder.mkpath(QStringLiteral("."))) return {};
    const QString target = folder.filePath(FreeName(folder, QFileInfo(file.Path).fileName()));
    // A rename across file systems fails: the copy is the way there.
    if (!QFile::rename(file.Path, target) && !QFile::copy(file.Path, target)) return {};
    Remove(file.Path);
    return target;
}

QString TTempFiles::Clear()
{
    // A changed file that could not be kept elsewhere stays where it is,
    // with the private folder: the user's edits are never deleted unasked.
    QString stranded;
    if (FRoot && !Changed().isEmpty()) {
        FRoot->setAutoRemove(false);
        stranded = FRoot->path();
    }
    FFiles.clear();
    FRoot.reset();  // removes the folder and all in it, unless it holds changes
    FNextFolder = 1;
    return stranded;
}
