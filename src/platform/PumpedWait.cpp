#include "platform/PumpedWait.h"

#include <QElapsedTimer>
#include <QTimer>

void PumpEventsOnce()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

namespace {

// The one bounded wait loop; limitMs > 0.
bool PumpUntil(const std::function<bool()>& done, const std::function<qint64()>& progress, int limitMs)
{
    if (done()) return true;  // spares the timers when nothing needs waiting for
    // The timer only wakes the blocked event loop at the deadline. It is armed
    // again only after it fired: progress moves the deadline later, and a
    // timer may fire a little early, so a wake-up may find time left.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QElapsedTimer idle;
    idle.start();
    qint64 seen = progress();
    while (!done()) {
        const qint64 now = progress();
        if (now != seen) {
            seen = now;
            idle.restart();
        }
        const qint64 remaining = limitMs - idle.elapsed();
        if (remaining <= 0) return false;
        if (!wake.isActive()) wake.start(static_cast<int>(remaining));
        PumpEventsOnce();
    }
    return true;
}

}  // namespace

bool WaitUntilFor(const std::function<bool()>& done, int timeoutMs)
{
    if (timeoutMs <= 0) return done();
    return PumpUntil(
        done, [] { return qint64(0); }, timeoutMs);
}

bool WaitUntilIdleFor(const std::function<bool()>& done, const std::function<qint64()>& progress, int idleMs)
{
    if (idleMs <= 0) {
        WaitUntil(done);
        return true;
    }
    return PumpUntil(done, progress, idleMs);
}
