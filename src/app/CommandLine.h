#pragma once
#include <QString>
#include <QStringList>

// What the program's arguments ask for: a link to open, and how.
struct TCommandLine {
    bool HasLink = false;  // false: the program starts as usual
    QString Link;
    bool NormalLogin = false;    // "-n" or "/n"
    bool QuitAfterLink = false;  // "-q" or "/q": fetch the link's file and end
    QString LogFile;             // "-LOG<file>": where the unattended session's log goes
    // The link came as a bare "ftp://" (or "ftps://", "ftpes://") argument,
    // as the desktop hands links from a browser: its file is fetched only
    // when the user agrees.
    bool FromDesktop = false;
};

// The value of the first argument that is "-" or "/" followed by name
// (exact case); everything after the name, nothing stripped.
bool FindSwitchValue(const QStringList& arguments, const QString& name, QString& value);
// arguments: without the program's own name. Without "-URL" (or a bare
// "ftp://", "ftps://" or "ftpes://" link) every other option is ignored.
TCommandLine ParseCommandLine(const QStringList& arguments);
