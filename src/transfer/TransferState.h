#pragma once
// The transfer window's private state, shared by its implementation files.
#include "platform/PaintThrottle.h"
#include "transfer/frmTransfer.h"
#include "views/tree/Directory.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <deque>
#include <vector>

class TFileListView;
class TFtpFileListView;
class TResumableFtp;
class TSettings;
class TTransferHost;

// One tree handed over, with the direction it was handed over in: a queued
// upload must never run as a download of its plan.
struct TTransferJob {
    std::unique_ptr<TDirectory> Tree;
    bool Downloading = true;
    bool ReplaceApproved = false;
};

struct TfrmTransfer::TState {
    TState(TResumableFtp& ftp, TFileListView& localDir, TFtpFileListView& remoteDir, TSettings& settings,
           TTransferHost& host)
        : Ftp(ftp), LocalView(localDir), RemoteView(remoteDir), Settings(settings), Host(host)
    {}

    TResumableFtp& Ftp;
    TFileListView& LocalView;
    TFtpFileListView& RemoteView;
    TSettings& Settings;
    TTransferHost& Host;

    // The walk.
    std::deque<TTransferJob> Jobs;
    // Trees of ended jobs: freed only once the walk that may still point into
    // them has unwound (a job can end from inside one of its own waits).
    std::vector<TTransferJob> Retired;
    // The direction (true: upload) of each ended job whose TransferFinished
    // is still due. It runs once the walk has unwound: what it does (a
    // refresh of a pane sends commands) must not run inside a command that
    // is still waiting for its reply.
    std::vector<bool> FinishedUploads;
    bool LastJobCompleted = false;
    int FilesTried = 0;  // of the running job
    int FilesDone = 0;
    int LastJobFilesDone = 0;
    int LastJobFilesMissed = 0;
    bool ReplaceApproved = false;  // for the next job handed over
    bool ReplacesUnasked = false;  // the running job's, see ApproveReplace
    std::vector<TDirectory*> ParentStack;
    // The remote directory of each entry of ParentStack, and of CurrentDir
    // (last): a link back into the walk is recognised by it, and a folder
    // entered through a link is left by its path, not by "CDUP".
    std::vector<QString> RemotePaths;
    TDirectory* CurrentDir = nullptr;
    QString LocalDir;
    QString CurrentFileName;
    QString DestinationDir;
    bool Downloading = true;
    bool Active = false;
    bool Running = false;  // RunJob is on the stack: new trees only queue
    bool FileCommandIssued = false;
    bool ReplaceAll = false;
    bool SkipAll = false;  // "No to all": existing files stay for the rest of the job
    bool ResumeApproved = false;
    bool Failed = false;  // the job ends as aborted after this step

    // The file.
    bool Resuming = false;
    qint64 ResumeOffset = 0;
    qint64 ListedSize = -1;          // the remote listing's size of the file, -1 unknown
    bool ReplacingExisting = false;  // the destination existed and is replaced only when complete
    qint64 ExpectedBytes = 0;
    qint64 BytesDone = 0;
    qint64 BytesSinceSample = 0;
    double Rate = 0;
    double PreviousRate = 0;
    QElapsedTimer Clock;  // started at TransferStarted
    qint64 EndMs = 0;     // Clock's reading at TransferStopped
    QElapsedTimer SampleClock;
    QElapsedTimer PaintClock;  // the labels follow the counters at most ten times a second
    // Paints the last numbers of a burst that ended between two paints: a
    // throttled server sends in bursts, and the labels would otherwise show
    // a burst's first packet until the next burst.
    QTimer TrailingPaint;
    // While a job runs, this window paints at most ten times a second too,
    // and the main window four times: otherwise each file's replies repaint
    // them, and the main window's panes and log are large areas to fill.
    TPaintThrottle Paints{100};
    // The type this job set for its last file: 1 text, 0 binary, -1 none yet.
    int JobTypeText = -1;
    bool FileInProgress = false;
    bool AbortRequested = false;
    bool SkipRequested = false;
    bool AskAboutPartialFile = false;
    bool FileSucceeded = false;   // the client reported the file's success
    bool FileCommandRan = false;  // a download or upload command was sent for the file
};
