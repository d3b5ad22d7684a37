#pragma once
#include <QString>

// What the main window needs of the transfer engine while a session runs.
// The transfer window implements it; until one is attached the main window
// treats every data transaction as a directory listing.
class TTransferHooks {
public:
    virtual ~TTransferHooks() = default;

    // A job is running, and it has sent the command of a file transfer.
    virtual bool Active() const = 0;
    virtual bool FileCommandIssued() const = 0;
    // A file's data is moving.
    virtual bool FileInProgress() const = 0;
    virtual void TransferStarted() = 0;
    virtual void TransferStopped() = 0;
    virtual void UpdateTransferred() = 0;
    // Ends the job (or the file that is moving, which then ends the job):
    // with a question to the user, or at once. False when the user said no.
    virtual bool CancelTransfer(bool confirm) = 0;
    virtual void AbortTransfer() = 0;
    // The last file's numbers for the log's completion line, already formatted.
    virtual QString TransferStatisticsLine() const = 0;
    // The caption prefix while a file moves: percent done and the file's name.
    virtual int ProgressPercent() const = 0;
    virtual QString CurrentFileName() const = 0;
};
