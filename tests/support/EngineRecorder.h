#pragma once
#include "net/ResumableFtp.h"

#include <QStringList>
#include <QTimer>

// Points a client at a loopback server on port with report level 2 and
// active mode, the set-up the engine and remote view tests share. The scripted server takes
// any login; a real one is given its own user and password.
void SetUpTestClient(TFtpClient& ftp, quint16 port, const QByteArray& user = "alice",
                     const QByteArray& password = "s3cret");

// Records what an FTP client reports (status texts and outcome events), and
// bounds every wait of a test: when the watchdog fires it cancels the client
// and its data connection, so a faulty engine fails the test instead of
// hanging it.
class EngineRecorder {
public:
    explicit EngineRecorder(TFtpClient& client, int watchdogMs = 10000);

    QStringList Status;           // every status text, in order
    QStringList Events;           // "success 4", "failure 8", "unsupported 1", "connect" ...
    bool HandleFailures = false;  // what OnFailure answers in Handled
    bool WatchdogFired() const { return Fired; }

private:
    TFtpClient& Client;
    QTimer Watchdog;
    bool Fired = false;
};
