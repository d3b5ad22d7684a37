#include "app/ProgramStart.h"

#include "app/CommandLine.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

void SetApplicationIdentity()
{
    // The settings store and the title of every box are named after these.
    QApplication::setApplicationName(QStringLiteral("QuilloFTP"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    // The installed desktop entry and icon, so the desktop shows them as ours.
    QApplication::setDesktopFileName(QStringLiteral("quilloftp"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quilloftp")));
}

std::unique_ptr<TfrmMain> ShowMainWindow(const QStringList& arguments)
{
    auto window = std::make_unique<TfrmMain>();
    window->show();
    const TCommandLine line = ParseCommandLine(arguments);
    // An unattended run shows nothing it does not need.
    if ((window->Settings().GeneralFlags & gfOpenSiteList) && !line.QuitAfterLink)
        window->actSiteListExecute();
    if (!line.HasLink) return window;
    window->CommandLineLink = line.Link;
    window->LinkLogFile = line.LogFile;
    window->QuitAfterLink = line.QuitAfterLink;
    window->ConfirmLinkDownload = line.FromDesktop;
    // Once every window stands and the message loop runs.
    TfrmMain* target = window.get();
    const bool normalLogin = line.NormalLogin;
    QTimer::singleShot(
        0, target, [target, normalLogin] { target->ConnectToLink(target->CommandLineLink, normalLogin); });
    return window;
}
