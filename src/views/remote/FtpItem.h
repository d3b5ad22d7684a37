#pragma once
#include "platform/DateTime.h"
#include "views/framework/FileListItem.h"

#include <QByteArray>
#include <QIcon>
#include <QString>

// One remote listing entry, owned by the remote view. TypeName, Icon,
// SizeText and Date are derived lazily: they hold only once NeedsUpdate is
// false (TFtpListing::UpdateItemInfo).
class TFtpItem : public TFileListItem {
public:
    QString ItemName() const override { return Name; }
    // The name as the server listed it, to send back byte for byte.
    QByteArray RemoteName() const;

    bool NeedsUpdate = true;
    QString Name;  // DecodeRemote of the listed bytes
    QString TypeName;
    QIcon Icon;  // null when the view shows no icons
    quint64 Size = 0;
    QString SizeText;
    QString Attributes;  // permission text as listed, e.g. 'drwxr-xr-x'
    TDateTime Date = 0;
    QString DateText;  // the line's date words joined by single spaces
    QString LinkTarget;
    // Set by the view for a directory it has just made itself: the entry counts
    // as a directory until the next listing replaces it, with blank Attributes.
    bool CreatedDirectory = false;
};
