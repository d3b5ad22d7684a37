#pragma once
#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>

class QTemporaryDir;

// A remote file downloaded to be opened or shown, and where it came from.
struct TTempFile {
    QString Path;
    QString RemoteDirectory;
    QString RemoteName;
    // As the download left it; Size is -1 until the download has finished.
    qint64 Size = -1;
    QDateTime Modified;
};

// The session's private temporary folder (mode 0700, an unpredictable name
// under the system's temporary folder) and the files opened from it. Each
// download gets a subfolder of its own, so two remote files of one name never
// meet, and no other user can put anything in place of a file between its
// download and its opening.
class TTempFiles {
public:
    TTempFiles();
    // Files changed since their download are moved out to KeepFolder, never
    // deleted unasked; the rest goes with the private folder.
    ~TTempFiles();
    TTempFiles(const TTempFiles&) = delete;
    TTempFiles& operator=(const TTempFiles&) = delete;

    // Where a changed file is moved when the user keeps it (default: a
    // "QuilloFTP" folder in the user's downloads, else in the home folder).
    QString KeepFolder;
    static QString DefaultKeepFolder();

    // A new empty folder inside the private one, which is made on first use;
    // empty when either cannot be made.
    QString NewFolder();
    // The private folder; empty while there is none.
    QString Root() const;

    void Add(const QString& path, const QString& remoteDirectory, const QString& remoteName);
    bool Contains(const QString& path) const;
    // The download into path has ended whole: what it left is the state
    // a later change is measured against.
    void NoteDownloaded(const QString& path);
    // The file goes, with its folder (a download that failed, a file dealt with).
    void Remove(const QString& path);
    const QList<TTempFile>& Files() const { return FFiles; }
    // Files that still exist and differ in size or modification time from
    // what their download left.
    QList<TTempFile> Changed() const;
    static bool IsChanged(const TTempFile& file);
    // Moves the file to KeepFolder under a name not taken there ("name (2)"
    // ...) and forgets it; the new path, or empty when it could not be moved.
    QString Keep(const TTempFile& file);
    // Every file and the private folder go, and the list is emptied; but a
    // folder that still holds a changed file stays, and its path is returned
    // (empty otherwise).
    QString Clear();

private:
    std::unique_ptr<QTemporaryDir> FRoot;
    int FNextFolder = 1;
    QList<TTempFile> FFiles;
};
