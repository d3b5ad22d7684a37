#include "support/UnansweredPort.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

UnansweredPort::UnansweredPort() : UnansweredPort(INADDR_LOOPBACK, 0) {}

UnansweredPort::UnansweredPort(quint32 host, quint16 port)
{
    FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(host);
    address.sin_port = htons(port);
    socklen_t len = sizeof address;
    if (::bind(FListener, reinterpret_cast<sockaddr*>(&address), len) != 0 || ::listen(FListener, 0) != 0)
        return;
    ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &len);
    FPort = ntohs(address.sin_port);
    // Nobody accepts: a few connections fill the queue for good.
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        FFillers.push_back(fd);
    }
}

UnansweredPort::~UnansweredPort()
{
    for (int fd : FFillers)
        ::close(fd);
    if (FListener >= 0) ::close(FListener);
}
