#include "net/FtpReply.h"

namespace FtpReply {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

}  // namespace

int CodeOf(const QByteArray& line)
{
    // RFC 959, 4.2: a reply begins with three digits, the first of them 1 to 5.
    if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2])) return 0;
    const int code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    if (code < 100 || code > 599) return 0;
    // The code is followed by a space, or by "-" on the first line of a
    // multi-line reply (RFC 959, 4.2). Servers also end a reply with the bare
    // code and the line end. "2000" or "22O" is no code at all.
    if (line.size() == 3) return code;
    const char next = line[3];
    return next == ' ' || next == '-' || IsLineEnd(next) ? code : 0;
}

bool IsLastLine(const QByteArray& first, const QByteArray& line)
{
    // RFC 959, 4.2: a multi-line reply opens with its code and "-" and ends
    // at the line that begins with the same code and a space; the lines in
    // between may be anything, other codes with "-" and blank lines included.
    if (first.size() < 4 || first[3] != '-') return true;
    if (line.size() < 3 || !line.startsWith(first.left(3))) return false;
    return line.size() == 3 || line[3] == ' ' || IsLineEnd(line[3]);
}

bool IsRefusal(int code, int low, int high)
{
    return code >= low && code <= high;
}

bool StartsAbortReply(const QByteArray& input)
{
    // Four bytes tell "421 " from "4210": only a whole code counts.
    if (input.size() < 4) return false;
    const int code = CodeOf(input.left(4));
    return code == 421 || code == 426;
}

bool StartsRefusal(const QByteArray& input)
{
    const qsizetype end = input.indexOf('\n');
    if (end < 0) return false;
    // A line without a code is no preliminary reply either: the transfer will
    // not start, and reading the line reports the broken reply.
    const int code = CodeOf(input.left(end + 1));
    return code == 0 || IsRefusal(code, 400, 599);
}

TLoginStep LoginStepOf(int code)
{
    // RFC 959, 5.4: "USER" and "PASS" end with 230 (202 for a "PASS" the
    // site does not need); 331 asks for the password, 332 for an account.
    // Every other reply, 4xx and 5xx above all, is a refusal.
    switch (code) {
    case 230:
    case 202: return TLoginStep::LoggedIn;
    case 331: return TLoginStep::NeedPassword;
    case 332: return TLoginStep::NeedAccount;
    default: return TLoginStep::Refused;
    }
}

QString Text(const QByteArray& line)
{
    QByteArray text = line;
    while (!text.isEmpty() && IsLineEnd(text.back()))
        text.chop(1);
    // A message is one line, whatever the server put into it.
    text.replace('\r', ' ').replace('\n', ' ');
    return QString::fromUtf8(text);
}

}  // namespace FtpReply
