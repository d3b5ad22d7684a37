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
