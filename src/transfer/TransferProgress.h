#pragma once
#include <QtGlobal>

// The numbers behind the log's completion line for one file: bytes moved in
// this run of the file, how long it took, and the rate.
struct TTransferStatistics {
    qint64 Bytes = 0;
    qint64 DurationMs = 0;
    double RateKBps = 0;
};
