#pragma once
// The main window against a real FTP server of its own, as the end-to-end
// tests of the window use it: the server, a local folder, scripted answers
// to every box, and a watchdog that stops any wait a test would hang in.
#include "SessionWatchdog.h"
#include "app/StatusLog.h"
#include "app/frmMain.h"
#include "support/IsolatedTempFolder.h"
#include "support/PyFtpdServer.h"
#include "support/dialogs/ScriptedDialogs.h"
#include "views/local/FileListView.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

class MainWindowOnSite : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Server.Start()) << Server.ErrorText().toStdString();
        ASSERT_TRUE(Temp.IsValid() && Local.isValid());
    }

    QString Remote(const QString& path) const { return QDir(Server.RootPath()).filePath(path); }
    QString LocalPath(const QString& path) const { return QDir(Local.path()).filePath(path); }
    QString Log() const { return Main.Status->Lines().join('\n'); }

    // Shows the window on the local folder and logs in to the server.
    void Connect()
    {
        TSiteSettings site;
        site.SiteName = QStringLiteral("Test site");
        site.Address = QStringLiteral("127.0.0.1:%1").arg(Server.Port());
        site.UserName = QString::fromLatin1(Server.User());
        site.Password = QString::fromLatin1(Server.Password());
        site.NormalLogin = true;
        site.ForceList = ForceList;
        site.Encryption = enPlainOnly;  // the fixture's server speaks plain FTP only
        Main.show();
        Main.LocalDir->SetDirectory(Local.path());
        ASSERT_EQ(Main.LocalDir->Directory(), Local.path());
        ASSERT_TRUE(Main.ConnectToSite(site, QString())) << Log().toStdString();
        ASSERT_EQ(Main.ConnectionState, csConnected);
    }

    PyFtpdServer Server;
    IsolatedTempFolder Temp;  // the window's own temporary files go here
    QTemporaryDir Local;
    TScriptedDialogs Dialogs;
    TfrmMain Main;
    TSessionWatchdog Watchdog{Main, 90000};
    bool ForceList = false;  // the site lists by "LIST" even where "MLSD" is offered
};
