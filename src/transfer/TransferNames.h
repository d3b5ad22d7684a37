#pragma once
#include <QString>

// Names and local paths of the walk. Local paths use "/" and carry no
// trailing "/" except the root itself.

// A name from a remote listing that may become a local file or folder name:
// not empty, no "/" or NUL in it, not "." or "..". Anything else could reach
// outside the folder it is meant for.
bool IsSafeLocalName(const QString& name);
// The log line for a name that is skipped because it is not safe.
QString UnsafeNameText(const QString& name);
QString WithoutTrailingSlash(const QString& path);
// dir + "/" + name, without doubling the root's "/".
QString ChildPath(const QString& dir, const QString& name);
// The path up to its last "/"; the root keeps its "/".
QString ParentPath(const QString& path);
