#pragma once
#include <QComboBox>
#include <QPersistentModelIndex>
#include <functional>

// An editable box that tells apart what the user does: choosing another
// entry (OnItemChange, with the entry chosen before), editing the text or
// choosing the entry already chosen (OnTextChange), and Enter with the list
// closed (OnReturnPress, which takes the key). What the program does to the
// box raises nothing.
class TComboBoxEx : public QComboBox {
    Q_OBJECT
public:
    using TItemChangeEvent = std::function<void(TComboBoxEx* Sender, int PrevIndex)>;
    using TNotifyEvent = std::function<void(TComboBoxEx* Sender)>;

    explicit TComboBoxEx(QWidget* parent = nullptr);

    // The entry chosen last; -1 for none. It stays with its entry when
    // others are inserted or removed.
    int ItemIndex() const;
    // Puts text into the box as the program's doing: the entry with exactly
    // that text, if any, becomes the chosen one, so choosing it later is no
    // change and choosing any other entry is.
    void ShowText(const QString& text);

    TItemChangeEvent OnItemChange;
    TNotifyEvent OnTextChange;
    TNotifyEvent OnReturnPress;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Changed();
    void Choose(int index);
    bool TakesReturn(const QEvent* event) const;
    bool TakeReturn(QEvent* event);

    QPersistentModelIndex FChosen;
    bool FShown = false;
};
