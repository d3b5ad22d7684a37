#pragma once
#include <QList>
#include <QString>

// The mounted volumes of the machine as the local pane's "drives". A
// volume's root is its mount point; a path lies on the volume with the
// longest mount-point prefix, and "/" is the top of the tree.
struct TLocalVolume {
    QString RootPath;
    QString Name;  // the file system's label, often empty

    // What the computer level shows: "label (root)", or the root alone.
    QString DisplayName() const;
};

class TLocalVolumes {
public:
    TLocalVolumes() = delete;

    // The real file systems mounted now, "/" first, the others in mount order.
    static QList<TLocalVolume> Mounted();
    // Whether a mount is a place to keep files: a block device or a network
    // share, never a kernel or memory file system; "/" always counts.
    static bool IsRealVolume(const QString& rootPath, const QString& device, const QString& fsType);
    // The root of the volume path lies on, among roots; empty for a path
    // that is not absolute.
    static QString RootOf(const QString& path, const QStringList& roots);
    // The same for the volumes mounted now.
    static QString RootOf(const QString& path);
    // Every mount point (of any kind, bind mounts too) at or below the
    // absolute path, as the kernel reports them; none for any other path.
    static QStringList MountPointsUnder(const QString& path);
};
