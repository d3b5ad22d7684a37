#pragma once
#include <QtGlobal>
#include <vector>

// A loopback port that never answers a connection attempt: its listener's
// accept queue is kept full, so the system drops further connection requests
// and a client's connect waits until it gives up or times out.
class UnansweredPort {
public:
    UnansweredPort();
    // On a given IPv4 address and port (host byte order), such as a port
    // that answers on another loopback address.
    UnansweredPort(quint32 address, quint16 port);
    ~UnansweredPort();
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    quint16 Port() const { return FPort; }

private:
    int FListener = -1;
    std::vector<int> FFillers;
    quint16 FPort = 0;
};
