#pragma once
#include <QAction>
#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QString>

// The main window's actions by name, each in one category that decides who
// enables it ("AlwaysEnabled", "DisabledOnBusy", "AfterConnection", "Misc").
// A hint is "short|long": the short part is the tool tip, the long part the
// status-bar text. An action whose command is not part of the program yet is
// marked unavailable and stays disabled whatever its category says.
class TActionList {
public:
    explicit TActionList(QObject* owner) : Owner(owner) {}

    QAction* Add(const QString& name, const QString& caption, const QString& hint, const QString& category,
                 const QKeySequence& shortcut = {});
    QAction* Find(const QString& name) const { return ByName.value(name); }
    QAction* operator[](const QString& name) const;
    QString CategoryOf(const QString& name) const { return Categories.value(name); }
    QList<QAction*> InCategory(const QString& category) const;

    void EnableCategory(const QString& category, bool enabled);
    void SetEnabled(const QString& name, bool enabled);
    void SetUnavailable(const QString& name);
    bool IsAvailable(const QString& name) const { return !Unavailable.contains(name); }

private:
    QObject* Owner;
    QList<QAction*> Ordered;
    QHash<QString, QAction*> ByName;
    QHash<QString, QString> Categories;
    QSet<QString> Unavailable;
};
