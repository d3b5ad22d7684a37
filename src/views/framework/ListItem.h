#pragma once
#include <QIcon>
#include <QString>
#include <QStringList>
#include <optional>

// What a view fills in when the list asks for one row: the list keeps no
// texts of its own.
struct TListItem {
    QString Caption;
    QIcon Icon;
    bool Ghosted = false;  // drawn dimmed, like an item marked for cutting (links)
    QStringList SubItems;  // the report columns after the caption, in order
    // A file's exact size, behind its Size column: the tool tip and the
    // short form of a narrow column. Nothing for folders and unknown sizes.
    std::optional<quint64> ByteCount;
};
