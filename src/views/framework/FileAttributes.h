#pragma once
#include <QFlags>

// Which kinds of entries a directory view lists. faHidden admits names that
// begin with "." on the local side; the remote side lists them always.
enum TFileAttribute : quint8 {
    faFolders = 0x1,
    faNormal = 0x2,
    faHidden = 0x4,
};
Q_DECLARE_FLAGS(TFileAttributes, TFileAttribute)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFileAttributes)
