#include "net/TlsSessionPool.h"

void TTlsSessionPool::Add(TTlsSession session)
{
    if (!session) return;
    Sessions.push_back(std::move(session));
    if (Sessions.size() > MaxSessions) Sessions.pop_front();
}

TTlsSession TTlsSessionPool::Take()
{
    if (Sessions.empty()) return {};
    TTlsSession newest = Sessions.back();
    if (Sessions.size() > 1) Sessions.pop_back();
    return newest;
}
