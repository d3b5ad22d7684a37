#pragma once
#include <QIcon>
#include <QString>
#include <QStringList>

// What a view fills in when the list asks for one row: the list keeps no
// texts of its own.
struct TListItem {
    QString Caption;
    QIcon Icon;
    bool Ghosted = false;  // drawn dimmed, like an item marked for cutting (links)
    QStringList SubItems;  // the report columns after the caption, in order
};
