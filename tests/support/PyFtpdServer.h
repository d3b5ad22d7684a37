#pragma once
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include "support/TestCertificate.h"

// How a test wants its PyFtpdServer; the defaults are a plain server on
// 127.0.0.1 for one user.
struct PyFtpdSettings {
    bool AllowAnonymous = false;
    QString Host = QStringLiteral("127.0.0.1");
    // 0: the system chooses. A test that restarts a server on the port it
    // had (a changed certificate) names it.
    quint16 Port = 0;
    TTestTls Tls = TTestTls::Plain;
    // Explicit TLS only: refuse "USER"/"PASS" before "AUTH TLS" and data
    // connections before "PROT P" (by default both are optional).
    bool TlsRequired = false;
    // The server's certificate under TLS; one for "localhost" is made when
    // this is empty.
    TTestCertificate Certificate = {};
    // What its TLS data connections do wrong, as someone between client and
    // server could: show another certificate, or end without close_notify.
    enum class TDataFault { None, OtherCertificate, NoCloseNotify };
    TDataFault DataFault = TDataFault::None;
    // Refuses "PROT P": data connections stay in clear text.
    bool RefuseProt = false;
};

// A real FTP server for end-to-end tests: the system python3 with
// pyftpdlib, serving a temporary folder on 127.0.0.1, or "::1" when asked
// (port chosen by the system) to one read/write user, and read-only to
// anonymous when asked. Passive and active mode work: the server connects
// back to the loopback address. With TLS, explicit or implicit, it uses a
// certificate made at test time (Certificate() tells its fingerprint).
class PyFtpdServer {
public:
    explicit PyFtpdServer(bool allowAnonymous = false, const QString& host = QStringLiteral("127.0.0.1"));
    explicit PyFtpdServer(const PyFtpdSettings& settings);
    // Kills and waits for the server process.
    ~PyFtpdServer();
    PyFtpdServer(const PyFtpdServer&) = delete;
    PyFtpdServer& operator=(const PyFtpdServer&) = delete;

    // Starts the server and waits for its port; false with ErrorText() set
    // when it cannot (no python3, no pyftpdlib, no answer in time).
    bool Start(int timeoutMs = 10000);
    QString ErrorText() const { return FError; }
    // Ends the server at once, as a crash or a lost network would: every
    // connection it had is closed by the system.
    void Kill();

    quint16 Port() const { return FPort; }
    // The folder the server shows as "/".
    QString RootPath() const { return FRoot.path(); }
    QByteArray User() const { return "quillo"; }
    QByteArray Password() const { return "Pass word-7"; }
    // The certificate the server shows under TLS (after Start).
    const TTestCertificate& Certificate() const { return FSettings.Certificate; }

private:
    bool Fail(const QString& why);
    bool WriteCertificate(QStringList& arguments);

    QTemporaryDir FRoot;
    QTemporaryDir FTlsFolder;  // the PEM files, outside the served folder
    QProcess FProcess;
    PyFtpdSettings FSettings;
    quint16 FPort = 0;
    QString FError;
};
