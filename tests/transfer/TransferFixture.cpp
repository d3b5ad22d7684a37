#include "TransferFixture.h"

#include <QDir>
#include <QRegularExpression>

int TRecordingHost::Count(const QString& prefix) const
{
    return int(Matching(prefix).size());
}

QStringList TRecordingHost::Matching(const QString& prefix) const
{
    QStringList lines;
    for (const QString& line : Log)
        if (line.startsWith(prefix)) lines << line;
    return lines;
}

TransferFixture::TransferFixture()
{
    Settings.TextExtensions = {QStringLiteral("txt")};
    Settings.TransferFlags = tfProposeResume | tfConfirmOverwrite;
    Wire();
    Watchdog.setSingleShot(true);
    QObject::connect(&Watchdog, &QTimer::timeout, [this] {
        WatchdogFired = true;
        Ftp.Abort();
        Ftp.Cancel();
        Transfer.CancelTransfer(false);
    });
    Watchdog.start(60000);
}

TransferFixture::~TransferFixture()
{
    EXPECT_FALSE(WatchdogFired);
    EXPECT_FALSE(Transfer.Active());
    try {
        if (Ftp.Connected()) Ftp.Disconnect();
    } catch (const std::exception&) {
        // Some tests leave the session broken on purpose.
    }
}

void TransferFixture::Wire()
{
    // As the main window does it: every failure is handled and logged, the
    // remote view sees its outcomes, the transfer window the data events.
    Ftp.OnSuccess = [this](TCmdType type) {
        Outcomes << QStringLiteral("success %1").arg(int(type));
        RemoteView.NoteSuccess(type);
    };
    Ftp.OnFailure = [this](bool& handled, TCmdType type) {
        Outcomes << QStringLiteral("failure %1").arg(int(type));
        handled = true;
        RemoteView.NoteFailure(type);
    };
    Ftp.OnTransactionStart = [this](QObject*) {
        if (Transfer.Active() && Transfer.FileCommandIssued()) Transfer.TransferStarted();
    };
    Ftp.OnTransactionStop = [this](QObject*) {
        if (Transfer.FileInProgress()) Transfer.TransferStopped();
    };
    Ftp.OnPacketRecvd = [this](QObject*) { Packet(); };
    Ftp.OnPacketSent = [this](QObject*) { Packet(); };
    Ftp.OnDisconnect = [this](QObject*) {
        if (Transfer.Active()) Transfer.AbortTransfer();
        Ftp.Cancel();
    };
    RemoteView.SetFtpControl(&Ftp);
    RemoteView.resize(600, 400);
    LocalView.resize(600, 400);
}

void TransferFixture::Packet()
{
    Transfer.UpdateTransferred();
    const qint64 moved = std::max(Ftp.DataReceivedBytes(), Ftp.DataSentBytes());
    if (Action && moved >= ActionAt) {
        const std::function<void()> action = std::move(Action);
        Action = nullptr;
        action();
    }
}

void TransferFixture::AtBytes(qint64 bytes, std::function<void()> action)
{
    ActionAt = bytes;
    Action = std::move(action);
}

void TransferFixture::Connect(quint16 port, const QByteArray& user, const QByteArray& password)
{
    SetUpTestClient(Ftp, port, user, password);
    Ftp.OnDisconnect = [this](QObject*) {
        if (Transfer.Active()) Transfer.AbortTransfer();
        Ftp.Cancel();
    };
    Ftp.Connect();
    ASSERT_TRUE(Ftp.Connected());
    RemoteView.show();
    RemoteView.Open({});
    LocalView.show();
    ASSERT_TRUE(LocalView.BrowseTo(Local.path()));
}

std::unique_ptr<TDirectory> TransferFixture::RemoteSelection(const QStringList& names)
{
    QList<int> rows;
    for (const QString& name : names)
        rows << RemoteView.FindItem(name, true);
    EXPECT_FALSE(rows.contains(-1)) << names.join(',').toStdString();
    SelectRows(RemoteView, rows);
    return RemoteView.GetDirectoryTree(false, true);
}

std::unique_ptr<TDirectory> TransferFixture::LocalSelection(const QStringList& names)
{
    LocalView.Refresh();
    QList<int> rows;
    for (const QString& name : names)
        rows << LocalView.FindItem(name, true);
    EXPECT_FALSE(rows.contains(-1)) << names.join(',').toStdString();
    SelectRows(LocalView, rows);
    return LocalView.GetDirectoryTree(true, true);
}

QStringList TransferFixture::TransferredNames() const
{
    static const QRegularExpression file(QStringLiteral("^I Transferring file \"([^\"]*)\""));
    QStringList names;
    for (const QString& line : Host.Log)
        if (const auto match = file.match(line); match.hasMatch()) names << match.captured(1);
    return names;
}
