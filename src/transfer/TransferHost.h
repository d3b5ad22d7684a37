#pragma once
#include "transfer/TransferMode.h"

#include <QString>

// What the transfer window needs of the main window: the transfer mode, the
// server's transfer type, the status log, and the end of every job.
class TTransferHost {
public:
    virtual ~TTransferHost() = default;

    virtual TTransferMode CurrentTransferMode() const = 0;
    // Sets text or binary on the server; false when the server refused.
    virtual bool SelectTransferType(bool text) = 0;
    virtual void LogError(const QString& text) = 0;
    virtual void LogInfo(const QString& text) = 0;
    // Runs once at the end of every job, completed or not: refreshes the
    // pane that received files and undoes what was set up for the job.
    virtual void TransferFinished(bool upload) = 0;
};
