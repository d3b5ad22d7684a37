// QuilloFTP: an FTP client with a local and a remote pane.
#include "app/frmMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QuilloFTP"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    TfrmMain window;
    window.show();
    return QApplication::exec();
}
