#pragma once
#include <QIcon>
#include <QString>
#include <QStringList>

// The program's own images, drawn at any size (16 and 24 pixels in menus and
// toolbars) from the SVG sources in its resources. The local and the remote
// pane share the images of their file commands.
//
// Names: "connect-new", "site-list", "internet-link", "disconnect", "stop",
// "mode-text", "mode-binary", "mode-auto", "settings", "help", "open",
// "show", "up-level", "refresh", "new-folder", "rename", "delete",
// "permissions", "upload", "download", and "quilloftp" (the program icon);
// for the site list "new-site", "edit-site", "connect-site", "find", "close",
// "folder", "folder-open", "sites-root", "sites-root-open" (its first folder)
// and "site".

// A null icon for a name that is not one of the above.
QIcon ActionIcon(const QString& name);
QIcon ProgramIcon();
QStringList ActionIconNames();
