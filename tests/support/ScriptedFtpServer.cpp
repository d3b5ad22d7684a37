#include "support/ScriptedFtpServer.h"

#include "support/LoopbackSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <limits>
#include <stdexcept>
#include <utility>

namespace {

// Bounds for the server's own steps, so a silent client cannot hang a test.
constexpr int ConnectTimeoutMs = 5000;
constexpr int IoTimeoutMs = 5000;

QByteArray DefaultReply(const QByteArray& verb, const QByteArray& argument)
{
    static const std::map<QByteArray, QByteArray> defaults = {
        {"USER", "331 Password required\r\n"},
        {"PASS", "230 Logged in\r\n"},
        {"SYST", "215 UNIX Type: L8\r\n"},
        {"TYPE", "200 Type set\r\n"},
        {"PWD", "257 \"/\" is current directory\r\n"},
        {"CWD", "250 OK\r\n"},
        {"CDUP", "250 OK\r\n"},
        {"DELE", "250 OK\r\n"},
        {"RMD", "250 OK\r\n"},
        {"RNTO", "250 OK\r\n"},
        {"SITE", "250 OK\r\n"},
        {"RNFR", "350 Ready\r\n"},
        {"REST", "350 Restarting\r\n"},
        {"PORT", "200 PORT ok\r\n"},
        {"PASV", "227 Entering Passive Mode (127,0,0,1,{p1},{p2})\r\n"},
        {"EPSV", "229 Entering Extended Passive Mode (|||{port}|)\r\n"},
        {"QUIT", "221 Bye\r\n"},
        {"LIST", "150 Opening data connection\r\n"},
        {"RETR", "150 Opening data connection\r\n"},
        {"STOR", "150 Opening data connection\r\n"},
    };
    if (verb == "MKD") return "257 \"" + argument + "\" created\r\n";
    const auto it = defaults.find(verb);
    return it != defaults.end() ? it->second : QByteArray("500 Unknown\r\n");
}

// "h1,h2,h3,h4,p1,p2" into "h1.h2.h3.h4" and a port; false when malformed.
bool ParsePortArgument(const QByteArray& argument, QByteArray& address, quint16& port)
{
    const QByteArrayList parts = argument.trimmed().split(',');
    if (parts.size() != 6) return false;
    int values[6];
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok || values[i] < 0 || values[i] > 255) return false;
    }
    address = QByteArray::number(values[0]) + '.' + QByteArray::number(values[1]) + '.' +
              QByteArray::number(values[2]) + '.' + QByteArray::number(values[3]);
    port = static_cast<quint16>(values[4] * 256 + values[5]);
    return true;
}

}  // namespace

QByteArray ScriptedFtpServer::ReplyBook::Take(const QByteArray& verb, const QByteArray& fallback)
{
    const auto queue = queued.find(verb);
    if (queue != queued.end() && !queue->second.isEmpty()) return queue->second.takeFirst();
    const auto fixed = standing.find(verb);
    return fixed != standing.end() ? fixed->second : fallback;
}

ScriptedFtpServer::ScriptedFtpServer()
{
    if (::pipe2(FWake, O_CLOEXEC) != 0) throw std::runtime_error("scripted server: no pipe");
    FListenFd = loopback::Listen(FPort);
    if (FListenFd < 0) throw std::runtime_error("scripted server: cannot listen on 127.0.0.1");
    FThread = std::thread(&ScriptedFtpServer::Run, this);
}

ScriptedFtpServer::~ScriptedFtpServer()
{
    // The pipe is never drained: once written, every later wait ends at once.
    FStop = true;
    [[maybe_unused]] const ssize_t written = ::write(FWake[1], "x", 1);
    FThread.join();
    loopback::Close(FListenFd);
    loopback::Close(FPassiveFd);
    loopback::Close(FWake[0]);
    loopback::Close(FWake[1]);
}

// --- Script and faults ---

void ScriptedFtpServer::SetGreeting(const QByteArray& raw)
{
    std::lock_guard lock(FMutex);
    FGreeting = raw;
}

void ScriptedFtpServer::SetReply(const QByteArray& verb, const QByteArray& raw)
{
    std::lock_guard lock(FMutex);
    FReplies.standing[verb.toUpper()] = raw;
}

void ScriptedFtpServer::QueueReply(const QByteArray& verb, const QByteArray& raw)
{
    std::lock_guard lock(FMutex);
    FReplies.queued[verb.toUpper()].append(raw);
}

void ScriptedFtpServer::SetFinalReply(const QByteArray& verb, const QByteArray& raw)
{
    std::lock_guard lock(FMutex);
    FFinalReplies.standing[verb.toUpper()] = raw;
}

void ScriptedFtpServer::QueueFinalReply(const QByteArray& verb, const QByteArray& raw)
{
    std::lock_guard lock(FMutex);
    FFinalReplies.queued[verb.toUpper()].append(raw);
}

void ScriptedFtpServer::SetData(const QByteArray& verb, const QByteArray& data)
{
    std::lock_guard lock(FMutex);
    FData[verb.toUpper()] = data;
}

void ScriptedFtpServer::SkipNextConnectBack()
{
    std::lock_guard lock(FMutex);
    FFaults.skipConnect = true;
}

void ScriptedFtpServer::SendControlAfterBytes(qint64 bytes, const QByteArray& raw, bool stopTransfer,
                                              bool closeControl)
{
    std::lock_guard lock(FMutex);
    FFaults.controlAfter = bytes;
    FFaults.controlRaw = raw;
    FFaults.stopAtControl = stopTransfer;
    FFaults.closeAtControl = closeControl;
}

void ScriptedFtpServer::CloseDataAfterBytes(qint64 bytes)
{
    std::lock_guard lock(FMutex);
    FFaults.closeAfter = bytes;
}

void ScriptedFtpServer::StallDataAfterBytes(qint64 bytes, bool answer)
{
    std::lock_guard lock(FMutex);
    FFaults.stallAfter = bytes;
    FFaults.answerAfterStall = answer;
}

void ScriptedFtpServer::CloseControlOn(const QByteArray& verb, bool replyFirst)
{
    std::lock_guard lock(FMutex);
    FCloseOn[verb.toUpper()] = replyFirst;
}

void ScriptedFtpServer::SendAfterReply(const QByteArray& verb, const QByteArray& raw)
{
    std::lock_guard lock(FMutex);
    FAfterReply[verb.toUpper()] = raw;
}

bool ScriptedFtpServer::SendRaw(const QByteArray& raw)
{
    std::lock_guard lock(FSendMutex);
    return FControlFd >= 0 && loopback::SendAll(FControlFd, FWake[0], raw, IoTimeoutMs);
}

void ScriptedFtpServer::ResetDataAfterBytes(qint64 bytes)
{
    std::lock_guard lock(FMutex);
    FFaults.closeAfter = bytes;
    FFaults.resetAtClose = true;
}

// --- Observation ---

QByteArrayList ScriptedFtpServer::Commands() const
{
    std::lock_guard lock(FMutex);
    return FCommands;
}

QByteArrayList ScriptedFtpServer::MaskedCommands() const
{
    QByteArrayList lines = Commands();
    for (QByteArray& line : lines) {
        if (line.left(5).toUpper() == "PORT ") line = line.left(4) + " *";
    }
    return lines;
}

bool ScriptedFtpServer::WaitForCommandCount(int count, int timeoutMs) const
{
    std::unique_lock lock(FMutex);
    return FCommandArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [&] { return FCommands.size() >= count; });
}

QString ScriptedFtpServer::LastPortAddress() const
{
    std::lock_guard lock(FMutex);
    return QString::fromLatin1(FPortAddress);
}

quint16 ScriptedFtpServer::LastPortPort() const
{
    std::lock_guard lock(FMutex);
    return FPortPort;
}

qint64 ScriptedFtpServer::LastRestOffset() const
{
    std::lock_guard lock(FMutex);
    return FRestOffset;
}

QByteArray ScriptedFtpServer::Uploaded() const
{
    std::lock_guard lock(FMutex);
    return FUploaded;
}

int ScriptedFtpServer::ConnectionCount() const
{
    std::lock_guard lock(FMutex);
    return FConnections;
}

// --- Server thread ---

void ScriptedFtpServer::Run()
{
    while (!FStop) {
        const int fd = loopback::Accept(FListenFd, FWake[0]);
        if (fd < 0) return;
        Serve(fd);
    }
}

void ScriptedFtpServer::Serve(int fd)
{
    QByteArray greeting;
    {
        std::lock_guard lock(FMutex);
        ++FConnections;
        FPendingRest = 0;
        greeting = FGreeting;
    }
    {
        std::lock_guard lock(FSendMutex);
        FControlFd = fd;
    }
    SendControl(greeting);
    QByteArray buffer;
    QByteArray line;
    while (ReadLine(fd, buffer, line) && HandleCommand(line)) {}
    std::lock_guard lock(FSendMutex);
    loopback::Close(FControlFd);
}

bool ScriptedFtpServer::ReadLine(int fd, QByteArray& buffer, QByteArray& line)
{
    for (;;) {
        const qsizetype end = buffer.indexOf('\n');
        if (end >= 0) {
            line = buffer.left(end);
            if (line.endsWith('\r')) line.chop(1);
            buffer.remove(0, end + 1);
            return true;
        }
        if (loopback::ReceiveSome(fd, FWake[0], buffer, 4096, -1) != loopback::TReceive::Data) return false;
    }
}

// Returns false when the control connection is to close.
bool ScriptedFtpServer::HandleCommand(const QByteArray& line)
{
    const qsizetype space = line.indexOf(' ');
    const QByteArray verb = (space < 0 ? line : line.left(space)).toUpper();
    const QByteArray argument = space < 0 ? QByteArray() : line.mid(space + 1);
    bool closes = false;
    bool replyFirst = false;
    {
        std::lock_guard lock(FMutex);
        FCommands.append(line);
        const auto it = FCloseOn.find(verb);
        if (it != FCloseOn.end()) {
            closes = true;
            replyFirst = it->second;
            FCloseOn.erase(it);
        }
    }
    bool ignored = false;
    {
        std::lock_guard lock(FMutex);
        ignored = FIgnored.erase(verb) > 0;
    }
    FCommandArrived.notify_all();
    if (ignored) return true;
    if (closes && !replyFirst) return false;
    Dispatch(verb, argument);
    return !closes && verb != "QUIT";
}

void ScriptedFtpServer::Dispatch(const QByteArray& verb, const QByteArray& argument)
{
    if (verb == "PORT")
        HandlePort(argument);
    else if (verb == "PASV" || verb == "EPSV")
        HandlePassive(verb, argument);
    else if (verb == "REST")
        HandleRest(argument);
    else if (verb == "LIST" || verb == "MLSD" || verb == "RETR" || verb == "STOR")
        RunTransfer(verb);
    else
        Answer(verb, TakeReply(verb, argument));
}

void ScriptedFtpServer::HandlePort(const QByteArray& argument)
{
    QByteArray address;
    quint16 port = 0;
    if (!ParsePortArgument(argument, address, port)) {
        Answer("PORT", "501 Syntax error in PORT\r\n");
        return;
    }
    {
        std::lock_guard lock(FMutex);
        FPortAddress = address;
        FPortPort = port;
    }
    loopback::Close(FPassiveFd);
    Answer("PORT", TakeReply("PORT", argument));
}

void ScriptedFtpServer::HandlePassive(const QByteArray& verb, const QByteArray& argument)
{
    QByteArray reply = TakeReply(verb, argument);
    loopback::Close(FPassiveFd);
    if (reply.startsWith('2')) {
        quint16 port = 0;
        FPassiveFd = loopback::Listen(port);
        if (FPassiveFd < 0) reply = "425 Cannot listen\r\n";
        reply.replace("{p1}", QByteArray::number(port / 256))
            .replace("{p2}", QByteArray::number(port % 256))
            .replace("{port}", QByteArray::number(port));
    }
    Answer(verb, reply);
}

int ScriptedFtpServer::AcceptPassive(const TransferPlan& plan)
{
    pollfd waits[2] = {{plan.passiveFd, POLLIN, 0}, {FWake[0], POLLIN, 0}};
    if (::poll(waits, 2, ConnectTimeoutMs) <= 0 || waits[0].revents == 0) return -1;
    return loopback::Accept(plan.passiveFd, FWake[0]);
}

// Only an accepted REST (3xx) moves the start of the next RETR.
void ScriptedFtpServer::HandleRest(const QByteArray& argument)
{
    const QByteArray reply = TakeReply("REST", argument);
    bool ok = false;
    const qint64 offset = argument.trimmed().toLongLong(&ok);
    {
        std::lock_guard lock(FMutex);
        if (ok) FRestOffset = offset;
        if (ok && reply.startsWith('3')) FPendingRest = offset;
    }
    Answer("REST", reply);
}

void ScriptedFtpServer::RunTransfer(const QByteArray& verb)
{
    const QByteArray preliminary = TakeReply(verb, {});
    if (!preliminary.startsWith('1')) {
        {
            std::lock_guard lock(FMutex);
            FPendingRest = 0;
        }
        loopback::Close(FPassiveFd);
        Answer(verb, preliminary);
        return;
    }
    SendControl(preliminary);
    TransferPlan plan = TakePlan(verb);
    if (plan.faults.skipConnect) {
        // A passive connection the client made stays open, and silent.
        FPassiveFd = plan.passiveFd;
        return;
    }
    // Never reach beyond this machine, whatever address the client sent.
    int fd = -1;
    if (plan.passiveFd >= 0)
        fd = AcceptPassive(plan);
    else if (plan.address.startsWith("127."))
        fd = loopback::Connect(plan.address, plan.port, FWake[0], ConnectTimeoutMs);
    loopback::Close(plan.passiveFd);  // one passive port serves one transfer
    if (fd < 0) {
        Answer(verb, "425 Can't open data connection\r\n");
        return;
    }
    TOutcome outcome = verb == "STOR" ? ReceiveUpload(fd, plan) : SendPayload(fd, plan);
    if (outcome == TOutcome::Done && plan.faults.stallAfter >= 0) outcome = Stall(fd, plan.faults);
    if (plan.faults.resetAtClose) {
        const linger reset{1, 0};  // closing then sends RST
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    loopback::Close(fd);
    if (outcome == TOutcome::Done) {
        std::unique_lock lock(FMutex);
        const QByteArray final = FFinalReplies.Take(verb, "226 Transfer complete\r\n");
        lock.unlock();
        Answer(verb, final);
    } else if (outcome == TOutcome::Broken) {
        Answer(verb, "426 Data connection broken\r\n");
    }
}

ScriptedFtpServer::TransferPlan ScriptedFtpServer::TakePlan(const QByteArray& verb)
{
    std::lock_guard lock(FMutex);
    TransferPlan plan;
    plan.faults = FFaults;
    FFaults = TransferFaults();
    plan.address = FPortAddress;
    plan.port = FPortPort;
    plan.passiveFd = std::exchange(FPassiveFd, -1);
    const auto data = FData.find(verb);
    if (data != FData.end()) plan.payload = data->second;
    if (verb == "RETR") plan.payload = plan.payload.mid(FPendingRest);
    FPendingRest = 0;
    if (verb == "STOR") FUploaded.clear();
    return plan;
}

// Moves the data up to `length` bytes, with the scripted cuts on the way.
// `move(total)` carries on until `total` bytes have passed in all and answers
// Data when it got there, Closed when the peer ended first, Failed otherwise.
template <class Move>
ScriptedFtpServer::TOutcome ScriptedFtpServer::MoveWithFaults(const TransferFaults& faults, qint64 length,
                                                              Move move)
{
    using loopback::TReceive;
    qint64 end = faults.closeAfter >= 0 ? qMin(faults.closeAfter, length) : length;
    if (faults.stallAfter >= 0) end = qMin(faults.stallAfter, end);
    if (faults.controlAfter >= 0 && faults.controlAfter <= end) {
        const TReceive moved = move(faults.controlAfter);
        if (moved != TReceive::Data) return moved == TReceive::Failed ? TOutcome::Broken : TOutcome::Done;
        SendControl(faults.controlRaw);
        if (faults.closeAtControl) {
            std::lock_guard lock(FSendMutex);
            if (FControlFd >= 0) ::shutdown(FControlFd, SHUT_RDWR);
        }
        if (faults.stopAtControl) return TOutcome::Stopped;
    }
    return move(end) == TReceive::Failed ? TOutcome::Broken : TOutcome::Done;
}

// Waits, neither sending nor reading, for the client to close the data
// connection (a FIN or a reset); the answer follows only when scripted.
ScriptedFtpServer::TOutcome ScriptedFtpServer::Stall(int fd, const TransferFaults& faults)
{
    pollfd waits[2] = {{fd, POLLRDHUP, 0}, {FWake[0], POLLIN, 0}};
    ::poll(waits, 2, IoTimeoutMs);
    return faults.answerAfterStall ? TOutcome::Broken : TOutcome::Stopped;
}

ScriptedFtpServer::TOutcome ScriptedFtpServer::SendPayload(int fd, const TransferPlan& plan)
{
    qint64 sent = 0;
    return MoveWithFaults(plan.faults, plan.payload.size(), [&](qint64 total) {
        const bool ok = loopback::SendAll(fd, FWake[0], plan.payload.mid(sent, total - sent), IoTimeoutMs);
        sent = total;
        return ok ? loopback::TReceive::Data : loopback::TReceive::Failed;
    });
}

// Keeps Uploaded() current at every cut, so a test that reacts to a fault
// reply already sees the bytes that came before it.
ScriptedFtpServer::TOutcome ScriptedFtpServer::ReceiveUpload(int fd, const TransferPlan& plan)
{
    QByteArray received;
    const auto move = [&](qint64 total) {
        auto result = loopback::TReceive::Data;
        while (received.size() < total && result == loopback::TReceive::Data)
            result = loopback::ReceiveSome(fd, FWake[0], received, total - received.size(), IoTimeoutMs);
        std::lock_guard lock(FMutex);
        FUploaded = received;
        return result;
    };
    return MoveWithFaults(plan.faults, std::numeric_limits<qint64>::max(), move);
}

QByteArray ScriptedFtpServer::TakeReply(const QByteArray& verb, const QByteArray& argument)
{
    std::lock_guard lock(FMutex);
    return FReplies.Take(verb, DefaultReply(verb, argument));
}

void ScriptedFtpServer::Answer(const QByteArray& verb, const QByteArray& raw)
{
    QByteArray extra;
    {
        std::lock_guard lock(FMutex);
        const auto it = FAfterReply.find(verb);
        if (it != FAfterReply.end()) {
            extra = it->second;
            FAfterReply.erase(it);
        }
    }
    SendControl(raw + extra);
}

void ScriptedFtpServer::SendControl(const QByteArray& raw)
{
    SendRaw(raw);
}

void ScriptedFtpServer::IgnoreNext(const QByteArray& verb)
{
    std::lock_guard lock(FMutex);
    FIgnored.insert(verb.toUpper());
}
