#include "app/ActionList.h"

#include <stdexcept>

QAction* TActionList::Add(const QString& name, const QString& caption, const QString& hint,
                          const QString& category, const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, Owner);
    action->setObjectName(name);
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    Ordered << action;
    ByName.insert(name, action);
    Categories.insert(name, category);
    return action;
}

QAction* TActionList::operator[](const QString& name) const
{
    QAction* action = Find(name);
    if (!action) throw std::logic_error("no action named " + name.toStdString());
    return action;
}

QList<QAction*> TActionList::InCategory(const QString& category) const
{
    QList<QAction*> found;
    for (QAction* action : Ordered)
        if (Categories.value(action->objectName()) == category) found << action;
    return found;
}

void TActionList::EnableCategory(const QString& category, bool enabled)
{
    for (QAction* action : InCategory(category))
        SetEnabled(action->objectName(), enabled);
}

void TActionList::SetEnabled(const QString& name, bool enabled)
{
    if (QAction* action = Find(name)) action->setEnabled(enabled && IsAvailable(name));
}

void TActionList::SetUnavailable(const QString& name)
{
    Unavailable.insert(name);
    if (QAction* action = Find(name)) action->setEnabled(false);
}
