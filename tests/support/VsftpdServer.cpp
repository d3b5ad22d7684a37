#include "support/VsftpdServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <csignal>
#include <unistd.h>

namespace {

const QString Program = QStringLiteral("/usr/sbin/vsftpd");

quint16 FreePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

}  // namespace

VsftpdServer::VsftpdServer(TTestTls tls, const TTestCertificate& certificate)
    : FTls(tls), FCertificate(certificate)
{
    // Its own process group, so that the sessions it forks end with it.
    FProcess.setChildProcessModifier([] { ::setsid(); });
}

VsftpdServer::~VsftpdServer()
{
    if (FProcess.state() == QProcess::NotRunning) return;
    ::kill(-pid_t(FProcess.processId()), SIGKILL);
    FProcess.waitForFinished(5000);
}

bool VsftpdServer::Start(int timeoutMs)
{
    if (!QFileInfo(Program).isExecutable())
        return Fail(Program + QStringLiteral(" is missing (run scripts/setup)"));
    if (!FRoot.isValid() || !FWork.isValid()) return Fail(QStringLiteral("no temporary folder"));
    // Anonymous sessions list only folders anyone may read (a temporary
    // folder is its owner's alone).
    QFile::setPermissions(FRoot.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                            QFile::ExeOther);
    if (FCertificate.CertificatePem.isEmpty())
        FCertificate = TTestCertificate::Make(QStringLiteral("localhost"));
    FPort = FreePort();
    const QString config = FWork.filePath(QStringLiteral("vsftpd.conf"));
    if (FPort == 0 || !WriteConfig(config)) return Fail(QStringLiteral("cannot write the configuration"));
    FProcess.setProcessChannelMode(QProcess::MergedChannels);
    FProcess.start(Program, {config});
    if (!FProcess.waitForStarted(timeoutMs)) return Fail(QStringLiteral("cannot start ") + Program);
    return WaitForListener(timeoutMs) || Fail(QStringLiteral("no connection on port %1 in time").arg(FPort));
}

bool VsftpdServer::WriteConfig(const QString& path)
{
    const QString certificate = FWork.filePath(QStringLiteral("certificate.pem"));
    const QString key = FWork.filePath(QStringLiteral("key.pem"));
    if (!FCertificate.WriteTo(certificate, key)) return false;
    QFile::setPermissions(key, QFile::ReadOwner | QFile::WriteOwner);
    QDir().mkpath(FWork.filePath(QStringLiteral("empty")));
    const QString lines[] = {
        QStringLiteral("listen=YES"),
        QStringLiteral("listen_ipv6=NO"),
        QStringLiteral("listen_address=127.0.0.1"),
        QStringLiteral("listen_port=%1").arg(FPort),
        QStringLiteral("background=NO"),
        // No privileges, no chroot, no system user: sessions run as whoever
        // started the server, which also keeps seccomp and namespaces out.
        QStringLiteral("run_as_launching_user=YES"),
        QStringLiteral("seccomp_sandbox=NO"),
        QStringLiteral("isolate=NO"),
        QStringLiteral("isolate_network=NO"),
        QStringLiteral("secure_chroot_dir=") + FWork.filePath(QStringLiteral("empty")),
        QStringLiteral("anonymous_enable=YES"),
        QStringLiteral("local_enable=NO"),
        QStringLiteral("no_anon_password=YES"),
        QStringLiteral("anon_root=") + FRoot.path(),
        QStringLiteral("write_enable=YES"),
        QStringLiteral("anon_upload_enable=YES"),
        QStringLiteral("anon_mkdir_write_enable=YES"),
        QStringLiteral("anon_other_write_enable=YES"),
        QStringLiteral("anon_umask=022"),
        QStringLiteral("pasv_enable=YES"),
        QStringLiteral("pasv_address=127.0.0.1"),
        QStringLiteral("port_enable=YES"),
        QStringLiteral("connect_from_port_20=NO"),
        QStringLiteral("ssl_enable=YES"),
        QStringLiteral("allow_anon_ssl=YES"),
        QStringLiteral("force_anon_logins_ssl=YES"),
        QStringLiteral("force_anon_data_ssl=YES"),
        QStringLiteral("require_ssl_reuse=YES"),
        QStringLiteral("implicit_ssl=") + (FTls == TTestTls::Implicit ? "YES" : "NO"),
        // The built-in default is one TLS 1.2 cipher that our EC key cannot use.
        QStringLiteral("ssl_ciphers=HIGH"),
        QStringLiteral("rsa_cert_file=") + certificate,
        QStringLiteral("rsa_private_key_file=") + key,
        QStringLiteral("xferlog_enable=YES"),
        QStringLiteral("dual_log_enable=YES"),
        QStringLiteral("vsftpd_log_file=") + FWork.filePath(QStringLiteral("vsftpd.log")),
        QStringLiteral("xferlog_file=") + FWork.filePath(QStringLiteral("xfer.log")),
    };
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    for (const QString& line : lines)
        file.write(line.toUtf8() + '\n');
    return file.error() == QFile::NoError;
}

bool VsftpdServer::WaitForListener(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired() && FProcess.state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, FPort);
        if (probe.waitForConnected(int(qBound<qint64>(1, deadline.remainingTime(), qint64(1000)))))
            return true;
        // Not listening yet: the pause doubles as the check that it still runs.
        FProcess.waitForFinished(50);
    }
    return false;
}

bool VsftpdServer::Fail(const QString& why)
{
    FError = QStringLiteral("vsftpd fixture: ") + why;
    const QByteArray output = FProcess.readAll().trimmed();
    if (!output.isEmpty()) FError += QStringLiteral(": ") + QString::fromLocal8Bit(output);
    return false;
}
