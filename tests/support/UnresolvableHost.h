#pragma once
#include <QString>

// A host name no lookup can resolve, refused by the resolver itself (one label
// longer than 63 characters), so tests that need a failed lookup never send a
// query off the machine.
inline QString UnresolvableHostName()
{
    return QString(70, QLatin1Char('x')) + QStringLiteral(".invalid");
}
