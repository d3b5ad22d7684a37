#include "support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace loopback {
namespace {

// Waits for `events` on fd. False on time-out, wake or a poll failure.
bool WaitFor(int fd, short events, int wake, int timeoutMs)
{
    pollfd fds[2] = {{fd, events, 0}, {wake, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || fds[1].revents != 0) return false;
        return fds[0].revents != 0;
    }
}

// Replies go out at once: with Nagle's algorithm a second short reply waits
// for the peer's delayed acknowledgement of the first (about 40 ms a time).
int WithoutDelay(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

sockaddr_in LoopbackAddress(quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

int Listen(quint16& port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        Close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

int Accept(int listenFd, int wake)
{
    while (WaitFor(listenFd, POLLIN, wake, -1)) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) return WithoutDelay(fd);
        if (errno != EINTR && errno != ECONNABORTED && errno != EAGAIN) return -1;
    }
    return -1;
}

int Connect(const QByteArray& ipv4, quint16 port, int wake, int timeoutMs)
{
    sockaddr_in address = LoopbackAddress(port);
    if (::inet_pton(AF_INET, ipv4.constData(), &address.sin_addr) != 1) return -1;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    int error = 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        socklen_t length = sizeof error;
        if (errno != EINPROGRESS || !WaitFor(fd, POLLOUT, wake, timeoutMs) ||
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = -1;
    }
    if (error != 0) Close(fd);
    return fd < 0 ? fd : WithoutDelay(fd);
}

bool SendAll(int fd, int wake, const QByteArray& bytes, int timeoutMs)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        if (!WaitFor(fd, POLLOUT, wake, timeoutMs)) return false;
        const ssize_t n =
            ::send(fd, bytes.constData() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno != EINTR && errno != EAGAIN) return false;
        if (n > 0) done += n;
    }
    return true;
}

TReceive ReceiveSome(int fd, int wake, QByteArray& into, qint64 max, int timeoutMs)
{
    char chunk[16384];
    const size_t wanted = static_cast<size_t>(qMin<qint64>(max, sizeof chunk));
    for (;;) {
        if (!WaitFor(fd, POLLIN, wake, timeoutMs)) return TReceive::Failed;
        const ssize_t n = ::recv(fd, chunk, wanted, MSG_DONTWAIT);
        if (n > 0) {
            into.append(chunk, n);
            return TReceive::Data;
        }
        if (n == 0) return TReceive::Closed;
        if (errno != EINTR && errno != EAGAIN) return TReceive::Failed;
    }
}

void Close(int& fd)
{
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace loopback
