#pragma once
#include <QString>

// The log's socket error texts are keyed by the classic socket error numbers
// (10061 "Connection refused", 11001 "Host not found" ...), so they read the
// same on every platform. These map Linux errno values onto those numbers.
int SocketErrorFromErrno(int err);
// "10061:Connection refused"; "Unknown Error No. N" off the table; "" for 0.
QString SocketErrorText(int code);

enum : int {
    seWouldBlock = 10035,
    seConnectionReset = 10054,
    seConnectionTimedOut = 10060,
    seNotConnected = 10057,
    seHostNotFound = 11001,
};
