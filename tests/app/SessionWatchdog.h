#pragma once
// Ends any wait of the window's client a test would hang in, and fails the
// test when it had to: a hang shows as a failure, not as a run cut off by
// CTest's time limit.
#include "app/frmMain.h"

#include <QTimer>
#include <gtest/gtest.h>

class TSessionWatchdog {
public:
    // Declare it after the window, so that it goes first.
    TSessionWatchdog(TfrmMain& main, int ms)
    {
        Timer.setSingleShot(true);
        QObject::connect(&Timer, &QTimer::timeout, [this, &main] {
            Fired = true;
            main.Ftp.Abort();
            main.Ftp.Cancel();
        });
        Timer.start(ms);
    }
    ~TSessionWatchdog() { EXPECT_FALSE(Fired) << "a wait ran into the watchdog"; }
    TSessionWatchdog(const TSessionWatchdog&) = delete;
    TSessionWatchdog& operator=(const TSessionWatchdog&) = delete;

private:
    QTimer Timer;
    bool Fired = false;
};
