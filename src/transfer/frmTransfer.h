#pragma once
#include "transfer/TransferHooks.h"
#include "transfer/TransferProgress.h"

#include <QDialog>
#include <QTimer>
#include <memory>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class TDirectory;
class TFileListView;
class TFtpFileListView;
class TResumableFtp;
class TSettings;
class TTransferHost;

// The transfer window: the engine that walks a job of files and directory
// trees in one direction, and its progress dialog with Skip and Cancel.
//
// DownloadFiles and UploadFiles return only when the job they started has
// ended; every FTP command waits while the event loop runs, so Skip, Cancel,
// the rate timer and the client's events are handled from inside those
// waits. A job handed over while another runs joins the queue with its own
// direction and runs when the jobs before it have ended.
class TfrmTransfer : public QDialog, public TTransferHooks {
    Q_OBJECT
public:
    TfrmTransfer(TResumableFtp& ftp, TFileListView& localDir, TFtpFileListView& remoteDir,
                 TSettings& settings, TTransferHost& host, QWidget* parent = nullptr);
    ~TfrmTransfer() override;

    // Download: tree is the remote view's selection without recursion (files
    // by name, subdirectories as empty placeholders), localPath the folder
    // that receives it. Upload: tree is the local view's recursive
    // selection, localPath the folder that holds it; the files go to the
    // remote view's current directory.
    void DownloadFiles(std::unique_ptr<TDirectory> tree, const QString& localPath);
    void UploadFiles(std::unique_ptr<TDirectory> tree, const QString& localPath);
    // The next file resumes without asking (the user dropped a file onto its
    // partial copy and said yes).
    void ApproveResume();
    // The next job's files are whole new versions of what they replace: an
    // existing file is replaced without a question (and only once the new
    // one is complete), and never resumed.
    void ApproveReplace();

    // TTransferHooks.
    bool Active() const override;
    bool FileCommandIssued() const override;
    bool FileInProgress() const override;
    void TransferStarted() override;
    void TransferStopped() override;
    void UpdateTransferred() override;
    bool CancelTransfer(bool askUser) override;
    void AbortTransfer() override;
    QString TransferStatisticsLine() const override;
    int ProgressPercent() const override;
    QString CurrentFileName() const override;

    TTransferStatistics GetTransferStatistics() const;
    // Whether the last job that ended went through to its end (no cancel,
    // no failure that ended it).
    bool LastJobCompleted() const;
    // How many files of the last job that ended arrived whole, and how many
    // it tried that did not (refused, cut short, skipped, unsafe names).
    int LastJobFilesDone() const;
    int LastJobFilesMissed() const;

    // Controls, named as designed.
    QLabel* lblSourceFileCap;
    QLabel* lblSourceFile;
    QLabel* lblDestinationDirCap;
    QLabel* lblDestinationDir;
    QGroupBox* grpTransferInfo;
    QLabel* lblTransferred;
    QLabel* lblTransferSpeed;
    QLabel* lblTimeLeft;
    QProgressBar* prgTransfer;
    QLabel* lblItemsLeft;
    QPushButton* btnSkip;
    QPushButton* btnCancel;
    QTimer tmrTransfer;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Esc is Cancel

private:
    // The walk, the per-file decisions and the progress state live in
    // TransferState.h, private to the implementation files.
    struct TState;
    enum class TWork { File, JobDone, Failed };

    // The window (frmTransfer.cpp).
    void BuildControls();
    void ResetStatus();
    void ShowItemsLeft();
    void ShowProgress();
    void UpdateRate();
    void btnSkipClick();
    void btnCancelClick();

    // The job queue and the walk (TransferWalk.cpp).
    void QueueJob(std::unique_ptr<TDirectory> tree, const QString& localPath, bool downloading);
    void StartJob();
    void RunJob();
    TWork FindWork();
    void TransferNextFile();
    bool NextDirectory();
    bool LeaveDirectory();
    bool EnterDirectory();
    bool EnterUploadDirectory(const QString& name);
    bool EnterDownloadDirectory(const QString& name, const QString& localPath);
    bool ReturnToRemote(const QString& path);
    void FinishJob(bool completed);
    void ReportFinishedJobs();
    bool StillConnected();

    // The per-file decisions and the abort paths (TransferDecisions.cpp).
    void RunFileCommand(const QString& localPath);
    void AfterFileCommand(const QString& localPath);
    void LogKept(const QString& localPath);
    void DownloadOne(const QString& localPath);
    void UploadOne(const QString& localPath);
    bool ConfirmReplace();
    bool CheckResume(const QString& localPath);
    void AbortFile(bool askUser);
    void HandlePartialFile(const QString& localPath);
    void DeletePartialFile(const QString& localPath);
    void AddFileToView();
    int RemoteItem(const QString& name) const;
    int LocalItem(const QString& name) const;
    void StoreOver(const QString& localPath, const QByteArray& remoteName);

    std::unique_ptr<TState> S;
};
