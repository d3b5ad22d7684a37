#include "app/FilePermissions.h"

namespace {

constexpr int LetterCount = 9;

// The bit of the letter at position (0 is the user's read, 8 the others' execute).
int BitAt(int position)
{
    return 1 << (LetterCount - 1 - position);
}

// setuid for the user's execute place, setgid for the group's, sticky for the others'.
int SpecialAt(int position)
{
    return 4 >> (position / 3);
}

QChar SpecialLetter(int position)
{
    return position / 3 == 2 ? u't' : u's';
}

struct TLetterMeaning {
    bool Valid = false;
    bool Set = false;
    bool Special = false;
};

TLetterMeaning ReadLetter(QChar letter, int position)
{
    static const char* const plain = "rwx";
    const QChar wanted = QLatin1Char(plain[position % 3]);
    if (letter == u'-') return {true, false, false};
    if (letter.toLower() == wanted) return {true, true, false};
    if (position % 3 != 2) return {};
    // ls(1): lower case is the special bit with execute, upper case without.
    if (letter == SpecialLetter(position)) return {true, true, true};
    if (letter == SpecialLetter(position).toUpper()) return {true, false, true};
    return {};
}

}  // namespace

QString PermissionLetters(const QString& attributes)
{
    QString text = attributes;
    // GNU ls marks an access list with "+" and a security context with ".",
    // macOS extended attributes with "@", after the type and nine letters.
    if (text.size() > LetterCount + 1 && QStringLiteral("+.@").contains(text.back())) text.chop(1);
    return text.right(LetterCount);
}

std::optional<TFilePermissions> ParsePermissions(const QString& letters)
{
    if (letters.size() != LetterCount) return std::nullopt;
    TFilePermissions permissions;
    for (int i = 0; i < LetterCount; ++i) {
        const TLetterMeaning meaning = ReadLetter(letters[i], i);
        if (!meaning.Valid) return std::nullopt;
        if (meaning.Set) permissions.Bits |= BitAt(i);
        if (meaning.Special) permissions.Special |= SpecialAt(i);
    }
    return permissions;
}

QString PermissionString(const TFilePermissions& permissions)
{
    QString text = QStringLiteral("rwxrwxrwx");
    for (int i = 0; i < LetterCount; ++i) {
        const bool set = permissions.Bits & BitAt(i);
        if (i % 3 == 2 && (permissions.Special & SpecialAt(i)))
            text[i] = set ? SpecialLetter(i) : SpecialLetter(i).toUpper();
        else if (!set)
            text[i] = u'-';
    }
    return text;
}

int ModeNumber(const TFilePermissions& permissions)
{
    const int user = (permissions.Bits >> 6) & 7, group = (permissions.Bits >> 3) & 7,
              other = permissions.Bits & 7;
    return permissions.Special * 1000 + user * 100 + group * 10 + other;
}

TChmodPlan PlanChmod(const QList<TChmodItem>& selected)
{
    TChmodPlan plan;
    QString first;
    bool differ = false;
    for (const TChmodItem& item : selected) {
        const QString letters = PermissionLetters(item.Attributes);
        const std::optional<TFilePermissions> permissions = ParsePermissions(letters);
        if (!permissions) continue;
        if (plan.Names.isEmpty()) {
            plan.Letters = letters;
            first = item.Name;
        } else if (ModeNumber(*permissions) != ModeNumber(*ParsePermissions(plan.Letters))) {
            differ = true;
        }
        plan.Names << item.Name;
    }
    if (plan.Names.isEmpty()) return plan;
    QStringList notes;
    if (differ)
        notes << QStringLiteral(
                     "The selected items have different permissions: these are those of \"%1\", "
                     "and every item gets the permissions chosen here.")
                     .arg(first);
    if (const qsizetype unread = selected.size() - plan.Names.size(); unread > 0)
        notes << QStringLiteral(
                     "%1 of the selected items show no permissions that can be read; they stay "
                     "as they are.")
                     .arg(unread);
    plan.Note = notes.join(u' ');
    return plan;
}
