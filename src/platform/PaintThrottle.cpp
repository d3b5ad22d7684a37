#include "platform/PaintThrottle.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

void PostUpdateRequest(QWidget* window)
{
    // Qt's repaint manager posts this very event for its pending paints.
    QCoreApplication::postEvent(window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

}  // namespace

TPaintThrottle::TPaintThrottle(int intervalMs, QObject* parent) : QObject(parent), IntervalMs(intervalMs) {}

TPaintThrottle::~TPaintThrottle()
{
    Release();
}

void TPaintThrottle::Watch(QWidget* widget, int intervalMs)
{
    QWidget* window = widget ? widget->window() : nullptr;
    if (!window || Find(window)) return;
    Windows.push_back({window, {}, false, intervalMs > 0 ? intervalMs : IntervalMs});
    window->installEventFilter(this);
}

void TPaintThrottle::Release()
{
    std::vector<TWatched> windows;
    windows.swap(Windows);
    for (TWatched& watched : windows) {
        if (!watched.Window) continue;
        watched.Window->removeEventFilter(this);
        if (watched.Deferred) PostUpdateRequest(watched.Window);
    }
}

bool TPaintThrottle::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::UpdateRequest) return false;
    TWatched* window = Find(watched);
    if (!window) return false;
    const qint64 since = window->LastPaint.isValid() ? window->LastPaint.elapsed() : window->IntervalMs;
    if (since >= window->IntervalMs) {
        window->LastPaint.restart();
        return false;
    }
    PaintLater(*window, window->IntervalMs - since);
    return true;
}

TPaintThrottle::TWatched* TPaintThrottle::Find(const QObject* window)
{
    for (TWatched& watched : Windows)
        if (watched.Window && watched.Window.data() == window) return &watched;
    return nullptr;
}

void TPaintThrottle::PaintLater(TWatched& watched, qint64 delayMs)
{
    if (watched.Deferred) return;
    watched.Deferred = true;
    QTimer::singleShot(static_cast<int>(delayMs), this, [this, window = watched.Window] {
        TWatched* still = Find(window);
        if (!still || !still->Deferred) return;
        still->Deferred = false;
        PostUpdateRequest(window);
    });
}
