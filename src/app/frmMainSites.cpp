// The main window's side of the site list: the window itself, adding the
// current site to it, and the recent sites of the "&Connect" menu.
#include "app/ActionIcons.h"
#include "app/RecentSitesMenu.h"
#include "app/frmMain.h"
#include "platform/MessageBoxes.h"
#include "sites/SiteListFile.h"
#include "sites/frmSiteList.h"

#include <QLabel>
#include <QMenu>

void TfrmMain::CreateSiteParts()
{
    auto* connectMenu = findChild<QMenu*>(QStringLiteral("mnuConnect"));
    // The menu's own caption for the site list command, with its image and hint.
    QAction* siteList = Actions[QStringLiteral("actSiteList")];
    QAction* openSiteList = connectMenu->findChild<QAction*>(QStringLiteral("mnuOpenSiteList"));
    openSiteList->setIcon(siteList->icon());
    openSiteList->setStatusTip(siteList->statusTip());
    QAction* separator = connectMenu->findChild<QAction*>(QStringLiteral("mnuRecentSep"));
    RecentMenu = std::make_unique<TRecentSiteMenu>(*connectMenu, *separator, Settings().RecentSites);
    RecentMenu->ItemIcon = ActionIcon(QStringLiteral("site"));
    RecentMenu->ConnectByName = [this](const QString& folder, const QString& name) {
        return frmSiteList->ConnectByName(folder, name);
    };
    RecentMenu->LoadFromSettings();
    OnRecentSite = [this](const QString& name, const QString& folder) { RecentMenu->Add(name, folder); };

    TSiteListHost host;
    host.ConnectToSite = [this](const TSiteSettings& site, const QString& folder) {
        return ConnectToSite(site, folder);
    };
    host.CenterForm = [this](QWidget& form) { CenterForm(this, form); };
    host.ShowStatus = [this](const QString& text) { StatusPanel0->setText(text); };
    host.Icon = [](const QString& name) { return ActionIcon(name); };
    frmSiteList =
        std::make_unique<TfrmSiteList>(Settings(), std::move(host), DefaultSiteListFileName(), this);

    connect(Actions[QStringLiteral("actSiteList")], &QAction::triggered, this,
            [this] { actSiteListExecute(); });
    connect(Actions[QStringLiteral("actAddToSitelist")], &QAction::triggered, this,
            [this] { actAddToSitelistExecute(); });
}

void TfrmMain::actSiteListExecute()
{
    frmSiteList->show();
    frmSiteList->raise();
    frmSiteList->activateWindow();
}

void TfrmMain::actAddToSitelistExecute()
{
    TSiteSettings site;
    site.SiteName = CurrentSite.SiteName;
    // The address as typed: the client's host has lost a port given with it.
    site.Address = CurrentSite.Address;
    site.NormalLogin = CurrentSite.NormalLogin;
    if (site.NormalLogin) {
        site.UserName = QString::fromUtf8(Ftp.UserID);
        switch (AskYesNoCancel(
            QStringLiteral("Should the password be saved?\r\nPasswords are not encrypted."), false)) {
        case mrYes: site.Password = QString::fromUtf8(Ftp.Password); break;
        case mrNo: break;
        default: return;
        }
    }
    site.Comments = CurrentSite.Comments;
    site.RemoteStartupDir = CurrentSite.RemoteStartupDir;
    site.LocalStartupDir = CurrentSite.LocalStartupDir;
    site.DataConnection = CurrentSite.DataConnection;
    site.ForceList = CurrentSite.ForceList;
    site.Encryption = CurrentSite.Encryption;
    TSiteFolder* folder = frmSiteList->SelectedFolder();
    if (!folder) folder = frmSiteList->FirstFolder();
    if (!frmSiteList->AddSite(site, folder)) return;
    if (!SameName(site.SiteName, CurrentSite.SiteName)) {
        CurrentSite.SiteName = site.SiteName.isEmpty() ? QStringLiteral("Unnamed site") : site.SiteName;
        UpdateCaption();
    }
    RecentMenu->Add(site.SiteName, folder->Name);
}
