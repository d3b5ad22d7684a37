#pragma once
#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

// A plain blocking FTP client that checks the test servers themselves.
// Every wait is bounded; a time-out shows up as an empty result.
class PlainClient {
public:
    bool Connect(quint16 port);
    // One complete reply, continuation lines included.
    QByteArray ReadReply();
    // Sends line + CR LF and reads the reply.
    QByteArray Command(const QByteArray& line);
    // Listens on 127.0.0.1 and announces it with "PORT"; answers the reply.
    QByteArray Port();
    // The server's data connection, or null when none arrives in time.
    std::unique_ptr<QTcpSocket> AcceptData(int timeoutMs = 5000);
    // Everything the peer sends until it closes.
    static QByteArray ReadToEnd(QTcpSocket& socket);
    QTcpSocket& Control() { return FControl; }
    quint16 DataPort() const { return FListener.serverPort(); }

private:
    QTcpSocket FControl;
    QTcpServer FListener;
};
