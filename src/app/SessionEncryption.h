#pragma once
#include "net/FtpEncryption.h"
#include "sites/SiteSettings.h"

// The engine's encryption for a site's choice.
TFtpEncryption FtpEncryptionOf(TSiteEncryption encryption);

// The port a session connects to: the one the address names, else implicit
// TLS's own port, else the settings' default. Through a proxy the site's port
// travels in the login name, so only the address and the default count.
int SessionPort(int addressPort, TSiteEncryption encryption, bool throughProxy, int defaultPort);
