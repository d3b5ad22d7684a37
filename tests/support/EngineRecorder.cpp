#include "support/EngineRecorder.h"

EngineRecorder::EngineRecorder(TFtpClient& client, int watchdogMs) : Client(client)
{
    auto status = [this](QObject*, const QString& text) { Status << text; };
    if (auto* resumable = dynamic_cast<TResumableFtp*>(&client))
        resumable->OnStatus = status;
    else
        client.OnStatus = status;
    client.OnSuccess = [this](TCmdType t) { Events << QStringLiteral("success %1").arg(int(t)); };
    client.OnFailure = [this](bool& handled, TCmdType t) {
        Events << QStringLiteral("failure %1").arg(int(t));
        handled = HandleFailures;
    };
    client.OnUnSupportedFunction = [this](TCmdType t) {
        Events << QStringLiteral("unsupported %1").arg(int(t));
    };
    client.OnConnect = [this](QObject*) { Events << QStringLiteral("connect"); };
    client.OnConnectionFailed = [this](QObject*) { Events << QStringLiteral("connection failed"); };

    Watchdog.setSingleShot(true);
    QObject::connect(&Watchdog, &QTimer::timeout, [this] {
        Fired = true;
        Client.Abort();
        Client.Cancel();
    });
    Watchdog.start(watchdogMs);
}

void SetUpTestClient(TFtpClient& ftp, quint16 port, const QByteArray& user, const QByteArray& password)
{
    ftp.Host = QStringLiteral("127.0.0.1");
    ftp.Port = port;
    ftp.SetReportLevel(2);
    ftp.UserID = user;
    ftp.Password = password;
    // The scripted exchanges are written for active mode ("PORT"); a test of
    // passive mode asks for it.
    ftp.PassiveMode = false;
}
