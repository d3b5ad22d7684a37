#pragma once
#include <deque>
#include <memory>

struct ssl_session_st;
using TTlsSession = std::shared_ptr<ssl_session_st>;

// The sessions a server hands out over one FTP session, for its data
// connections to resume. A TLS 1.3 ticket is good for one connection only
// (servers drop it once used), and every resumed connection brings a new
// one; a TLS 1.2 session may be resumed again and again.
class TTlsSessionPool {
public:
    void Add(TTlsSession session);
    // The newest session; the last one stays for later connections, as
    // resuming it again is the best left to try. Empty when there is none.
    TTlsSession Take();
    bool Empty() const { return Sessions.empty(); }

private:
    // Servers hand out a few per connection; older ones are the first to expire.
    static constexpr std::size_t MaxSessions = 8;
    std::deque<TTlsSession> Sessions;
};
