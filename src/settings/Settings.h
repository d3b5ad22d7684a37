#pragma once
#include "settings/SettingsRecords.h"

#include <QString>
#include <QStringList>

// Bits of GeneralFlags.
enum : quint8 { gfOpenSiteList = 1, gfHideSiteList = 2, gfShowToolTips = 4 };
// Bits of TransferFlags.
enum : quint8 { tfProposeResume = 1, tfConfirmOverwrite = 2 };

inline constexpr quint8 DefaultGeneralFlags = gfHideSiteList | gfShowToolTips;
inline constexpr quint8 DefaultTransferFlags = tfProposeResume | tfConfirmOverwrite;
inline constexpr qint32 DefaultMainWidth = 639;
inline constexpr qint32 DefaultMainHeight = 461;
inline constexpr qint32 DefaultLogHeight = 100;
inline constexpr qint32 DefaultSiteListWidth = 425;
inline constexpr qint32 DefaultSiteListHeight = 322;
// An idle session sends a keep-alive after this many seconds without a
// command. Servers commonly drop a session idle for 300 seconds or more;
// more often than every 10 seconds would only load them.
inline constexpr qint32 DefaultKeepAliveSeconds = 60;
inline constexpr qint32 MinKeepAliveSeconds = 10;
inline constexpr qint32 MaxKeepAliveSeconds = 3600;

// Every user setting in one record, kept in the per-user settings store
// ($XDG_CONFIG_HOME/Vantrel/QuilloFTP.ini). Readers use the fields directly;
// whoever changes a group saves that group, and a save touches nothing else.
class TSettings {
public:
    // Checks that the store can be opened, creating it; when it cannot, an
    // error box says so and every load falls back to the defaults.
    explicit TSettings(const QString& storeFileName = DefaultStoreFileName());
    // Saves nothing; reports a store that can no longer be written.
    ~TSettings();
    TSettings(const TSettings&) = delete;
    TSettings& operator=(const TSettings&) = delete;

    static QString DefaultStoreFileName();

    quint8 GeneralFlags = DefaultGeneralFlags;
    quint8 TransferFlags = DefaultTransferFlags;
    TConnectionSettings ConnectionSettings;
    // Kept as values of their own beside "Connection": that record has a
    // fixed size, and one of another size reads as defaults.
    bool PassiveMode = true;  // data connections: passive, or active
    bool KeepAlive = true;    // an idle session sends keep-alives
    qint32 KeepAliveSeconds = DefaultKeepAliveSeconds;
    QString LastDir;      // default: the current directory at start-up
    QString LastLogName;  // default: "QFTPLog.txt" in that directory
    qint32 MainWidth = DefaultMainWidth;
    qint32 MainHeight = DefaultMainHeight;
    bool MainMaximized = false;
    // The store held a window size ("MainSize"); without one the main window
    // picks a first size that suits the screen.
    bool MainSizeRemembered = false;
    qint32 LogHeight = DefaultLogHeight;  // of the status log pane, in pixels
    qint32 SiteListWidth = DefaultSiteListWidth;
    qint32 SiteListHeight = DefaultSiteListHeight;
    qint32 SiteListSelection = 0;
    QStringList TextExtensions;
    QStringList RecentSites;
    // How each pane is sorted: the key (0 name, 1 type, 2 size, 3 date) and
    // whether its order is reversed.
    qint32 LocalSortKey = 0;
    bool LocalSortDescending = false;
    qint32 RemoteSortKey = 0;
    bool RemoteSortDescending = false;

    void LoadAll();
    void LoadWindowSettings();
    void LoadRecentSites();
    void LoadSiteListSettings();
    void LoadTextExtensions();
    void LoadGeneral();
    void LoadTransfer();
    void LoadConnection();
    void LoadPaneSorting();

    void SaveWindowSettings();
    void SaveRecentSites();
    void SaveSiteListSettings();
    void SaveTextExtensions();
    void SaveGeneral();
    void SaveTransfer();
    void SaveConnection();
    void SavePaneSorting();

    // The extension is given without its period; case does not matter.
    bool IsTextExtension(const QString& extension) const;
    // False for a name without an extension (the text from its last period on).
    bool IsTextFile(const QString& fileName) const;
    // Shows or hides the tool tips of the whole application (bit gfShowToolTips).
    void ApplyToolTips() const;

private:
    QString DefaultLogName() const;

    QString StoreFileName;
    QString StartupDir;
};
