#include "app/ProgramStart.h"

#include "app/frmMain.h"

#include <QApplication>

void SetApplicationIdentity()
{
    // The settings store and the title of every box are named after these.
    QApplication::setApplicationName(QStringLiteral("QuilloFTP"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
}

std::unique_ptr<TfrmMain> ShowMainWindow()
{
    auto window = std::make_unique<TfrmMain>();
    window->show();
    if (window->Settings().GeneralFlags & gfOpenSiteList) window->actSiteListExecute();
    return window;
}
