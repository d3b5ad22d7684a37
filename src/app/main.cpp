// QuilloFTP: an FTP client with a local and a remote pane.
#include "app/ProgramStart.h"
#include "app/frmMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    SetApplicationIdentity();
    const std::unique_ptr<TfrmMain> window = ShowMainWindow(QApplication::arguments().mid(1));
    return QApplication::exec();
}
