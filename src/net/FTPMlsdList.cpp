#include "net/FTPMlsdList.h"

#include <QDateTime>
#include <QMap>
#include <array>
#include <charconv>

namespace {

const QByteArray LinkArrow = " -> ";

// Fact names are case-insensitive (RFC 3659, 7.5); the first of a name counts.
// Text without a single 'name=value' is no fact list.
bool ReadFacts(const QByteArray& text, QMap<QByteArray, QByteArray>& facts)
{
    for (const QByteArray& fact : text.split(';')) {
        const qsizetype equals = fact.indexOf('=');
        if (equals <= 0) continue;
        const QByteArray name = fact.left(equals).toLower();
        if (!facts.contains(name)) facts.insert(name, fact.mid(equals + 1));
    }
    return !facts.isEmpty();
}

struct TKind {
    char Letter = '?';
    bool Listed = true;  // false for the folder itself and its parent
    QByteArray Target;   // a link's, when the server names it
};

// "type" values: file, dir, cdir, pdir (RFC 3659, 7.5.1), and the links of
// Unix servers, "OS.unix=slink:target" or "OS.unix=symlink".
TKind KindOf(const QByteArray& type)
{
    const QByteArray lower = type.toLower();
    if (lower == "file") return {'-', true, {}};
    if (lower == "dir") return {'d', true, {}};
    if (lower == "cdir" || lower == "pdir") return {'?', false, {}};
    for (const char* prefix : {"os.unix=slink", "os.unix=symlink"}) {
        if (!lower.startsWith(prefix)) continue;
        const QByteArray rest = type.mid(qstrlen(prefix));
        if (rest.isEmpty()) return {'l', true, {}};
        if (rest.front() == ':') return {'l', true, rest.mid(1)};
    }
    return {};
}

// A byte count that fits a signed 64-bit number, or empty.
QByteArray SizeText(const QByteArray& text)
{
    qint64 size = 0;
    const char* end = text.constData() + text.size();
    if (text.isEmpty() || text.front() < '0' || text.front() > '9') return {};
    const auto [ptr, error] = std::from_chars(text.constData(), end, size);
    return error == std::errc() && ptr == end ? QByteArray::number(size) : QByteArray();
}

bool AllDigits(QByteArrayView text)
{
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return !text.isEmpty();
}

int Number(QByteArrayView digits)
{
    int value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

}  // namespace

void TFTPMlsdList::ParseLine(const QByteArray& line)
{
    // Each fact ends with ';' (RFC 3659, 7.2), so the facts end at the first
    // "; ": a link's target in its type fact may hold spaces. A server that
    // leaves out the last ';' still has its facts end at the first space.
    qsizetype space = line.startsWith(' ') ? 0 : line.indexOf("; ");
    if (space > 0) ++space;
    if (space < 0) space = line.indexOf(' ');
    if (space < 0) return;
    const QByteArray name = line.mid(space + 1);
    if (name.isEmpty() || name == "." || name == "..") return;
    // A line that begins with the space has no facts (RFC 3659, 7.2).
    QMap<QByteArray, QByteArray> facts;
    if (space > 0 && !ReadFacts(line.left(space), facts)) return;
    const TKind kind = KindOf(facts.value("type"));
    if (!kind.Listed) return;

    QByteArray attributes(1, kind.Letter);
    const QByteArray letters = ModeLetters(facts.value("unix.mode"));
    if (!letters.isEmpty())
        attributes += letters;
    else if (const QByteArray perm = facts.value("perm"); !perm.isEmpty())
        attributes += ' ' + perm;
    if (attributes.size() > MaxWordLength) attributes.truncate(MaxWordLength);
    const QByteArray size = facts.contains("size") ? facts.value("size") : facts.value("sizd");

    AttributeList.append(attributes);
    NameList.append(kind.Target.isEmpty() ? name : name + LinkArrow + kind.Target);
    SizeList.append(SizeText(size));
    DateList.append(DateText(facts.value("modify"), Zone));
}

QByteArray TFTPMlsdList::DateText(QByteArrayView modify, const std::optional<QTimeZone>& zone)
{
    // 'YYYYMMDDHHMMSS', then any fraction of a second, which the pane does not show.
    if (modify.size() < 14 || !AllDigits(modify.first(14))) return {};
    const QByteArrayView fraction = modify.sliced(14);
    if (!fraction.isEmpty() && (fraction.front() != '.' || !AllDigits(fraction.sliced(1)))) return {};
    const QDate date(Number(modify.first(4)), Number(modify.sliced(4, 2)), Number(modify.sliced(6, 2)));
    const QTime time(Number(modify.sliced(8, 2)), Number(modify.sliced(10, 2)), Number(modify.sliced(12, 2)));
    if (!date.isValid() || !time.isValid()) return {};
    const QDateTime utc(date, time, Qt::UTC);
    const QDateTime shown = zone ? utc.toTimeZone(*zone) : utc.toLocalTime();
    if (!shown.isValid()) return {};  // a zone that cannot be used
    // The pane's own month names, whatever the language of the desktop.
    static constexpr std::array<const char*, 12> Months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return QByteArray(Months[size_t(shown.date().month() - 1)]) + ' ' +
           QByteArray::number(shown.date().day()) + ' ' + QByteArray::number(shown.date().year()) + ' ' +
           shown.time().toString(QStringLiteral("hh:mm:ss")).toLatin1();
}

QByteArray TFTPMlsdList::ModeLetters(QByteArrayView mode)
{
    // Octal; servers send "755", "0755", the whole "100644" of stat(2), or
    // in the notation of one server's language, "0o755".
    if (mode.startsWith("0o") || mode.startsWith("0O")) mode = mode.sliced(2);
    if (mode.isEmpty() || mode.size() > 7) return {};
    int bits = 0;
    for (const char c : mode) {
        if (c < '0' || c > '7') return {};
        bits = bits * 8 + (c - '0');
    }
    QByteArray letters = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i)
        if (!(bits & (0400 >> i))) letters[i] = '-';
    // setuid, setgid and sticky show in the execute places, as ls(1) shows them.
    const char special[3] = {'s', 's', 't'};
    for (int group = 0; group < 3; ++group) {
        if (!(bits & (04000 >> group))) continue;
        char& place = letters[group * 3 + 2];
        place = place == 'x' ? special[group] : char(special[group] - 'a' + 'A');
    }
    return letters;
}
