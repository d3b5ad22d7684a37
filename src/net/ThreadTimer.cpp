#include "net/ThreadTimer.h"

#include "platform/HandlerGuard.h"

#include <QDebug>

TThreadTimer::TThreadTimer(QObject* owner) : QObject(owner)
{
    Timer.setTimerType(Qt::PreciseTimer);
    connect(&Timer, &QTimer::timeout, this, [this] { Tick(); });
}

void TThreadTimer::SetEnabled(bool value)
{
    FEnabled = value;
    Rearm();
}

void TThreadTimer::SetInterval(quint32 ms)
{
    FInterval = ms;
    Rearm();
}

void TThreadTimer::SetOnTimer(std::function<void()> handler)
{
    FOnTimer = std::move(handler);
    Rearm();
}

void TThreadTimer::Rearm()
{
    Timer.stop();
    if (FInterval > 0 && FEnabled && FOnTimer)
        Timer.start(static_cast<int>(qMin<quint32>(FInterval, INT_MAX)));
}

void TThreadTimer::Tick()
{
    RunGuarded("Timer", [this] {
        if (FOnTimer) FOnTimer();
    });
}
