// The main window's side of the options dialog: showing it and the two
// immediate actions it asks of the main window.
#include "app/RecentSitesMenu.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "settings/Settings.h"
#include "sites/frmSiteList.h"

#include <QGuiApplication>
#include <QScreen>

void TfrmMain::actSettingsExecute()
{
    if (!frmOptions) {
        TOptionsHost host;
        host.ClearSiteHistory = [this] { RecentMenu->Clear(); };
        host.ResetFormSizes = [this] { RestoreDefaultWindowSizes(); };
        host.ShowHelp = [this](int context) { ShowHelpContext(context); };
        frmOptions = new TfrmOptions(Settings(), std::move(host), this);
        CenterForm(this, *frmOptions);
    }
    frmOptions->show();
    frmOptions->raise();
    frmOptions->activateWindow();
}

// The first-start size rather than the old fixed default: that one cuts off
// the panes' columns with today's fonts.
void TfrmMain::RestoreDefaultWindowSizes()
{
    if (windowState() & Qt::WindowMaximized) setWindowState(windowState() & ~Qt::WindowMaximized);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize first = screen ? FirstStartSize(screen->availableGeometry().size())
                               : QSize(DefaultMainWidth, DefaultMainHeight);
    resize(first);
    frmSiteList->resize(DefaultSiteListWidth, DefaultSiteListHeight);
    CenterForm(nullptr, *this);
    CenterForm(this, *frmSiteList);
}
