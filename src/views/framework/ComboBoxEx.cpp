#include "views/framework/ComboBoxEx.h"

#include "platform/HandlerGuard.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>

TComboBoxEx::TComboBoxEx(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    // Typed text is the caller's to take (OnReturnPress), never an entry of
    // its own; and no completion: Enter on "/tmp" must not open "/tmp/old"
    // because an entry begins with it.
    setInsertPolicy(NoInsert);
    setCompleter(nullptr);
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textEdited, this,
            [this] { RunGuarded("Combo box", [this] { Changed(); }); });
    connect(this, &QComboBox::activated, this, [this] { RunGuarded("Combo box", [this] { Changed(); }); });
}

int TComboBoxEx::ItemIndex() const
{
    return FChosen.isValid() ? FChosen.row() : -1;
}

void TComboBoxEx::Choose(int index)
{
    FChosen = QPersistentModelIndex(model()->index(index, modelColumn(), rootModelIndex()));
}

void TComboBoxEx::ShowText(const QString& text)
{
    const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setCurrentIndex(index);
    setEditText(text);
    Choose(index);
}

// A user's change: the chosen entry is the one remembered (an edit, or the
// same entry again) or another one.
void TComboBoxEx::Changed()
{
    const int previous = ItemIndex();
    if (currentIndex() == previous) {
        if (OnTextChange) OnTextChange(this);
        return;
    }
    if (OnItemChange) OnItemChange(this, previous);
    // The handler may have shown something else meanwhile.
    Choose(currentIndex());
}

bool TComboBoxEx::TakesReturn(const QEvent* event) const
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && OnReturnPress &&
           !view()->isVisible();
}

bool TComboBoxEx::TakeReturn(QEvent* event)
{
    if (!TakesReturn(event)) return false;
    // Before it is a key press, Enter could be a shortcut of the window.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    // Taken here, the key reaches neither the box's own Enter handling nor a
    // default button.
    RunGuarded("Combo box", [this] { OnReturnPress(this); });
    return true;
}

// Keys typed into the box reach the box itself: its edit field hands the
// focus to it, and the box passes keys on to the field directly, past any
// filter. A key sent to the field itself comes through the filter.
bool TComboBoxEx::event(QEvent* event)
{
    return TakeReturn(event) || QComboBox::event(event);
}

bool TComboBoxEx::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && TakeReturn(event)) return true;
    return QComboBox::eventFilter(watched, event);
}

void TComboBoxEx::showEvent(QShowEvent* event)
{
    QComboBox::showEvent(event);
    if (FShown) return;
    FShown = true;
    // What the box shows when it first appears counts as chosen, unless the
    // program has said otherwise already.
    if (!FChosen.isValid()) Choose(currentIndex());
}
