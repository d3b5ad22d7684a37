#pragma once
#include <QString>
#include <QtGlobal>

// The numbers behind the log's completion line for one file: bytes moved in
// this run of the file, how long it took, and the rate.
struct TTransferStatistics {
    qint64 Bytes = 0;
    qint64 DurationMs = 0;
    double RateKBps = 0;
};

// The progress arithmetic of the transfer window. Every count is 64-bit:
// files beyond 2 and 4 GiB are ordinary. Roundings go to the nearest
// integer with halves to the even neighbour.

// value / divisor rounded, halves to even; divisor > 0, value >= 0.
qint64 RoundedQuotient(qint64 value, qint64 divisor);
// Percent of expected that done is; 0 when nothing is expected.
int PercentDone(qint64 done, qint64 expected);
// "Transferred: %d / %d kB (%d%)": a total that rounds to 0 shows as 1 kB, and
// so does a complete file of 1 to 512 bytes.
QString TransferredText(qint64 done, qint64 expected);
// A label's idle text: the designed text up to its first blank.
QString IdleText(const QString& text);
// The next smoothed rate in bytes per millisecond from a sample and the rate before it.
double SmoothedRate(double sample, double previousRate);
// "Transfer rate: %.1f kB/s" for a rate in bytes per millisecond.
QString RateText(double bytesPerMs);
// Hours, minutes and seconds; the hours never wrap at a day ("27:03:10").
QString DurationText(qint64 ms);
// "Time left: " and the time the remaining bytes take at rate (bytes per ms > 0).
QString TimeLeftText(qint64 remainingBytes, double bytesPerMs);
// The statistics of one file: bytes of this run, its duration, and the rate.
TTransferStatistics MakeStatistics(qint64 expectedBytes, qint64 resumeOffset, qint64 durationMs);
// "Transferred: %d bytes. Transfer time: %s. Transfer rate: %.1f kB/s".
QString StatisticsLine(const TTransferStatistics& statistics);
// "%d file(s) and %d subdirectory/subdirectories left in the source directory".
QString ItemsLeftText(qint64 files, qint64 directories);
