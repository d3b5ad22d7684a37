#include "platform/DateTime.h"

#include <QDate>
#include <QTime>
#include <cmath>

namespace {
const QDate Epoch(1899, 12, 30);
}

bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, TDateTime& result)
{
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1) return false;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
    const double days = static_cast<double>(Epoch.daysTo(date));
    result = days + (hour * 3600 + minute * 60 + second) / 86400.0;
    return true;
}

QDateTime DateTimeToQDateTime(TDateTime value)
{
    const double whole = std::floor(value);
    const qint64 ms = std::llround((value - whole) * 86400000.0);
    return QDateTime(Epoch.addDays(static_cast<qint64>(whole)), QTime(0, 0)).addMSecs(ms);
}

TDateTime QDateTimeToDateTime(const QDateTime& value)
{
    const QDateTime start(Epoch, QTime(0, 0), value.timeSpec());
    return start.msecsTo(value) / 86400000.0;
}
