#pragma once
#include <QDateTime>
#include <QString>

// Texts of the session display in status panel 1. "now" is passed in, so the
// display is exact under a test clock.

// "Session length: h:nn:ss" for the time from start to now; hours carry no
// leading zero and keep counting past a day; a clock that went back shows 0:00:00.
QString SessionLengthText(const QDateTime& start, const QDateTime& now);
QString NotConnectedText();
// "%d seconds left to retry".
QString RetryCountdownText(int secondsLeft);
