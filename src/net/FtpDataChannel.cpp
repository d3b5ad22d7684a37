// How TFtpClient sets up the data connection of a listing, download or
// upload. Passive mode asks the server for a port ("EPSV", then "PASV") and
// connects to it before the transfer command goes out (RFC 959, 3.2);
// active mode listens and names the port with "PORT", or "EPRT" on IPv6.
#include "net/FtpClient.h"

#include "net/FtpPassive.h"
#include "net/FtpReply.h"

void TFtpClient::OpenDataConnection(TCmdType type)
{
    FData.Passive = PassiveMode && !FPassive.PassiveRefused && OpenPassive();
    if (!FData.Passive) ListenActive(type);
}

bool TFtpClient::OpenPassive()
{
    QHostAddress named;
    bool transient = false;
    quint16 port = 0;
    // "EPSV" first: it names no address and works on IPv6 as on IPv4 (RFC 2428).
    if (!FPassive.EpsvRefused) {
        port = AskPassive("EPSV", named, transient);
        // A 4xx is temporary (RFC 959, 4.2): the next connection asks again.
        if (port == 0 && !transient) FPassive.EpsvRefused = true;
    }
    // "PASV" names IPv4 addresses only: on IPv6 it has nothing to offer.
    if (port == 0 && !ControlIsIPv6()) port = AskPassive("PASV", named, transient);
    if (port != 0) {
        ConnectPassive(named, port);
        return true;
    }
    // Behind a firewall of the server's own, active mode may still work.
    // Asking again for each listing would only cost a refusal each time,
    // unless the refusal was a temporary one.
    FPassive.PassiveRefused = !transient;
    ReportStatus(slProtocol, transient ? QStringLiteral("Passive mode is not available now; this "
                                                        "transfer uses active mode")
                                       : QStringLiteral("The server refused passive mode; active mode is "
                                                        "used for the rest of the session"));
    return false;
}

quint16 TFtpClient::AskPassive(const QByteArray& command, QHostAddress& named, bool& transient)
{
    ReportStatus(slProtocol, QString::fromLatin1(command));
    Transaction(command);
    transient = FReplyCode / 100 == 4;
    if (FReplyCode / 100 != 2) return 0;
    if (command == "EPSV") {
        if (const std::optional<quint16> port = FtpPassive::ParseEpsvReply(FLastReply)) return *port;
    } else if (const std::optional<FtpPassive::TPasvTarget> target = FtpPassive::ParsePasvReply(FLastReply)) {
        named = target->Address;
        return target->Port;
    }
    ReportStatus(slProtocol,
                 QStringLiteral("The answer to %1 names no usable port").arg(QString::fromLatin1(command)));
    // Accepted but unreadable (a reply laid out in a way of its own): the
    // server does offer passive mode, so the next connection asks again.
    transient = true;
    return 0;
}

void TFtpClient::ConnectPassive(const QHostAddress& named, quint16 port)
{
    TSocketSession& data = *FData.Connection;
    // The data connection goes to the host the control connection reached,
    // whatever address "PASV" names: behind a NAT the server names its
    // private address, which is no use from outside, and connecting to any
    // other host would let a server aim us at a third party (RFC 2577, the
    // bounce attack).
    const QHostAddress peer = RemoteHostAddress();
    if (!named.isNull() && !named.isEqual(peer, QHostAddress::ConvertV4MappedToIPv4))
        ReportStatus(slProtocol, QStringLiteral("The server named %1 for the data connection; connecting to "
                                                "%2, the address of the control connection, instead")
                                     .arg(named.toString(), peer.toString()));
    // A Stop while the server was being asked: the connection attempt
    // would clear it.
    if (data.CancelRequested()) throw ESockError(QStringLiteral("Connection Canceled"));
    try {
        data.ConnectTo({peer}, port);
    } catch (const ETimeOutError&) {
        throw ETimeOutError(QStringLiteral("The data connection to %1 port %2 was not made within %3")
                                .arg(peer.toString())
                                .arg(port)
                                .arg(DurationText(TimeOut)));
    } catch (const ESockError& e) {
        if (data.CancelRequested()) throw;
        throw ESockError(QStringLiteral("Cannot open the data connection to %1 port %2: %3")
                             .arg(peer.toString())
                             .arg(port)
                             .arg(e.Message()));
    }
}

void TFtpClient::ListenActive(TCmdType type)
{
    TSocketSession& data = *FData.Connection;
    data.Port = 0;
    // Listening on the control connection's address only: the data
    // connection is the server's, and nobody else's business.
    data.Listen(true, LocalHostAddress());
    SendPort(type);
}

bool TFtpClient::ControlIsIPv6() const
{
    return RemoteHostAddress().protocol() == QAbstractSocket::IPv6Protocol;
}

void TFtpClient::SendPort(TCmdType type)
{
    // The listening socket is bound to the control connection's address.
    const TSocketSession& data = *FData.Connection;
    const QString command = ControlIsIPv6()
                                ? QStringLiteral("EPRT ") + QString::fromLatin1(FtpPassive::EprtArgument(
                                                                LocalHostAddress(), data.LocalPort()))
                                : QStringLiteral("PORT ") + LocalAddressForPort() + data.PortSuffix();
    ReportStatus(slProtocol, command);
    Transaction(command.toLatin1());
    if (FtpReply::IsRefusal(FReplyCode, 301, 599)) Failure(type, false);
}

void TFtpClient::CloseRefusedDataConnection()
{
    // The server refused the transfer command while our passive connection
    // was open: it ends in the ordinary way, not with a reset.
    if (!FData.Passive || !FData.Connection) return;
    FData.Connection->SetResetOnClose(false);
    FData.Connection->RequestCloseSocket();
}
