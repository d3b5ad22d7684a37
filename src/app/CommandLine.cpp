#include "app/CommandLine.h"

namespace {

// The schemes a desktop hands over for this program (its desktop entry).
bool IsBareLink(const QString& argument)
{
    for (const char* scheme : {"ftp://", "ftps://", "ftpes://"})
        if (argument.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) return true;
    return false;
}

bool HasSwitch(const QStringList& arguments, QChar letter)
{
    for (const QString& argument : arguments)
        if (argument.size() == 2 && (argument[0] == u'-' || argument[0] == u'/') && argument[1] == letter)
            return true;
    return false;
}

}  // namespace

bool FindSwitchValue(const QStringList& arguments, const QString& name, QString& value)
{
    for (const QString& argument : arguments) {
        if (argument.size() <= name.size() || (argument[0] != u'-' && argument[0] != u'/')) continue;
        if (QStringView(argument).mid(1, name.size()) != name) continue;
        value = argument.mid(1 + name.size());
        return true;
    }
    return false;
}

TCommandLine ParseCommandLine(const QStringList& arguments)
{
    TCommandLine line;
    line.HasLink = FindSwitchValue(arguments, QStringLiteral("URL"), line.Link);
    if (!line.HasLink) {
        for (const QString& argument : arguments) {
            if (IsBareLink(argument)) {
                line.Link = argument;
                line.FromDesktop = line.HasLink = true;
                break;
            }
        }
        if (!line.HasLink) return line;
    }
    line.NormalLogin = HasSwitch(arguments, u'n');
    FindSwitchValue(arguments, QStringLiteral("LOG"), line.LogFile);
    line.QuitAfterLink = HasSwitch(arguments, u'q');
    return line;
}
