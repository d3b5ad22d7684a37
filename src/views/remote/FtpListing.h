#pragma once
#include "net/FTPDirectoryList.h"
#include "platform/DateTime.h"
#include "views/framework/FileAttributes.h"
#include "views/remote/FtpItem.h"

#include <QString>
#include <memory>
#include <vector>

// The remote view's pure steps: from the client's parsed listing to entries,
// and from an entry to its derived fields. Nothing here reads the clock, the
// network or the local disk.
class TFtpListing {
public:
    using TItems = std::vector<std::unique_ptr<TFtpItem>>;

    TFtpListing() = delete;

    // The entries of a listing in listing order, "." and ".." dropped only
    // from the top. filter: faNormal admits files and links, faFolders
    // directories.
    static TItems BuildItems(const TFTPDirectoryList& list, TFileAttributes filter);

    // Classification by the first character of Attributes.
    static bool IsDirectory(const TFtpItem& item);      // "d"
    static bool IsLink(const TFtpItem& item);           // "l"
    static bool IsDirectoryItem(const TFtpItem& item);  // can be entered: "d" or "l"

    // A listing date ('Jan 12 12:30', 'Mar 3 1999', or 'Mar 3 1999 12:30:05'
    // from "MLSD") as TDateTime, 0 when it does not parse. A date without a
    // year falls in currentYear.
    static TDateTime ParseListingDate(const QString& text, int currentYear);
    // The size column: whole kilobytes, empty for directory items.
    static QString SizeText(const TFtpItem& item);
    // Fills the derived fields of an item whose NeedsUpdate is set, from its
    // name alone; the icon only with showIcons.
    static void UpdateItemInfo(TFtpItem& item, int currentYear, bool showIcons);
    // The desktop's icon for the item's type, by its name alone.
    static QIcon IconOf(const TFtpItem& item);
};
