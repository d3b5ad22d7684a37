#include "transfer/TransferNames.h"

bool IsSafeLocalName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

QString UnsafeNameText(const QString& name)
{
    QString shown = name;
    shown.replace(QChar(0), QStringLiteral("\\0"));
    const QString why = name.isEmpty()                    ? QStringLiteral("it is empty")
                        : name.contains(QLatin1Char('/')) ? QStringLiteral("it contains \"/\"")
                        : name.contains(QChar(0))         ? QStringLiteral("it contains a NUL character")
                                                          : QStringLiteral("it names a folder itself");
    return QStringLiteral("Skipped \"%1\": %2, so it cannot be a local name.").arg(shown, why);
}

QString WithoutTrailingSlash(const QString& path)
{
    QString result = path;
    while (result.size() > 1 && result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result;
}

QString ChildPath(const QString& dir, const QString& name)
{
    return dir.endsWith(QLatin1Char('/')) ? dir + name : dir + QLatin1Char('/') + name;
}

QString ParentPath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) return path;
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}
