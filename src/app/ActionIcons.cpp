#include "app/ActionIcons.h"

#include <QFile>

// The resources live in a static library, whose registration would be
// dropped by the linker unless something refers to it.
static void EnsureIconResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(qftp_icons);
        return true;
    }();
    (void)registered;
}

QIcon ActionIcon(const QString& name)
{
    EnsureIconResources();
    const QString path = QStringLiteral(":/icons/%1.svg").arg(name);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

QIcon ProgramIcon()
{
    return ActionIcon(QStringLiteral("quilloftp"));
}

QStringList ActionIconNames()
{
    return {QStringLiteral("connect-new"), QStringLiteral("site-list"), QStringLiteral("internet-link"),
            QStringLiteral("disconnect"), QStringLiteral("stop"), QStringLiteral("mode-text"),
            QStringLiteral("mode-binary"), QStringLiteral("mode-auto"), QStringLiteral("settings"),
            QStringLiteral("help"), QStringLiteral("open"), QStringLiteral("up-level"),
            QStringLiteral("refresh"), QStringLiteral("new-folder"), QStringLiteral("rename"),
            QStringLiteral("delete"), QStringLiteral("upload"), QStringLiteral("download"),
            QStringLiteral("show"), QStringLiteral("permissions"), QStringLiteral("quilloftp"),
            // The site list window's.
            QStringLiteral("new-site"), QStringLiteral("edit-site"), QStringLiteral("connect-site"),
            QStringLiteral("find"), QStringLiteral("close"), QStringLiteral("folder"),
            QStringLiteral("folder-open"), QStringLiteral("sites-root"), QStringLiteral("sites-root-open"),
            QStringLiteral("site")};
}
