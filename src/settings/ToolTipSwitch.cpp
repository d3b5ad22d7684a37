#include "settings/ToolTipSwitch.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QToolTip>

namespace {

class TToolTipBlocker : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) return true;
        return QObject::eventFilter(watched, event);
    }
};

// Owned by the application, so it never outlives it.
QPointer<TToolTipBlocker> Blocker;

}  // namespace

void SetToolTipsShown(bool shown)
{
    if (shown) {
        delete Blocker.data();
        return;
    }
    if (Blocker || !qApp) return;
    Blocker = new TToolTipBlocker(qApp);
    qApp->installEventFilter(Blocker);
    QToolTip::hideText();
}

bool ToolTipsShown()
{
    return Blocker.isNull();
}
