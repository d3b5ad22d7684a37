// Socket set-up, host lookup, connect, accept, close and the notification
// dispatch of TSocketSession. The data operations are in SocketSessionIO.cpp.
#include "net/SocketSession.h"

#include "net/SocketErrorText.h"
#include "net/ThreadTimer.h"
#include "platform/HandlerGuard.h"
#include "platform/PumpedWait.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int LiveSockets = 0;

QStringList& SharedWinsockInfo()
{
    static QStringList info;
    return info;
}

void FillSocketInfo()
{
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    SharedWinsockInfo() = {
        QStringLiteral("Version= 1.1"),
        QStringLiteral("High Version= 1.1"),
        QStringLiteral("Description= POSIX sockets, Qt %1 event loop").arg(qVersion()),
        QStringLiteral("System= Running"),
        QStringLiteral("Max Sockets= %1").arg(static_cast<qulonglong>(files.rlim_cur)),
        QStringLiteral("Max Udp pack size= 65507"),
    };
}

// A literal IPv4 or IPv6 address ("[::1]" too); strict, so that a name made
// of digits still goes to the resolver.
bool ParseLiteralAddress(QString text, QHostAddress& address)
{
    if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']')))
        text = text.mid(1, text.size() - 2);
    const QByteArray latin = text.toLatin1();
    in_addr v4{};
    in6_addr v6{};
    if (inet_pton(AF_INET, latin.constData(), &v4) == 1) {
        address = QHostAddress(ntohl(v4.s_addr));
        return true;
    }
    if (inet_pton(AF_INET6, latin.constData(), &v6) != 1) return false;
    address = QHostAddress(v6.s6_addr);
    return true;
}

bool IsIPv6(const QHostAddress& address)
{
    return address.protocol() == QAbstractSocket::IPv6Protocol;
}

// address and port as the system's socket address; its length.
socklen_t ToSocketAddress(const QHostAddress& address, quint16 port, sockaddr_storage& out)
{
    out = {};
    if (IsIPv6(address)) {
        auto& in6 = reinterpret_cast<sockaddr_in6&>(out);
        in6.sin6_family = AF_INET6;
        in6.sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6.sin6_addr, bytes.c, sizeof bytes.c);
        // A link-local address needs its interface.
        bool numeric = false;
        in6.sin6_scope_id = address.scopeId().toUInt(&numeric);
        if (!numeric && !address.scopeId().isEmpty())
            in6.sin6_scope_id = if_nametoindex(address.scopeId().toLatin1().constData());
        return sizeof in6;
    }
    auto& in4 = reinterpret_cast<sockaddr_in&>(out);
    in4.sin_family = AF_INET;
    in4.sin_port = htons(port);
    in4.sin_addr.s_addr = htonl(address.toIPv4Address());
    return sizeof in4;
}

quint16 PortOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

}  // namespace

TSocketSession::TSocketSession(QObject* owner) : QObject(owner)
{
    ReportStatus(slInternal, QStringLiteral("Create"));
    Timer = new TThreadTimer(this);
    Timer->SetEnabled(false);
    Timer->SetOnTimer([this] { TimerTriggered(); });

    ReportStatus(slInternal, QStringLiteral("Initializing Winsock"));
    if (++LiveSockets == 1) FillSocketInfo();
    try {
        CreateSocket(/*resetOnClose=*/true);
    } catch (...) {
        --LiveSockets;
        throw ESockError(QStringLiteral("Initializaton of windows sockets failed"));
    }
}

TSocketSession::~TSocketSession()
{
    // Handlers belong to objects that may be gone already: nothing is
    // reported to them from here on.
    Destroying = true;
    ReportStatus(slInternal, QStringLiteral("Destroy"));
    TSocketSession::Abort();
    Cancel();
    try {
        RequestCloseSocket();
    } catch (...) {
        // Nothing useful can be done about a failed close while destroying.
    }
    --LiveSockets;
}

const QStringList& TSocketSession::WinsockInfo()
{
    return SharedWinsockInfo();
}

int TSocketSession::LiveSocketCount()
{
    return LiveSockets;
}

void TSocketSession::ReportStatus(int level, const QString& text)
{
    if (ReportLevel() < level) return;
    FLastStatus = text;
    if (!Destroying && OnStatus) OnStatus(this, text);
}

QString TSocketSession::ErrorText(int code)
{
    ReportStatus(slInternal, QStringLiteral("Looking Up Error Message"));
    return SocketErrorText(code);
}

void TSocketSession::CheckError(int expected, int actual)
{
    ReportStatus(slErrorCheck, QStringLiteral("Checking Error In Error Manager"));
    FLastError = actual;
    if (actual == expected) return;
    const QString text = ErrorText(actual);
    if (OnError) OnError(this, static_cast<quint16>(actual), text);
    throw ESockError(text);
}

// --- socket handle and notifiers -------------------------------------------

void TSocketSession::CreateSocket(bool resetOnClose)
{
    Fd = ::socket(FdIsIPv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (Fd < 0) CheckError(seWouldBlock, SocketErrorFromErrno(errno));
    State = TState::Idle;
    SetResetOnClose(resetOnClose);
    UpdateNotifiers();
}

void TSocketSession::SetResetOnClose(bool on)
{
    if (Fd < 0) return;
    linger value{};
    value.l_onoff = on ? 1 : 0;
    value.l_linger = 0;
    ::setsockopt(Fd, SOL_SOCKET, SO_LINGER, &value, sizeof value);
}

void TSocketSession::DeleteNotifiers()
{
    delete ReadNotifier;
    delete WriteNotifier;
    ReadNotifier = WriteNotifier = nullptr;
}

// A notifier is made the first time its readiness is wanted, not with the
// socket: each registration with the event loop wakes it, and a data
// connection's socket that is only listened on, or only read, would
// otherwise register and unregister a notifier it never uses.
void TSocketSession::WantNotifier(QSocketNotifier*& notifier, QSocketNotifier::Type type, bool wanted)
{
    if (!notifier) {
        if (!wanted) return;
        notifier = new QSocketNotifier(Fd, type, this);
        if (type == QSocketNotifier::Read)
            connect(notifier, &QSocketNotifier::activated, this, [this] { ReadNotification(); });
        else
            connect(notifier, &QSocketNotifier::activated, this, [this] { WriteNotification(); });
        return;
    }
    if (notifier->isEnabled() != wanted) notifier->setEnabled(wanted);
}

void TSocketSession::UpdateNotifiers()
{
    if (Fd < 0) return;
    // Read readiness is level-triggered: it is only wanted while a peer can
    // send (connected) and there is room for what it sends, or while a
    // listening socket waits for its one accept.
    const bool read =
        !NotificationsOff && !ReadDeferred &&
        ((State == TState::Connected && !InputFull()) || (State == TState::Listening && !FLookupDone));
    const bool write = !NotificationsOff && (State == TState::Connecting || WriteBlocked);
    WantNotifier(ReadNotifier, QSocketNotifier::Read, read);
    WantNotifier(WriteNotifier, QSocketNotifier::Write, write);
}

void TSocketSession::SwitchOffNotifications()
{
    NotificationsOff = true;
    UpdateNotifiers();
}

void TSocketSession::ClearCancelRequest()
{
    FCancelRequested = false;
    if (NotificationsOff) {
        NotificationsOff = false;
        UpdateNotifiers();
    }
}

void TSocketSession::ReplaceSocketSilently()
{
    DeleteNotifiers();
    if (Fd >= 0) ::close(Fd);
    Fd = -1;
    WriteBlocked = false;
    CreateSocket(/*resetOnClose=*/true);
}

void TSocketSession::RequestCloseSocket()
{
    ReportStatus(slSocket, QStringLiteral("Request Close Socket"));
    FConnected = false;
    if (Fd < 0) return;
    DeleteNotifiers();
    const int result = ::close(Fd);
    const int err = errno;
    Fd = -1;
    State = TState::Idle;
    WriteBlocked = false;
    Tls.reset();
    CipherOut.clear();
    AwaitingHandshake = false;
    if (result != 0) {
        CheckError(seWouldBlock, SocketErrorFromErrno(err));
        return;
    }
    if (!Destroying) {
        if (ClosedHook) ClosedHook();
        if (OnDisconnect) OnDisconnect(this);
        CreateSocket(/*resetOnClose=*/false);
    }
}

// --- notification dispatch ---------------------------------------------------

bool TSocketSession::event(QEvent* e)
{
    if (e->type() != MsgWriteMore) return QObject::event(e);
    RunGuarded("Socket session", [this] {
        FLastEventOK = true;
        WriteFromStream();
    });
    return true;
}

void TSocketSession::ReadNotification()
{
    RunGuarded("Socket session", [this] {
        if (State == TState::Listening) {
            AcceptNotification();
            return;
        }
        ReadToStream();
    });
}

void TSocketSession::WriteNotification()
{
    RunGuarded("Socket session", [this] {
        if (State == TState::Connecting) {
            int err = 0;
            socklen_t len = sizeof err;
            ::getsockopt(Fd, SOL_SOCKET, SO_ERROR, &err, &len);
            ConnectCompleted(SocketErrorFromErrno(err));
            return;
        }
        WriteBlocked = false;
        UpdateNotifiers();
        FLastEventOK = true;
        WriteFromStream();
    });
}

void TSocketSession::AcceptNotification()
{
    FLastEventOK = true;
    if (AcceptAsLookup) FLookupDone = true;
    FConnected = true;
    UpdateNotifiers();
}

void TSocketSession::ConnectCompleted(int errorCode)
{
    FLastEventOK = errorCode == 0;
    if (!FLastEventOK) {
        FLastError = errorCode;
        State = TState::Failed;
        UpdateNotifiers();
        return;
    }
    State = TState::Connected;
    FConnected = true;
    UpdateNotifiers();
    if (OnConnect) OnConnect(this);
}

void TSocketSession::CloseNotification(int errorCode)
{
    FLastEventOK = errorCode == 0;
    if (errorCode) FLastError = errorCode;
    // Take whatever the peer sent before closing.
    char chunk[ChunkSize];
    // A handler of the bytes may close the socket meanwhile.
    while (!FCancelRequested && Fd >= 0) {
        const ssize_t n = ::recv(Fd, chunk, sizeof chunk, 0);
        if (n <= 0 || !TakeWire(chunk, n)) break;
    }
    FConnected = false;
    RequestCloseSocket();
}

// --- connect -------------------------------------------------------------------

void TSocketSession::Connect()
{
    ReportStatus(slInternal, QStringLiteral("Connecting"));
    ClearCancelRequest();
    if (FConnected) throw ESockError(QStringLiteral("Already connected"));
    // An error number left from an earlier session must not be taken for
    // the cause of this attempt's failure.
    FLastError = 0;
    ResolveWithOneRetry();
    ConnectTo(Candidates, static_cast<quint16>(Proxy.isEmpty() ? Port : ProxyPort));
}

void TSocketSession::ConnectTo(const QList<QHostAddress>& addresses, quint16 port)
{
    ClearCancelRequest();
    if (FConnected) throw ESockError(QStringLiteral("Already connected"));
    FLastError = 0;
    RemotePort = port;
    bool atOnce = false;  // the last attempt failed before it was under way
    // A name may stand for several addresses, IPv6 and IPv4: they are tried
    // in the resolver's order (RFC 6724) until one connects, all within the
    // one time limit.
    TimerOn();
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        // While others remain, an address gets its share of the time limit:
        // one that swallows the attempt (a broken IPv6 route) must not use
        // it all. The last takes what is left.
        const qsizetype left = addresses.size() - i;
        const int share =
            left > 1 && TimeOut > 0 ? qMax(MinAddressShareMs, int(TimeOut / addresses.size())) : 0;
        if (TryAddress(addresses[i], atOnce, share)) break;
        if (FTimedOut || FCancelRequested) break;
    }
    TimerOff();
    if (FConnected && !FTimedOut && !FCancelRequested && FLastEventOK) return;

    // Never let a late completion of this attempt connect the session.
    ReplaceSocketSilently();
    if (OnConnectionFailed) OnConnectionFailed(this);
    if (FTimedOut) throw ETimeOutError(QStringLiteral("Connection Timed out"));
    if (FCancelRequested) throw ESockError(QStringLiteral("Connection Canceled"));
    if (atOnce) CheckError(seWouldBlock, FLastError);
    throw ESockError(QStringLiteral("Connection Failed"));
}

bool TSocketSession::TryAddress(const QHostAddress& address, bool& atOnce, int shareMs)
{
    atOnce = false;
    RemoteAddress = address;
    FLookupDone = false;
    FLastEventOK = true;
    try {
        UseFamilyOf(address);
    } catch (const ESockError&) {
        // No socket of that family on this machine (IPv6 switched off): the
        // next address may still do.
        FdIsIPv6 = false;
        FLastEventOK = false;
        return false;
    }
    if (!StartConnect()) {
        atOnce = true;
        return false;
    }
    bool shareUsed = false;
    QTimer share;
    share.setSingleShot(true);
    QObject::connect(&share, &QTimer::timeout, [&shareUsed] { shareUsed = true; });
    if (shareMs > 0) share.start(shareMs);
    WaitUntil([&] { return FConnected || FTimedOut || FCancelRequested || !FLastEventOK || shareUsed; });
    return FConnected && FLastEventOK && !FTimedOut && !FCancelRequested;
}

void TSocketSession::UseFamilyOf(const QHostAddress& address)
{
    // A socket that already tried to connect cannot try again.
    if (State == TState::Idle && Fd >= 0 && FdIsIPv6 == IsIPv6(address)) return;
    FdIsIPv6 = IsIPv6(address);
    ReplaceSocketSilently();
}

void TSocketSession::ResolveWithOneRetry()
{
    for (int attempts = 0;; ++attempts) {
        try {
            ResolveHost();
        } catch (const EHostLookupFailed&) {
            // The name is unknown: OnInvalidHost below may offer another.
        }
        if (!Candidates.isEmpty()) return;
        bool handled = false;
        if (attempts > 0 || !OnInvalidHost) throw ESockError(QStringLiteral("Null Remote Address"));
        OnInvalidHost(handled);
        if (!handled) throw ESockError(QStringLiteral("Null Remote Address"));
    }
}

bool TSocketSession::StartConnect()
{
    sockaddr_storage address{};
    const socklen_t length = ToSocketAddress(RemoteAddress, RemotePort, address);
    State = TState::Connecting;
    UpdateNotifiers();
    if (::connect(Fd, reinterpret_cast<sockaddr*>(&address), length) == 0) {
        ConnectCompleted(0);
        return true;
    }
    const int err = errno;
    if (err == EINPROGRESS) return true;  // completion arrives as a write notification
    State = TState::Failed;
    UpdateNotifiers();
    FLastEventOK = false;
    FLastError = SocketErrorFromErrno(err);
    return false;
}

void TSocketSession::ResolveHost()
{
    ReportStatus(slInternal, QStringLiteral("Resolve Host"));
    const QString name = Proxy.isEmpty() ? Host : Proxy;
    Candidates.clear();
    RemoteAddress.clear();
    QHostAddress literal;
    if (ParseLiteralAddress(name, literal)) {
        Candidates = {literal};
        RemoteAddress = literal;
        return;
    }

    TimerOn();
    FLookupDone = false;
    LookupFailed = false;
    LookupAddresses.clear();
    LookupId = QHostInfo::lookupHost(name, this, SLOT(LookupAnswered(QHostInfo)));
    WaitUntil([this] { return FLookupDone || FTimedOut || FCancelRequested; });
    TimerOff();
    // A lookup left running would answer into a finished wait: it is stopped,
    // and should its answer be on the way already, that is ignored.
    if (!FLookupDone) QHostInfo::abortHostLookup(LookupId);
    LookupId = -1;
    if (FTimedOut) throw ETimeOutError(QStringLiteral("Host Lookup Timed Out"));
    if (FCancelRequested) throw ESockError(QStringLiteral("Host Lookup Canceled"));
    if (LookupFailed) throw EHostLookupFailed(QStringLiteral("Host Lookup Failed"));
    Candidates = LookupAddresses;
    RemoteAddress = Candidates.first();
    if (OnHostResolved) OnHostResolved(this);
}

void TSocketSession::LookupAnswered(const QHostInfo& info)
{
    if (LookupId < 0 || info.lookupId() != LookupId) return;
    for (const QHostAddress& a : info.addresses()) {
        const bool usable =
            a.protocol() == QAbstractSocket::IPv4Protocol || a.protocol() == QAbstractSocket::IPv6Protocol;
        if (usable && !LookupAddresses.contains(a)) LookupAddresses << a;
    }
    LookupFailed = LookupAddresses.isEmpty();
    if (LookupFailed) FLastError = seHostNotFound;
    FLastEventOK = !LookupFailed;
    FLookupDone = true;
}

// --- time-out ------------------------------------------------------------------

void TSocketSession::TimerOn()
{
    ReportStatus(slInternal, QStringLiteral("Timer On"));
    FTimedOut = false;
    Timer->SetInterval(static_cast<quint32>(qMax(0, TimeOut)));
    Timer->SetEnabled(true);
}

void TSocketSession::TimerOff()
{
    ReportStatus(slInternal, QStringLiteral("Timer Off"));
    Timer->SetEnabled(false);
}

void TSocketSession::TimerTriggered()
{
    ReportStatus(slInternal, QStringLiteral("Timer Triggered"));
    TimerOff();
    FTimedOut = true;
    Abort();
}

// --- listen and accept ---------------------------------------------------------

bool TSocketSession::BindListeningPort(const QHostAddress& address)
{
    const auto bindTo = [&](quint16 port) {
        sockaddr_storage local{};
        const socklen_t length = ToSocketAddress(address, port, local);
        return ::bind(Fd, reinterpret_cast<sockaddr*>(&local), length) == 0;
    };
    if (Port != 0) return bindTo(static_cast<quint16>(Port));
    // Port 0 makes the system search for a free port, and on one address
    // that search passes every port a finished connection still holds in
    // its closing state: with a data connection per file it took a large
    // share of a tree transfer. A port of our own choosing is checked at
    // once; the ports are taken in turn from a random start in the dynamic
    // range (RFC 6335), so a busy one costs only the next try.
    static quint16 next = quint16(49152 + QRandomGenerator::global()->bounded(16384));
    for (int attempt = 0; attempt < 16; ++attempt) {
        const quint16 port = next;
        next = next >= 65535 ? 49152 : quint16(next + 1);
        if (bindTo(port)) return true;
        if (errno != EADDRINUSE) return false;
    }
    return bindTo(0);
}

void TSocketSession::Listen(bool useLookupMessage, quint32 localAddress)
{
    Listen(useLookupMessage, QHostAddress(localAddress));
}

void TSocketSession::Listen(bool useLookupMessage, const QHostAddress& localAddress)
{
    ReportStatus(slInternal, QStringLiteral("Listening"));
    const QHostAddress address = localAddress.isNull() ? QHostAddress(QHostAddress::AnyIPv4) : localAddress;
    UseFamilyOf(address);
    if (!BindListeningPort(address) || ::listen(Fd, 1) != 0) CheckError(0, SocketErrorFromErrno(errno));
    AcceptAsLookup = useLookupMessage;
    FLookupDone = false;
    State = TState::Listening;
    UpdateNotifiers();
}

int TSocketSession::Accept()
{
    const auto arrived = [this] { return FLookupDone || FCancelRequested; };
    if (TimeOut > 0) {
        if (!WaitUntilFor(arrived, TimeOut))
            throw ETimeOutError(QStringLiteral("No connection came within %1").arg(DurationText(TimeOut)));
    } else {
        WaitUntil(arrived);
    }
    if (FCancelRequested) throw ESockError(QStringLiteral("Accepting Canceled"));
    if (!FLastEventOK) throw ESockError(QStringLiteral("Error creating Data Connection"));
    ReportStatus(slSocket, QStringLiteral("Accepting"));
    sockaddr_storage peer{};
    socklen_t len = sizeof peer;
    const int fd = ::accept4(Fd, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) CheckError(0, SocketErrorFromErrno(errno));
    RemoteAddress.setAddress(reinterpret_cast<const sockaddr*>(&peer));
    RemotePort = PortOf(peer);
    if (FCancelRequested) {
        ::close(fd);
        FCancelRequested = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    return fd;
}

void TSocketSession::AdoptAcceptedSocket(int fd)
{
    DeleteNotifiers();
    if (Fd >= 0) ::close(Fd);
    Fd = fd;
    FConnected = true;
    WriteBlocked = false;
    State = TState::Connected;
    UpdateNotifiers();
}

void TSocketSession::RefuseAcceptedSocket(int fd)
{
    ::close(fd);
    FLookupDone = false;
    FConnected = false;
    UpdateNotifiers();  // the listening socket reports the next connection
}

// --- misc -----------------------------------------------------------------------

void TSocketSession::Disconnect()
{
    ReportStatus(slInternal, QStringLiteral("Disconnecting"));
    EndTls();
    RequestCloseSocket();
}

void TSocketSession::Cancel()
{
    ReportStatus(slInternal, QStringLiteral("Canceling"));
    FCancelRequested = true;
}

void TSocketSession::RequireConnection()
{
    for (bool first = true; !FConnected; first = false) {
        bool handled = false;
        if (!first || !OnConnectionRequired) throw Exception(QStringLiteral("Not Connected"));
        OnConnectionRequired(handled);
        if (!handled) throw Exception(QStringLiteral("Not Connected"));
    }
}

QString TSocketSession::RemoteAddressText() const
{
    return RemoteAddress.toString();
}

quint16 TSocketSession::LocalPort() const
{
    sockaddr_storage local{};
    socklen_t len = sizeof local;
    if (Fd < 0 || ::getsockname(Fd, reinterpret_cast<sockaddr*>(&local), &len) != 0) return 0;
    return PortOf(local);
}

QHostAddress TSocketSession::LocalHostAddress() const
{
    sockaddr_storage local{};
    socklen_t len = sizeof local;
    if (Fd < 0 || ::getsockname(Fd, reinterpret_cast<sockaddr*>(&local), &len) != 0) return {};
    return QHostAddress(reinterpret_cast<const sockaddr*>(&local));
}

quint32 TSocketSession::LocalIPv4() const
{
    return LocalHostAddress().toIPv4Address();
}

QString TSocketSession::LocalAddressForPort() const
{
    return QHostAddress(LocalIPv4()).toString().replace(QLatin1Char('.'), QLatin1Char(','));
}

QString TSocketSession::PortSuffix() const
{
    const quint16 port = LocalPort();
    return QString::asprintf(",%d,%d", port / 256, port % 256);
}
