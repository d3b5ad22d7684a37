#pragma once
#include <QByteArray>
#include <QString>

// The judgement of FTP reply lines, in one place and free of sockets: every
// reader of the control connection (commands, the greeting, transfers, the
// watch for "421"/"426") asks these functions, so they all agree on where a
// reply ends and what its code means.
namespace FtpReply {

// The most a whole reply may hold, all its lines together; real replies stay
// far below it. More is a broken or hostile server.
constexpr qsizetype MaxReplySize = 1024 * 1024;
// How many preliminary (1xx) replies may precede the one that counts.
constexpr int MaxPreliminaryReplies = 8;

// The reply code of a line: three digits 100-599 followed by a space, "-",
// the line end or nothing more. 0 when the line carries no such code.
int CodeOf(const QByteArray& line);

// True when line is the last line of the reply whose first line is first.
// A single-line reply is its own last line. first must carry a code.
bool IsLastLine(const QByteArray& first, const QByteArray& line);

// True when code lies in low..high, the range in which the command that
// was answered counts as failed.
bool IsRefusal(int code, int low, int high);

// True when the waiting input begins with a "421" or "426" reply: the server
// is closing the connection or has cut the transfer.
bool StartsAbortReply(const QByteArray& input);

// True when a whole line is waiting at the front of input that ends a data
// operation before its connection: a refusal, or no reply at all.
bool StartsRefusal(const QByteArray& input);

// How a login goes on after the reply to "USER" or "PASS".
enum class TLoginStep { LoggedIn, NeedPassword, NeedAccount, Refused };
TLoginStep LoginStepOf(int code);

// A reply line fit for a message: decoded, without its line end.
QString Text(const QByteArray& line);

}  // namespace FtpReply
