#pragma once
#include <QtGlobal>

// How a session protects itself with TLS (RFC 4217).
enum class TFtpEncryption : quint8 {
    // "AUTH TLS" after the greeting; plain FTP, with a warning in the log,
    // when the server refuses it.
    ExplicitIfAvailable,
    // "AUTH TLS" or no session: nothing secret goes out in clear text.
    RequireExplicit,
    // TLS from the first byte, on a port of its own.
    Implicit,
    // Never encrypted.
    PlainOnly,
};

// The port implicit TLS listens on when the site names none.
inline constexpr quint16 ImplicitTlsPort = 990;
