#include "support/PyFtpdServer.h"

#include <QDeadlineTimer>
#include <QFileInfo>

namespace {
// The system interpreter: the packaged pyftpdlib is installed for it, and
// another python3 earlier on PATH may not see it.
const QString Interpreter = QStringLiteral("/usr/bin/python3");
}  // namespace

PyFtpdServer::PyFtpdServer(bool allowAnonymous, const QString& host)
    : PyFtpdServer(PyFtpdSettings{.AllowAnonymous = allowAnonymous, .Host = host})
{}

PyFtpdServer::PyFtpdServer(const PyFtpdSettings& settings) : FSettings(settings) {}

PyFtpdServer::~PyFtpdServer()
{
    Kill();
}

void PyFtpdServer::Kill()
{
    if (FProcess.state() == QProcess::NotRunning) return;
    FProcess.kill();
    FProcess.waitForFinished(5000);
}

bool PyFtpdServer::Start(int timeoutMs)
{
    if (!FRoot.isValid()) return Fail(QStringLiteral("no temporary root folder"));
    if (!QFileInfo(Interpreter).isExecutable())
        return Fail(Interpreter + QStringLiteral(" is missing (run scripts/setup)"));
    QStringList arguments{QStringLiteral(QFTP_PYFTPD_FIXTURE),
                          QStringLiteral("--root"),
                          FRoot.path(),
                          QStringLiteral("--user"),
                          QString::fromLatin1(User()),
                          QStringLiteral("--password"),
                          QString::fromLatin1(Password()),
                          QStringLiteral("--host"),
                          FSettings.Host,
                          QStringLiteral("--port"),
                          QString::number(FSettings.Port)};
    if (FSettings.AllowAnonymous) arguments << QStringLiteral("--anonymous");
    if (FSettings.Tls != TTestTls::Plain && !WriteCertificate(arguments))
        return Fail(QStringLiteral("cannot write the certificate"));
    FProcess.start(Interpreter, arguments);
    const QDeadlineTimer deadline(timeoutMs);
    if (!FProcess.waitForStarted(deadline.remainingTime()))
        return Fail(QStringLiteral("cannot start ") + Interpreter);
    while (!FProcess.canReadLine()) {
        if (deadline.hasExpired() || FProcess.state() == QProcess::NotRunning)
            return Fail(QStringLiteral("the server did not report its port"));
        FProcess.waitForReadyRead(qMax<qint64>(1, deadline.remainingTime()));
    }
    bool ok = false;
    FPort = static_cast<quint16>(FProcess.readLine().trimmed().toUInt(&ok));
    if (!ok || FPort == 0) return Fail(QStringLiteral("the server reported no valid port"));
    return true;
}

bool PyFtpdServer::WriteCertificate(QStringList& arguments)
{
    if (FSettings.Certificate.CertificatePem.isEmpty())
        FSettings.Certificate = TTestCertificate::Make(QStringLiteral("localhost"));
    const QString certificate = FTlsFolder.filePath(QStringLiteral("certificate.pem"));
    const QString key = FTlsFolder.filePath(QStringLiteral("key.pem"));
    if (!FTlsFolder.isValid() || !FSettings.Certificate.WriteTo(certificate, key)) return false;
    arguments << QStringLiteral("--tls")
              << (FSettings.Tls == TTestTls::Explicit ? QStringLiteral("explicit")
                                                      : QStringLiteral("implicit"))
              << QStringLiteral("--certfile") << certificate << QStringLiteral("--keyfile") << key;
    if (FSettings.TlsRequired) arguments << QStringLiteral("--tls-required");
    if (FSettings.RefuseProt) arguments << QStringLiteral("--refuse-prot");
    switch (FSettings.DataFault) {
    case PyFtpdSettings::TDataFault::None: break;
    case PyFtpdSettings::TDataFault::NoCloseNotify:
        arguments << QStringLiteral("--data-fault") << QStringLiteral("no-close-notify");
        break;
    case PyFtpdSettings::TDataFault::OtherCertificate: {
        const QString other = FTlsFolder.filePath(QStringLiteral("other.pem"));
        const QString otherKey = FTlsFolder.filePath(QStringLiteral("other-key.pem"));
        if (!TTestCertificate::Make(QStringLiteral("localhost")).WriteTo(other, otherKey)) return false;
        arguments << QStringLiteral("--data-fault") << QStringLiteral("other-certificate")
                  << QStringLiteral("--other-certfile") << other << QStringLiteral("--other-keyfile")
                  << otherKey;
        break;
    }
    }
    return true;
}

bool PyFtpdServer::Fail(const QString& why)
{
    FProcess.waitForFinished(100);
    FError = QStringLiteral("FTP server fixture: ") + why;
    const QByteArray errors = FProcess.readAllStandardError().trimmed();
    if (!errors.isEmpty()) FError += QStringLiteral(": ") + QString::fromLocal8Bit(errors);
    return false;
}
