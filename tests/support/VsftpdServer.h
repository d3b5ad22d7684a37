#pragma once
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include "support/TestCertificate.h"

// vsftpd with TLS for end-to-end tests, on 127.0.0.1 and a free port,
// serving a temporary folder to anonymous with upload and mkdir allowed,
// in passive and active mode. TLS is required for the login and the data
// (explicit by default; implicit when asked), and the data connections must
// resume the control connection's TLS session (vsftpd's own default).
//
// The server runs as the user that starts it, without chroot, so it needs
// neither root nor a system user. The price: the server shows real paths,
// so the login folder is RootPath() itself, not "/"; use names relative to
// it or RemotePath().
class VsftpdServer {
public:
    explicit VsftpdServer(TTestTls tls = TTestTls::Explicit, const TTestCertificate& certificate = {});
    // Kills the server (by its PID) and waits for it.
    ~VsftpdServer();
    VsftpdServer(const VsftpdServer&) = delete;
    VsftpdServer& operator=(const VsftpdServer&) = delete;

    // Starts vsftpd and waits until it accepts connections; false with
    // ErrorText() set when it cannot (vsftpd missing, no port in time).
    bool Start(int timeoutMs = 10000);
    QString ErrorText() const { return FError; }

    quint16 Port() const { return FPort; }
    // The served folder, which is also the login folder.
    QString RootPath() const { return FRoot.path(); }
    QString RemotePath(const QString& name) const { return RootPath() + QLatin1Char('/') + name; }
    QByteArray User() const { return "anonymous"; }
    QByteArray Password() const { return "quillo@example.com"; }
    const TTestCertificate& Certificate() const { return FCertificate; }

private:
    bool WriteConfig(const QString& path);
    bool WaitForListener(int timeoutMs);
    bool Fail(const QString& why);

    TTestTls FTls;
    TTestCertificate FCertificate;
    QTemporaryDir FRoot;
    QTemporaryDir FWork;  // configuration, certificate and log
    QProcess FProcess;
    quint16 FPort = 0;
    QString FError;
};
