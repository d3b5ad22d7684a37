#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Unix permissions as a long listing shows them ("rwsr-xr-x") and as
// "SITE chmod" takes them (the octal digits, "4755").
struct TFilePermissions {
    int Bits = 0;     // read, write and execute of user, group and other: 0 to 0777
    int Special = 0;  // setuid 4, setgid 2, sticky 1
};

// The nine permission letters of a listing's attribute text: its last nine
// characters, after a trailing mark of an access list or of extended
// attributes; a shorter text whole.
QString PermissionLetters(const QString& attributes);

// Nothing unless letters is nine letters a listing can show at their places.
// R, W and X count as set, as lower-case letters do; s and t are execute with
// setuid, setgid or sticky, S and T the special bit without execute.
std::optional<TFilePermissions> ParsePermissions(const QString& letters);

// The nine letters again, special bits shown as s, S, t or T.
QString PermissionString(const TFilePermissions& permissions);

// The octal digits as a decimal number (755, 4755): what "SITE chmod" sends.
int ModeNumber(const TFilePermissions& permissions);

// What a permission change applies to, from the selected items in order.
struct TChmodItem {
    QString Name;
    QString Attributes;
};
struct TChmodPlan {
    QStringList Names;  // the items whose permissions can be read
    QString Letters;    // the first of those items' letters; the dialog starts there
    QString Note;       // why the dialog's start may not fit every item; empty when it does
};
TChmodPlan PlanChmod(const QList<TChmodItem>& selected);
