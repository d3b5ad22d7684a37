// The whole way a user takes against a real FTP server: a new site typed
// into the site dialog with the server's port, its listing in the remote
// pane, and disconnecting.
#include "app/StatusLog.h"
#include "app/frmMain.h"
#include "support/PyFtpdServer.h"
#include "support/TestFiles.h"
#include "support/dialogs/ScriptedDialogs.h"
#include "views/remote/FtpFileListView.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QStringList RemoteCaptions(TFtpFileListView& view)
{
    QStringList captions;
    for (int row = 0; row < view.model()->rowCount(); ++row)
        captions << view.model()->index(row, 0).data().toString();
    return captions;
}

}  // namespace

TEST(ControllerEndToEnd, ConnectThroughTheNewSiteDialogBrowseAndDisconnect)
{
    PyFtpdServer server;
    ASSERT_TRUE(server.Start()) << server.ErrorText().toStdString();
    ASSERT_TRUE(QDir(server.RootPath()).mkdir(QStringLiteral("pub")));
    ASSERT_TRUE(testfiles::Write(QDir(server.RootPath()).filePath(QStringLiteral("readme.txt")), "hello\n"));

    TScriptedDialogs dialogs;
    TfrmMain main;
    // Bounds every wait: when it fires, the client's waits end.
    bool fired = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        fired = true;
        main.Ftp.Abort();
        main.Ftp.Cancel();
    });
    watchdog.start(60000);
    dialogs.OnModal([&server](QDialog& dialog) {
        // The server's own port, typed after the host as a user would.
        dialog.findChild<QLineEdit*>(QStringLiteral("edSiteAddress"))
            ->setText(QStringLiteral(" 127.0.0.1:%1 ").arg(server.Port()));
        dialog.findChild<QRadioButton*>(QStringLiteral("rbnNormalLogin"))->setChecked(true);
        dialog.findChild<QLineEdit*>(QStringLiteral("edUserName"))
            ->setText(QString::fromLatin1(server.User()));
        dialog.findChild<QLineEdit*>(QStringLiteral("edPassword"))
            ->setText(QString::fromLatin1(server.Password()));
        return int(QDialog::Accepted);
    });

    main.Actions[QStringLiteral("actConnectToNew")]->trigger();
    ASSERT_EQ(main.ConnectionState, csConnected) << main.Status->Lines().join('\n').toStdString();
    EXPECT_EQ(main.windowTitle(), "New site - QuilloFTP");
    EXPECT_EQ(main.RemoteDir->Directory(), "/");
    EXPECT_EQ(RemoteCaptions(*main.RemoteDir), (QStringList{"pub", "readme.txt"}));
    EXPECT_TRUE(main.Status->Lines().contains("Directory listing retrieved successfully"));
    EXPECT_FALSE(main.Status->Lines().join('\n').contains(QString::fromLatin1(server.Password())));

    main.Actions[QStringLiteral("actDisconnect")]->trigger();
    EXPECT_EQ(main.ConnectionState, csNotConnected);
    EXPECT_FALSE(main.Ftp.Connected());
    EXPECT_EQ(main.Status->Lines().last(), "Disconnected");
    EXPECT_EQ(main.RemoteDir->ItemCount(), 0);
    EXPECT_FALSE(fired) << "a wait ran into the watchdog";
}
