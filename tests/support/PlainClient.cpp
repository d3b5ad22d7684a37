#include "support/PlainClient.h"

namespace {
constexpr int WaitMs = 5000;

bool IsLastLine(const QByteArray& line)
{
    return line.size() >= 4 && line[3] == ' ';
}
}  // namespace

bool PlainClient::Connect(quint16 port)
{
    FControl.connectToHost(QHostAddress::LocalHost, port);
    return FControl.waitForConnected(WaitMs);
}

QByteArray PlainClient::ReadReply()
{
    QByteArray reply;
    for (;;) {
        while (!FControl.canReadLine()) {
            if (!FControl.waitForReadyRead(WaitMs)) return reply;
        }
        const QByteArray line = FControl.readLine();
        reply += line;
        if (IsLastLine(line)) return reply;
    }
}

QByteArray PlainClient::Command(const QByteArray& line)
{
    FControl.write(line + "\r\n");
    FControl.waitForBytesWritten(WaitMs);
    return ReadReply();
}

QByteArray PlainClient::Port()
{
    if (!FListener.isListening() && !FListener.listen(QHostAddress::LocalHost)) return {};
    const quint16 port = FListener.serverPort();
    return Command("PORT 127,0,0,1," + QByteArray::number(port / 256) + ',' + QByteArray::number(port % 256));
}

std::unique_ptr<QTcpSocket> PlainClient::AcceptData(int timeoutMs)
{
    if (!FListener.hasPendingConnections() && !FListener.waitForNewConnection(timeoutMs)) return {};
    std::unique_ptr<QTcpSocket> socket(FListener.nextPendingConnection());
    if (socket) socket->setParent(nullptr);
    return socket;
}

QByteArray PlainClient::ReadToEnd(QTcpSocket& socket)
{
    QByteArray data = socket.readAll();
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(WaitMs))
        data += socket.readAll();
    return data + socket.readAll();
}
