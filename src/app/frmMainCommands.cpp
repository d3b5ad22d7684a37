// The session commands of the main window's menus and toolbar.
#include "app/frmMain.h"

#include "app/HelpWindow.h"
#include "app/StatusLog.h"
#include "app/frmAbout.h"
#include "settings/Settings.h"
#include "sites/frmSiteSettings.h"
#include "transfer/TransferHooks.h"
#include "views/remote/FtpFileListView.h"

void TfrmMain::actConnectToNewExecute()
{
    if (!ConfirmNewConnection()) return;
    TSiteSettings site;
    site.NormalLogin = true;
    site.SiteName = QStringLiteral("New site");
    if (!SiteSettingsDialog) {
        SiteSettingsDialog = new TfrmSiteSettings(this);
        SiteSettingsDialog->CenterForm = [this](QWidget& form) { CenterForm(this, form); };
    }
    if (!SiteSettingsDialog->EditSiteDialog(site, QStringLiteral("Enter the settings for the site"), false))
        return;
    if (!site.NormalLogin) {
        site.UserName = QStringLiteral("anonymous");
        site.Password = Settings().ConnectionSettings.EmailAddress;
    }
    ConnectToSite(site, QString());
}

void TfrmMain::actDisconnectExecute()
{
    if (IsConnected()) DisconnectFromSite();
}

void TfrmMain::actStopExecute()
{
    if (ConnectionState == csNotConnected) return;
    if (IsConnected()) {
        if (Transfer && Transfer->Active()) {
            Transfer->CancelTransfer(true);
            return;
        }
        if (!RemoteDir->IsBusy()) return;
        try {
            if (ListingInProgress) {
                ListingInProgress = false;
                Ftp.Abort();
            } else {
                // A data connection still being made (passive: connecting
                // to the server; active: waiting for it) waits on its own.
                Ftp.Cancel();
                Ftp.Abort();
            }
        } catch (...) {}
        LogError(QStringLiteral("Operation aborted"));
        RemoteDir->NoteFailure();
        return;
    }
    if (tmrSecondTimer.isActive())
        CancelReconnect();
    else
        CancelAttempt();
}

void TfrmMain::actSaveLogExecute()
{
    SaveLogInteractively(*Status, LogFileName);
}

void TfrmMain::actHelpContentsExecute()
{
    ShowHelpContext(hcContents);
}

void TfrmMain::ShowHelpContext(int context)
{
    if (!HelpWindow) HelpWindow = new THelpWindow(this);
    HelpWindow->ShowContext(context);
}

void TfrmMain::mnuAboutClick()
{
    if (!AboutBox) {
        AboutBox = new TfrmAbout(this);
        AboutBox->CenterForm = [this](QWidget* form) { CenterForm(this, *form); };
        AboutBox->ShowHelp = [this](int context) { ShowHelpContext(context); };
    }
    AboutBox->ShowAbout();
}
