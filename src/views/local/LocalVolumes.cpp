#include "views/local/LocalVolumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

// File systems whose data live elsewhere, over the network.
bool IsNetworkType(const QString& fsType)
{
    static const QStringList types = {"nfs", "nfs4", "cifs", "smb3",      "smbfs",         "fuse.sshfs",
                                      "9p",  "afs",  "ceph", "glusterfs", "fuse.glusterfs"};
    return types.contains(fsType);
}

// path itself or something inside it; root is a clean absolute path.
bool LiesUnder(const QString& path, const QString& root)
{
    if (root == QLatin1String("/")) return path.startsWith(u'/');
    return path == root || path.startsWith(root + u'/');
}

// The kernel writes space, tab, newline and backslash in mount points as
// "\ooo" octal escapes.
QByteArray Unescaped(const QByteArray& field)
{
    QByteArray text;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QByteArray digits = field.mid(i + 1, 3);
        bool octal = field[i] == '\\' && digits.size() == 3;
        for (char digit : digits)
            octal = octal && digit >= '0' && digit <= '7';
        if (octal) {
            text += char(digits.toInt(nullptr, 8));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

}  // namespace

QString TLocalVolume::DisplayName() const
{
    return Name.isEmpty() ? RootPath : QStringLiteral("%1 (%2)").arg(Name, RootPath);
}

bool TLocalVolumes::IsRealVolume(const QString& rootPath, const QString& device, const QString& fsType)
{
    if (rootPath == QLatin1String("/")) return true;
    // Loop-mounted packages are read-only images, not places for files.
    if (fsType == QLatin1String("squashfs")) return false;
    return device.startsWith(QLatin1String("/dev/")) || IsNetworkType(fsType);
}

QList<TLocalVolume> TLocalVolumes::Mounted()
{
    QList<TLocalVolume> volumes{{QStringLiteral("/"), QStorageInfo::root().name()}};
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString root = QDir::cleanPath(storage.rootPath());
        // A file bind-mounted over another (containers do this) is no volume.
        if (root == QLatin1String("/") || !storage.isValid() || !QFileInfo(root).isDir()) continue;
        if (!IsRealVolume(root, QString::fromLocal8Bit(storage.device()),
                          QString::fromLatin1(storage.fileSystemType())))
            continue;
        volumes.append({root, storage.name()});
    }
    return volumes;
}

QString TLocalVolumes::RootOf(const QString& path, const QStringList& roots)
{
    const QString clean = QDir::cleanPath(path);
    if (!clean.startsWith(u'/')) return {};
    QString best = QStringLiteral("/");
    for (const QString& root : roots)
        if (root.size() > best.size() && LiesUnder(clean, root)) best = root;
    return best;
}

QString TLocalVolumes::RootOf(const QString& path)
{
    QStringList roots;
    for (const TLocalVolume& volume : Mounted())
        roots << volume.RootPath;
    return RootOf(path, roots);
}

QStringList TLocalVolumes::MountPointsUnder(const QString& path)
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    QStringList points;
    const QString clean = QDir::cleanPath(path);
    if (!clean.startsWith(u'/') || !table.open(QIODevice::ReadOnly)) return points;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5) continue;
        const QString point = QDir::cleanPath(QFile::decodeName(Unescaped(fields[4])));
        if (LiesUnder(point, clean)) points << point;
    }
    return points;
}
