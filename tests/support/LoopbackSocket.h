#pragma once
#include <QByteArray>
#include <QtGlobal>

// Poll-based POSIX socket steps for the test servers' own threads, on
// 127.0.0.1 only. Every wait also ends as soon as `wake` (the read end of the
// owner's stop pipe) becomes readable, so a stopping owner never hangs. A
// time-out of -1 waits without limit (still ended by `wake`).
namespace loopback {

// A listening socket on 127.0.0.1 with a port chosen by the system; -1 on failure.
int Listen(quint16& port);
// The next incoming connection; -1 when woken or on failure.
int Accept(int listenFd, int wake);
// A connection to ipv4:port within timeoutMs; -1 on failure, time-out or wake.
int Connect(const QByteArray& ipv4, quint16 port, int wake, int timeoutMs);
// Sends every byte; false on failure, time-out or wake. Never raises SIGPIPE.
bool SendAll(int fd, int wake, const QByteArray& bytes, int timeoutMs);

enum class TReceive { Data, Closed, Failed };
// Appends at most `max` bytes that arrive within timeoutMs.
TReceive ReceiveSome(int fd, int wake, QByteArray& into, qint64 max, int timeoutMs);

void Close(int& fd);

}  // namespace loopback
