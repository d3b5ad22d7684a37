#include "app/SessionEncryption.h"

TFtpEncryption FtpEncryptionOf(TSiteEncryption encryption)
{
    switch (encryption) {
    case enRequireExplicit: return TFtpEncryption::RequireExplicit;
    case enImplicit: return TFtpEncryption::Implicit;
    case enPlainOnly: return TFtpEncryption::PlainOnly;
    default: return TFtpEncryption::ExplicitIfAvailable;  // also a value from a newer file
    }
}

int SessionPort(int addressPort, TSiteEncryption encryption, bool throughProxy, int defaultPort)
{
    if (addressPort > 0) return addressPort;
    // Implicit TLS listens on a port of its own (IANA "ftps", 990): the plain
    // default would meet a server that waits for a handshake we never start.
    if (encryption == enImplicit && !throughProxy) return ImplicitTlsPort;
    return defaultPort;
}
