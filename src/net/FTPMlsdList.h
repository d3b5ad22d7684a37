#pragma once
#include "net/FTPDirectoryList.h"

#include <QByteArrayView>
#include <QTimeZone>
#include <optional>

// Reads "MLSD" lines (RFC 3659, 7): 'fact=value;fact=value; name'. The facts
// end at the first "; " (or, without one, the first space) and the name is
// all of the rest, spaces included.
// The lists get what the Unix listing gives, so the remote pane shows both
// alike:
// - attributes: "d", "-" or "l" ("?" for other or no type), then the nine
//   permission letters of "UNIX.mode", or else a space and the "perm" letters;
// - size: the exact decimal byte count, empty when not given or not a number;
// - date: "modify" in local time as 'Mon D YYYY HH:MM:SS', empty when not given
//   or not a time;
// - name: a link's 'name -> target' when the server names the target.
// The entries for the folder itself and its parent ("cdir", "pdir", or the
// names "." and "..") are left out, and so are lines whose facts hold no
// 'name=value'. A line that begins with the space has no facts: an entry of
// unknown type.
class TFTPMlsdList : public TFTPDirectoryList {
public:
    void ParseLine(const QByteArray& line) override;

    // The date text of a "modify" value, 'YYYYMMDDHHMMSS[.sss]' in UTC (RFC
    // 3659, 2.3), shown in zone, or in the system's local time without one.
    static QByteArray DateText(QByteArrayView modify, const std::optional<QTimeZone>& zone = std::nullopt);
    // The nine letters of a "UNIX.mode" value (octal, "0755"); empty when it is none.
    static QByteArray ModeLetters(QByteArrayView mode);

    // Where dates are shown; the system's local time when not set.
    std::optional<QTimeZone> Zone;
};
