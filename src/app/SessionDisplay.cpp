#include "app/SessionDisplay.h"

QString SessionLengthText(const QDateTime& start, const QDateTime& now)
{
    const qint64 seconds = qMax<qint64>(0, start.msecsTo(now) / 1000);
    return QStringLiteral("Session length: %1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString NotConnectedText()
{
    return QStringLiteral("Not connected");
}

QString RetryCountdownText(int secondsLeft)
{
    return QStringLiteral("%1 seconds left to retry").arg(secondsLeft);
}
