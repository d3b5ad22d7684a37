#pragma once
// A small remote file tree served through the scripted FTP server, and the
// wiring of a remote view to its client as the main window does it.
#include "net/ResumableFtp.h"
#include "support/EngineRecorder.h"
#include "support/ScriptedFtpServer.h"
#include "views/remote/FtpFileListView.h"

#include <QMap>
#include <QSet>
#include <QTimer>

// The client announces every command in a status text just before it sends
// it; the site answers each one then, by queueing the reply (and the listing)
// that its tree gives, so the scripted server behaves like a real one.
// Paths are absolute, "/" separated.
class TRemoteSite {
public:
    TRemoteSite(ScriptedFtpServer& server, TResumableFtp& ftp);

    void AddDirectory(const QString& path);
    void AddFile(const QString& path, quint64 size = 1234);
    void AddLink(const QString& path, const QString& target);
    bool Exists(const QString& path) const { return FEntries.contains(path); }
    // The names in a directory, sorted.
    QStringList Names(const QString& dir) const;

    // Commands on these paths are refused with 550 (DELE, RMD, CWD, RNFR).
    // "RNTO" replaces a file target, as real servers do.
    QSet<QString> Refused;
    // LIST is refused with 550 while the current directory is one of these.
    QSet<QString> Unlistable;
    // A careless server: "RNTO" after a refused "RNFR" still reports success.
    bool AcceptOrphanRename = false;
    // "." and ".." come after the entries, as servers that do not sort send them.
    bool DotsLast = false;
    QString Cwd = QStringLiteral("/");

private:
    enum TKind { kDir, kFile, kLink };
    struct TEntry {
        TKind Kind = kFile;
        quint64 Size = 0;
        QString Target;
    };

    void BeforeCommand(const QString& command);
    QByteArray Answer(const QByteArray& verb, const QString& argument);
    QByteArray ChangeDirectory(const QString& path);
    QByteArray Remove(const QString& path, TKind kind);
    QByteArray RenameTo(const QString& path);
    QString Resolve(const QString& name) const;
    QByteArray Listing() const;
    static QString Parent(const QString& path);
    static QString NameOf(const QString& path);

    ScriptedFtpServer& FServer;
    QMap<QString, TEntry> FEntries;
    QString FRenameFrom;
};

// The main window's client, with a way to let its time run out.
class TTestFtp : public TResumableFtp {
public:
    void Expire() { FTimedOut = true; }
};

// Bounds every wait of a test: when it fires, the client's waits end.
class TWatchdog {
public:
    TWatchdog(TFtpClient& client, int ms);
    bool Fired() const { return FFired; }

private:
    QTimer FTimer;
    bool FFired = false;
};

// Forwards the client's outcomes to the view as the main window does: every
// failure is handled, and each outcome is noted by the view.
void ForwardOutcomes(TFtpClient& client, TFtpFileListView& view, QStringList* events = nullptr);

// Captions in row order, as the list shows them.
QStringList Captions(const TFtpFileListView& view);
// Types text into the open caption editor and ends the edit with Enter, or
// (with an empty text) closes it with Escape; waits, bounded, until it is closed.
void EndCaptionEdit(TFtpFileListView& view, const QString& text = {});
