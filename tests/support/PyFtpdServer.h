#pragma once
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real FTP server for end-to-end tests: the system python3 with
// pyftpdlib, serving a temporary folder on 127.0.0.1, or "::1" when asked
// (port chosen by the system) to one read/write user, and read-only to
// anonymous when asked. Passive and active mode work: the server connects
// back to the loopback address.
class PyFtpdServer {
public:
    explicit PyFtpdServer(bool allowAnonymous = false, const QString& host = QStringLiteral("127.0.0.1"));
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

private:
    bool Fail(const QString& why);

    QTemporaryDir FRoot;
    QProcess FProcess;
    bool FAnonymous;
    QString FHost;
    quint16 FPort = 0;
    QString FError;
};
