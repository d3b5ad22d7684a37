#pragma once
#include <QDateTime>

// A point in time as days since 30 December 1899 (the fraction is the time of
// day); 0 stands for "no date".
using TDateTime = double;

// Returns false (and leaves result alone) for an impossible date or time.
bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, TDateTime& result);
QDateTime DateTimeToQDateTime(TDateTime value);
TDateTime QDateTimeToDateTime(const QDateTime& value);
