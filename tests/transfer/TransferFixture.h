#pragma once
// The transfer window with real panes offscreen, wired to its client as the
// main window wires it, and a host that records the log.
#include "RemoteSite.h"
#include "support/SelectRows.h"
#include "support/dialogs/ScriptedDialogs.h"

#include "settings/Settings.h"
#include "transfer/TransferHost.h"
#include "transfer/frmTransfer.h"
#include "views/local/FileListView.h"
#include "views/tree/Directory.h"

#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

class TRecordingHost : public TTransferHost {
public:
    explicit TRecordingHost(TFtpFileListView& remote) : Remote(remote) {}
    TTransferMode CurrentTransferMode() const override { return Mode; }
    bool SelectTransferType(bool text) override
    {
        Types << text;
        return Remote.SetTransferType(text);
    }
    void LogError(const QString& text) override { Log << QStringLiteral("E ") + text; }
    void LogInfo(const QString& text) override { Log << QStringLiteral("I ") + text; }
    void TransferFinished(bool upload) override
    {
        Finished << upload;
        if (OnFinished) OnFinished(upload);
    }

    // The lines that begin with prefix ("E File transfer aborted").
    int Count(const QString& prefix) const;
    QStringList Matching(const QString& prefix) const;

    TFtpFileListView& Remote;
    TTransferMode Mode = tmAutomatic;
    QList<bool> Types;
    QStringList Log;
    QList<bool> Finished;
    std::function<void(bool upload)> OnFinished;  // what the main window does then
};

class TransferFixture : public ::testing::Test {
protected:
    TransferFixture();
    ~TransferFixture() override;

    // Logs in, opens remote "/" and shows the local folder Local.
    void Connect(quint16 port, const QByteArray& user, const QByteArray& password);
    QString LocalPath(const QString& relative) const { return Local.filePath(relative); }
    // The remote view's rows named, as a selection tree without recursion.
    std::unique_ptr<TDirectory> RemoteSelection(const QStringList& names);
    // The local view's rows named, as a recursive selection tree.
    std::unique_ptr<TDirectory> LocalSelection(const QStringList& names);
    // Runs once, on the first packet after at least bytes have moved.
    void AtBytes(qint64 bytes, std::function<void()> action);
    // The files that arrived, as the log's "Transferring file" lines name them.
    QStringList TransferredNames() const;

    TTestFtp Ftp;
    TSettings Settings;
    QTemporaryDir Local;
    TFileListView LocalView;
    TFtpFileListView RemoteView;
    TRecordingHost Host{RemoteView};
    TScriptedDialogs Dialogs;
    TfrmTransfer Transfer{Ftp, LocalView, RemoteView, Settings, Host};
    bool WatchdogFired = false;
    QStringList Outcomes;  // "success 8", "failure 9" ...

private:
    void Wire();
    void Packet();

    QTimer Watchdog;
    qint64 ActionAt = -1;
    std::function<void()> Action;
};
