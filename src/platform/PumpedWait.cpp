#include "platform/PumpedWait.h"

void PumpEventsOnce()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

#include <QElapsedTimer>
#include <QTimer>

bool WaitUntilFor(const std::function<bool()>& done, int timeoutMs)
{
    // The timer only wakes the blocked event loop at the deadline. It is
    // armed again only once it has gone off, since a timer may fire a little
    // early: arming it on every pass cost a fifth of a busy pass.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        const qint64 remaining = timeoutMs - clock.elapsed();
        if (remaining <= 0) return false;
        if (!wake.isActive()) wake.start(static_cast<int>(remaining));
        PumpEventsOnce();
    }
    return true;
}
