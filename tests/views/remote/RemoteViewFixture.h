#pragma once
// A remote view bound to a client that talks to the scripted server, which
// serves a small tree: the main window's wiring, offscreen.
#include "RemoteSite.h"
#include "support/SelectRows.h"
#include "support/dialogs/ScriptedDialogs.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

class RemoteViewTest : public ::testing::Test {
protected:
    RemoteViewTest()
    {
        SetUpTestClient(Ftp, Server.Port());
        // As the main window does: a closed control connection ends any wait.
        Ftp.OnDisconnect = [this](QObject*) { Ftp.Cancel(); };
        ForwardOutcomes(Ftp, View);
        View.SetFtpControl(&Ftp);
        View.SetDirectoryControl(&History);
        View.OnBusy = [this](TCustomFileListView*) { Events << "busy"; };
        View.OnReady = [this](TCustomFileListView*) { Events << "ready"; };
        View.OnRefreshList = [this](TCustomFileListView*) { Events << "refreshed"; };
        View.OnDeleting = [this](TCustomFileListView*, int count, const QString& name, bool isDir,
                                 bool& canDelete) {
            Events << QStringLiteral("deleting %1 '%2' %3").arg(count).arg(name).arg(isDir);
            canDelete = AllowDeletions;
        };
        View.resize(600, 400);
        View.show();

        Site.AddDirectory("/pub");
        Site.AddFile("/pub/readme.txt");
        Site.AddDirectory("/d");
        Site.AddDirectory("/d/sub");
        Site.AddFile("/d/sub/x.txt");
        Site.AddFile("/d/f1");
        Site.AddFile("/d/f2");
        Site.AddLink("/d/link", "/pub");
        Site.AddFile("/a.txt", 1234);
        Site.AddFile("/b.txt", 2560);
        Site.AddFile("/c.txt", 0);
        Site.AddLink("/lnk", "/pub");
    }
    void TearDown() override
    {
        EXPECT_FALSE(Dog.Fired());
        try {
            if (Ftp.Connected()) Ftp.Disconnect();
        } catch (const std::exception&) {
            // Some tests leave the session broken on purpose.
        }
    }

    // Logs in and opens the start directory; what came before is forgotten.
    void Connect(const QString& startDir = {})
    {
        Ftp.Connect();
        ASSERT_TRUE(Ftp.Connected());
        View.Open(startDir);
        Mark();
    }
    void Mark()
    {
        Seen = Server.Commands().size();
        Events.clear();
    }
    // What the server received since the last Mark, PORT arguments masked.
    QByteArrayList Sent() const { return Server.MaskedCommands().mid(Seen); }

    QStringList Rows() const { return Captions(View); }
    int Row(const QString& name) const { return int(Rows().indexOf(name)); }
    void Select(const QStringList& names)
    {
        QList<int> rows;
        for (const QString& name : names)
            rows << Row(name);
        SelectRows(View, rows);
    }

    void CancelEdit() { EndCaptionEdit(View); }

    // The listing the site serves at the root, as the view sorts it.
    const QStringList RootRows{"d", "lnk", "pub", "a.txt", "b.txt", "c.txt"};

    ScriptedFtpServer Server;
    TTestFtp Ftp;
    TRemoteSite Site{Server, Ftp};
    QLineEdit History;
    TFtpFileListView View;
    TWatchdog Dog{Ftp, 20000};
    TScriptedDialogs Dialogs;  // the view asks only before a rename replaces an entry
    QStringList Events;
    bool AllowDeletions = true;
    qsizetype Seen = 0;
};
