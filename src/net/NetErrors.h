#pragma once
#include "net/FtpReply.h"
#include "platform/Exception.h"

// A socket-level failure: lookup, connect, accept, or an error code.
class ESockError : public Exception {
public:
    using Exception::Exception;
};

// The resolver knows no address for the name (not a time-out or a cancel).
class EHostLookupFailed : public ESockError {
public:
    using ESockError::ESockError;
};

// A wait that was ended by Cancel or Abort.
class EAbortError : public Exception {
public:
    using Exception::Exception;
};

// A reply judged a failure; the message is the server's reply line without
// its line end (or a text that names it), ReplyLine the line as read.
class FTPException : public Exception {
public:
    explicit FTPException(const QByteArray& replyLine) : FTPException(replyLine, FtpReply::Text(replyLine)) {}
    FTPException(const QByteArray& replyLine, const QString& message) : Exception(message), Reply(replyLine)
    {}
    const QByteArray& ReplyLine() const noexcept { return Reply; }

private:
    QByteArray Reply;
};

// A resumed transfer could not continue from its offset.
class EResumeError : public Exception {
public:
    using Exception::Exception;
};

// A command text or name that would not go out as exactly one line on the
// control connection (it contains CR, LF or a zero byte); nothing was sent.
class EInvalidCommand : public Exception {
public:
    using Exception::Exception;
};

// A remote name that cannot name a local file ("/" or a zero byte in it, or
// "." or ".."): it would reach outside the folder it is meant for.
class EUnsafeName : public Exception {
public:
    using Exception::Exception;
};

// A wait that ended because the peer showed no progress for TimeOut ms
// (no greeting, no reply line, no connection back, data that stopped moving).
class ETimeOutError : public ESockError {
public:
    using ESockError::ESockError;
};

// The server broke the protocol (a reply line without a valid code, a line
// longer than any server needs); the reply stream can no longer be trusted.
class EProtocolError : public Exception {
public:
    using Exception::Exception;
};

// The server's certificate was not trusted (the user refused it, or nobody
// could be asked): the connection ended before anything secret went out.
class ECertificateRefused : public Exception {
public:
    using Exception::Exception;
};

// Encryption was required, and the server refused it or it failed: the
// connection ended before anything secret went out.
class ETlsError : public Exception {
public:
    using Exception::Exception;
};
