#pragma once
#include "platform/DateTime.h"
#include "views/framework/FileListItem.h"

#include <QIcon>
#include <QString>

// One entry of the local pane, owned by the view. ItemId is the entry's
// absolute path. The derived fields (link, type, size, date and their texts)
// hold only once NeedsUpdate is false; Icon is made when the row is first drawn.
class TShellItem : public TFileListItem {
public:
    QString ItemName() const override { return FileName; }

    // Reads the derived fields from the disk; a volume of the computer level
    // gets none, so its Type and Size columns stay empty.
    void Update(bool isVolume);
    // The size column's number: whole kilobytes, halves to the even one, at
    // least 1 for a file that is not empty; "0" for an empty file; nothing
    // for folders and entries without data.
    static QString SizeTextOf(quint64 size, bool isFolder, bool hasData);

    QString ItemId;
    bool NeedsUpdate = true;
    bool IsFolder = false;
    bool ExactName = true;  // ItemId leads to this entry, not a look-alike
    bool IsLink = false;    // a symbolic link (derived), drawn ghosted
    QString DisplayName;    // the caption
    QString FileName;       // the real name: find, TItemInfo.Name, deletion
    QString TypeName;
    QIcon Icon;
    quint64 Size = 0;
    QString SizeText;
    TDateTime Date = 0;
    QString DateText;  // the user's short date and short time
};
