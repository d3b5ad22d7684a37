#pragma once
#include "net/ResumableFtp.h"
#include "transfer/TransferHost.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <memory>

struct TBenchUrl;
class TFileListView;
class TFtpFileListView;
class TSettings;
class TStatusLog;
class TfrmTransfer;

// The transfer window driven from the command line, offscreen, for
// scripts/bench:
//   mirror-get URL DIR   downloads the remote folder at URL's path into DIR
//   mirror-put DIR URL   uploads the local folder DIR into URL's path
//   app-get URL FILE     downloads one file; FILE's name must be URL's
// Both panes, the status log and the client's events are wired as in the
// main window, so the run costs what a user waits for. Each prints the
// number of files completed. A job that ended with any error line in the
// log (a failed file, "File transfer aborted") raises Exception.
class TTransferBench : public QWidget, public TTransferHost {
    Q_OBJECT
public:
    explicit TTransferBench(std::FILE* out, bool verbose = false);
    ~TTransferBench() override;

    static bool Handles(const QString& command);
    // Data connections in passive mode instead of active.
    void SetPassive(bool on) { Ftp.PassiveMode = on; }
    // FTP over TLS (explicit required, or implicit), trusting the server's
    // certificate whoever made it.
    void SetTls(TFtpEncryption encryption);
    // arguments: the command and its operands, without the program name.
    void Run(const QStringList& arguments);

    // TTransferHost.
    TTransferMode CurrentTransferMode() const override { return tmBinary; }
    bool SelectTransferType(bool text) override;
    void LogError(const QString& text) override;
    void LogInfo(const QString& text) override;
    void TransferFinished(bool upload) override;

private:
    void BindFtpEvents();
    void Open(const TBenchUrl& url, const QByteArray& remoteFolder, const QString& localFolder);
    void RunJob(bool upload, std::unique_ptr<class TDirectory> tree, const QString& localFolder);
    void MirrorGet(const TBenchUrl& url, const QString& localFolder);
    void MirrorPut(const QString& localFolder, const TBenchUrl& url);
    void AppGet(const TBenchUrl& url, const QString& localFile);
    void FtpSuccess(TCmdType type);
    void FtpFailure(TCmdType type);
    void UpdateCaption();
    void Close();

    std::FILE* Out;
    bool Verbose;
    QTemporaryDir SettingsHome;
    std::unique_ptr<TSettings> Settings;
    TResumableFtp Ftp;
    TFileListView* LocalDir;
    TFtpFileListView* RemoteDir;
    TStatusLog* Status;
    std::unique_ptr<TfrmTransfer> Transfer;
    QStringList Errors;
    int FilesCompleted = 0;
    bool JobFinished = false;
};
