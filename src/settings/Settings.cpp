#include "settings/Settings.h"

#include "platform/MessageBoxes.h"
#include "settings/StoreValues.h"
#include "settings/ToolTipSwitch.h"

#include <QDir>
#include <QSettings>

namespace {

constexpr int GeneralMask = gfOpenSiteList | gfHideSiteList | gfShowToolTips;
constexpr int TransferMask = tfProposeResume | tfConfirmOverwrite;

const QString RecentGroup = QStringLiteral("Recent");

// A pane sorts by one of four keys; anything else is the name.
qint32 ReadSortKey(const QSettings& store, const QString& name)
{
    const int key = ReadIntDef(store, name, 0);
    return key >= 0 && key <= 3 ? key : 0;
}

// A flag stored as 0 or 1; anything else is the default.
bool ReadFlag(const QSettings& store, const QString& name, bool defaultValue)
{
    const int value = ReadIntDef(store, name, -1);
    return value == 0 || value == 1 ? value == 1 : defaultValue;
}

}  // namespace

TSettings::TSettings(const QString& storeFileName)
    : StoreFileName(storeFileName), StartupDir(QDir::currentPath())
{
    LastDir = StartupDir;
    LastLogName = DefaultLogName();
    if (!OpenOrCreateStore(StoreFileName))
        ShowMessageBox(QStringLiteral("An error occurred while reading data from registry"), true);
    else
        ConvertLegacyText(StoreFileName);
}

TSettings::~TSettings()
{
    if (!OpenOrCreateStore(StoreFileName))
        ShowMessageBox(QStringLiteral("An error occurred while saving data into registry"), true);
}

QString TSettings::DefaultStoreFileName()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vantrel"),
                     QStringLiteral("QuilloFTP"))
        .fileName();
}

QString TSettings::DefaultLogName() const
{
    return QDir(StartupDir).filePath(QStringLiteral("QFTPLog.txt"));
}

void TSettings::LoadAll()
{
    LoadWindowSettings();
    LoadRecentSites();
    LoadSiteListSettings();
    LoadTextExtensions();
    LoadGeneral();
    LoadTransfer();
    LoadConnection();
    LoadPaneSorting();
}

void TSettings::LoadWindowSettings()
{
    const QSettings store(StoreFileName, QSettings::IniFormat);
    LastDir = ReadStrDef(store, QStringLiteral("LastDir"), StartupDir);
    LastLogName = ReadStrDef(store, QStringLiteral("LastLogName"), DefaultLogName());
    MainWidth = DefaultMainWidth;
    MainHeight = DefaultMainHeight;
    MainMaximized = false;
    MainSizeRemembered =
        UnpackMainSize(ReadBinary(store, QStringLiteral("MainSize")), MainWidth, MainHeight, MainMaximized);
    LogHeight = ReadIntDef(store, QStringLiteral("LogHeight"), DefaultLogHeight);
    if (LogHeight < 1) LogHeight = DefaultLogHeight;
}

void TSettings::LoadRecentSites()
{
    RecentSites.clear();
    QSettings store(StoreFileName, QSettings::IniFormat);
    store.beginGroup(RecentGroup);
    for (int i = 0;; ++i) {
        const QString entry = ReadStrDef(store, QString::number(i), QString());
        if (entry.isEmpty()) break;
        RecentSites.append(entry);
    }
}

void TSettings::LoadSiteListSettings()
{
    const QSettings store(StoreFileName, QSettings::IniFormat);
    SiteListWidth = DefaultSiteListWidth;
    SiteListHeight = DefaultSiteListHeight;
    SiteListSelection = 0;
    UnpackSiteList(ReadBinary(store, QStringLiteral("Sitelist")), SiteListWidth, SiteListHeight,
                   SiteListSelection);
}

void TSettings::LoadTextExtensions()
{
    const QSettings store(StoreFileName, QSettings::IniFormat);
    TextExtensions = SplitTextExtensions(ReadStrDef(store, QStringLiteral("Ext"), QString()));
    if (TextExtensions.isEmpty()) TextExtensions = DefaultTextExtensions();
}

void TSettings::LoadGeneral()
{
    const QSettings store(StoreFileName, QSettings::IniFormat);
    GeneralFlags = quint8(ReadIntDef(store, QStringLiteral("General"), DefaultGeneralFlags) & GeneralMask);
}

void TSettings::LoadTransfer()
{
    const QSettings store(StoreFileName, QSettings::IniFormat);
    TransferFlags =
        quint8(ReadIntDef(store, QStringLiteral("Transfer"), DefaultTransferFlags) & TransferMask);
}

void TSettings::LoadConnection()
{
    const QSettings store(StoreFileName, QSettings::IniFormat);
    ConnectionSettings = TConnectionSettings();
    UnpackConnection(ReadBinary(store, QStringLiteral("Connection")), ConnectionSettings);
    PassiveMode = ReadFlag(store, QStringLiteral("PassiveMode"), true);
    KeepAlive = ReadFlag(store, QStringLiteral("KeepAlive"), true);
    KeepAliveSeconds = ReadIntDef(store, QStringLiteral("KeepAliveSeconds"), DefaultKeepAliveSeconds);
    if (KeepAliveSeconds < MinKeepAliveSeconds || KeepAliveSeconds > MaxKeepAliveSeconds)
        KeepAliveSeconds = DefaultKeepAliveSeconds;
}

void TSettings::LoadPaneSorting()
{
    const QSettings store(StoreFileName, QSettings::IniFormat);
    LocalSortKey = ReadSortKey(store, QStringLiteral("LocalSort"));
    LocalSortDescending = ReadIntDef(store, QStringLiteral("LocalSortDescending"), 0) != 0;
    RemoteSortKey = ReadSortKey(store, QStringLiteral("RemoteSort"));
    RemoteSortDescending = ReadIntDef(store, QStringLiteral("RemoteSortDescending"), 0) != 0;
}

void TSettings::SaveWindowSettings()
{
    QSettings store(StoreFileName, QSettings::IniFormat);
    store.setValue(QStringLiteral("LastDir"), LastDir);
    store.setValue(QStringLiteral("LastLogName"), LastLogName);
    store.setValue(QStringLiteral("MainSize"), PackMainSize(MainWidth, MainHeight, MainMaximized));
    store.setValue(QStringLiteral("LogHeight"), LogHeight);
}

void TSettings::SaveRecentSites()
{
    QSettings store(StoreFileName, QSettings::IniFormat);
    store.remove(RecentGroup);
    store.beginGroup(RecentGroup);
    for (int i = 0; i < RecentSites.size(); ++i)
        store.setValue(QString::number(i), RecentSites.at(i));
}

void TSettings::SaveSiteListSettings()
{
    QSettings store(StoreFileName, QSettings::IniFormat);
    store.setValue(QStringLiteral("Sitelist"),
                   PackSiteList(SiteListWidth, SiteListHeight, SiteListSelection));
}

void TSettings::SaveTextExtensions()
{
    QSettings store(StoreFileName, QSettings::IniFormat);
    store.setValue(QStringLiteral("Ext"), JoinTextExtensions(TextExtensions));
}

void TSettings::SaveGeneral()
{
    QSettings store(StoreFileName, QSettings::IniFormat);
    store.setValue(QStringLiteral("General"), GeneralFlags & GeneralMask);
}

void TSettings::SaveTransfer()
{
    QSettings store(StoreFileName, QSettings::IniFormat);
    store.setValue(QStringLiteral("Transfer"), TransferFlags & TransferMask);
}

void TSettings::SaveConnection()
{
    QSettings store(StoreFileName, QSettings::IniFormat);
    store.setValue(QStringLiteral("Connection"), PackConnection(ConnectionSettings));
    store.setValue(QStringLiteral("PassiveMode"), int(PassiveMode));
    store.setValue(QStringLiteral("KeepAlive"), int(KeepAlive));
    store.setValue(QStringLiteral("KeepAliveSeconds"), KeepAliveSeconds);
}

void TSettings::SavePaneSorting()
{
    QSettings store(StoreFileName, QSettings::IniFormat);
    store.setValue(QStringLiteral("LocalSort"), LocalSortKey);
    store.setValue(QStringLiteral("LocalSortDescending"), int(LocalSortDescending));
    store.setValue(QStringLiteral("RemoteSort"), RemoteSortKey);
    store.setValue(QStringLiteral("RemoteSortDescending"), int(RemoteSortDescending));
}

bool TSettings::IsTextExtension(const QString& extension) const
{
    return TextExtensions.contains(extension, Qt::CaseInsensitive);
}

bool TSettings::IsTextFile(const QString& fileName) const
{
    const qsizetype period = fileName.lastIndexOf(QLatin1Char('.'));
    // A period in a folder name of a path does not start the extension.
    if (period < 0 || period < fileName.lastIndexOf(QLatin1Char('/'))) return false;
    return IsTextExtension(fileName.mid(period + 1));
}

void TSettings::ApplyToolTips() const
{
    SetToolTipsShown((GeneralFlags & gfShowToolTips) != 0);
}
