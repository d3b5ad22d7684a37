#pragma once
#include <QCoreApplication>
#include <QEventLoop>
#include <functional>

// The program is single-threaded: a "blocking" network operation runs the Qt
// event loop until its condition holds. Each pass blocks in the event
// dispatcher until something happens (socket activity, a timer, user input, a
// posted event), so a wait neither spins nor sleeps.
void PumpEventsOnce();

template <class Condition>
void WaitUntil(Condition done)
{
    while (!done())
        PumpEventsOnce();
}

// Like WaitUntil, but gives up after timeoutMs. Returns whether done() held.
bool WaitUntilFor(const std::function<bool()>& done, int timeoutMs);

// Like WaitUntil, but gives up once idleMs pass in which progress() keeps its
// value: every change of it starts the period anew, so a peer that keeps
// moving bytes is never given up on. idleMs <= 0 waits without limit.
// Returns whether done() held.
bool WaitUntilIdleFor(const std::function<bool()>& done, const std::function<qint64()>& progress, int idleMs);
