#include "transfer/TransferProgress.h"

#include <cmath>

qint64 RoundedQuotient(qint64 value, qint64 divisor)
{
    // Integer arithmetic: a double would lose the exact half beyond 2^53.
    const qint64 quotient = value / divisor;
    const qint64 twiceRest = (value % divisor) * 2;
    if (twiceRest > divisor || (twiceRest == divisor && quotient % 2 != 0)) return quotient + 1;
    return quotient;
}

int PercentDone(qint64 done, qint64 expected)
{
    if (expected <= 0 || done <= 0) return 0;
    if (done >= expected) return 100;
    // done < expected, so done * 100 needs more than 63 bits only beyond 90 PB;
    // the 128-bit product keeps even that exact.
    const __int128 scaled = __int128(done) * 100;
    const qint64 quotient = qint64(scaled / expected);
    const __int128 twiceRest = (scaled % expected) * 2;
    if (twiceRest > expected || (twiceRest == expected && quotient % 2 != 0)) return int(quotient + 1);
    return int(quotient);
}

QString TransferredText(qint64 done, qint64 expected)
{
    qint64 kbDone = RoundedQuotient(qMax<qint64>(done, 0), 1024);
    if (kbDone == 0 && expected == done && done > 0) kbDone = 1;
    qint64 kbTotal = RoundedQuotient(qMax<qint64>(expected, 0), 1024);
    if (kbTotal == 0) kbTotal = 1;
    return QStringLiteral("Transferred: %1 / %2 kB (%3%)")
        .arg(kbDone)
        .arg(kbTotal)
        .arg(PercentDone(done, expected));
}

QString IdleText(const QString& text)
{
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    return blank <= 0 ? QString() : text.left(blank);
}

double SmoothedRate(double sample, double previousRate)
{
    return previousRate > 0 ? (sample + previousRate) / 2 : sample;
}

QString RateText(double bytesPerMs)
{
    return QStringLiteral("Transfer rate: %1 kB/s").arg(bytesPerMs * 1000 / 1024, 0, 'f', 1);
}

QString DurationText(qint64 ms)
{
    const qint64 seconds = qMax<qint64>(ms, 0) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString TimeLeftText(qint64 remainingBytes, double bytesPerMs)
{
    const double left =
        bytesPerMs > 0 ? std::nearbyint(double(qMax<qint64>(remainingBytes, 0)) / bytesPerMs) : 0;
    // A stalled transfer would leave "forever"; a year of hours is plenty to show that.
    const qint64 ms = qint64(qMin(left, 365.0 * 24 * 3600 * 1000));
    return QStringLiteral("Time left: ") + DurationText(ms);
}

TTransferStatistics MakeStatistics(qint64 expectedBytes, qint64 resumeOffset, qint64 durationMs)
{
    TTransferStatistics statistics;
    statistics.Bytes = qMax<qint64>(expectedBytes - resumeOffset, 0);
    statistics.DurationMs = qMax<qint64>(durationMs, 0);
    const double seconds = statistics.DurationMs > 0 ? statistics.DurationMs / 1000.0 : 0.001;
    statistics.RateKBps = statistics.Bytes / seconds / 1024;
    return statistics;
}

QString StatisticsLine(const TTransferStatistics& statistics)
{
    return QStringLiteral("Transferred: %1 bytes. Transfer time: %2. Transfer rate: %3 kB/s")
        .arg(statistics.Bytes)
        .arg(DurationText(statistics.DurationMs))
        .arg(statistics.RateKBps, 0, 'f', 1);
}

QString ItemsLeftText(qint64 files, qint64 directories)
{
    return QStringLiteral("%1 %2 and %3 %4 left in the source directory")
        .arg(files)
        .arg(files == 1 ? QStringLiteral("file") : QStringLiteral("files"))
        .arg(directories)
        .arg(directories == 1 ? QStringLiteral("subdirectory") : QStringLiteral("subdirectories"));
}
