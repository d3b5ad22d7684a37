#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon IconFor(const TBoxRequest& request)
{
    if (request.Kind == bkMessage) return request.Alert ? QMessageBox::Critical : QMessageBox::Information;
    return request.Alert ? QMessageBox::Warning : QMessageBox::Question;
}

QMessageBox::StandardButtons ButtonsFor(TBoxKind kind)
{
    switch (kind) {
    case bkMessage: return QMessageBox::Ok;
    case bkOkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case bkYesNo: return QMessageBox::Yes | QMessageBox::No;
    case bkYesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case bkYesNoCancelAll:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::YesToAll |
               QMessageBox::NoToAll;
    }
    return QMessageBox::Ok;
}

TModalResult ResultOf(int button)
{
    switch (button) {
    case QMessageBox::Ok: return mrOk;
    case QMessageBox::Yes: return mrYes;
    case QMessageBox::No: return mrNo;
    case QMessageBox::YesToAll: return mrYesToAll;
    case QMessageBox::NoToAll: return mrNoToAll;
    default: return mrCancel;
    }
}

// The standard buttons of a kind, in the order of TModalResult.
QList<QMessageBox::StandardButton> ButtonOrder(TBoxKind kind)
{
    switch (kind) {
    case bkMessage: return {QMessageBox::Ok};
    case bkOkCancel: return {QMessageBox::Ok, QMessageBox::Cancel};
    case bkYesNo: return {QMessageBox::Yes, QMessageBox::No};
    case bkYesNoCancel: return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case bkYesNoCancelAll:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel, QMessageBox::YesToAll,
                QMessageBox::NoToAll};
    }
    return {};
}

void LabelButtons(QMessageBox& box, const TBoxRequest& request)
{
    const QList<QMessageBox::StandardButton> order = ButtonOrder(request.Kind);
    for (qsizetype i = 0; i < request.ButtonTexts.size() && i < order.size(); ++i)
        if (QAbstractButton* button = box.button(order[i])) button->setText(request.ButtonTexts[i]);
}

// Message texts use CR LF; a Qt label would show the CR.
QString ForDisplay(const QString& text)
{
    return QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

// The window a question belongs to. A visible window that stays on top of
// the others (the transfer window) would hide a box that belongs to any
// other window, so it takes the box whether or not it has the focus.
QWidget* OwnerWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
            !qobject_cast<QMessageBox*>(window))
            return window;
    return QApplication::activeWindow();
}

class TQtAnswerer : public TDialogAnswerer {
public:
    TModalResult Ask(const TBoxRequest& request) override
    {
        QMessageBox box(IconFor(request), request.Caption, ForDisplay(request.Text), ButtonsFor(request.Kind),
                        OwnerWindow());
        // Names from servers and disks are data: "<s>" or "<!--" in one must
        // neither format nor hide the rest of the question.
        box.setTextFormat(Qt::PlainText);
        LabelButtons(box, request);
        // The first button is the default, as on the original desktop. Where
        // the buttons say what they do, Enter takes the one that loses nothing.
        if (!request.ButtonTexts.isEmpty() && box.button(QMessageBox::Cancel))
            box.setDefaultButton(QMessageBox::Cancel);
        else
            box.setDefaultButton(request.Kind == bkMessage || request.Kind == bkOkCancel ? QMessageBox::Ok
                                                                                         : QMessageBox::Yes);
        return ResultOf(box.exec());
    }

    bool Input(const QString& caption, const QString& prompt, QString& value) override
    {
        QInputDialog box(OwnerWindow());
        box.setWindowTitle(caption);
        box.setInputMode(QInputDialog::TextInput);
        box.setLabelText(prompt);
        box.setTextValue(value);
        // The prompt may quote a name; the dialog has no switch of its own
        // for its label, which exists once the label text is set.
        for (QLabel* label : box.findChildren<QLabel*>())
            label->setTextFormat(Qt::PlainText);
        if (box.exec() != QDialog::Accepted) return false;
        value = box.textValue();
        return true;
    }

    int Exec(QDialog& dialog) override { return dialog.exec(); }
};

TQtAnswerer QtAnswerer;
TDialogAnswerer* Current = &QtAnswerer;

TModalResult Ask(TBoxKind kind, const QString& text, bool alert)
{
    return Current->Ask(TBoxRequest{kind, QString::fromLatin1(MessageCaption), text, alert, {}});
}

}  // namespace

TDialogAnswerer* SetDialogAnswerer(TDialogAnswerer* answerer)
{
    TDialogAnswerer* previous = Current;
    Current = answerer ? answerer : &QtAnswerer;
    return previous;
}

void ShowMessageBox(const QString& text, bool isError)
{
    Ask(bkMessage, text, isError);
}

bool AskOkCancel(const QString& text, bool isWarning)
{
    return Ask(bkOkCancel, text, isWarning) == mrOk;
}

bool AskYesNo(const QString& text, bool isWarning)
{
    return Ask(bkYesNo, text, isWarning) == mrYes;
}

TModalResult AskYesNoCancel(const QString& text, bool isWarning)
{
    const TModalResult result = Ask(bkYesNoCancel, text, isWarning);
    return result == mrYes || result == mrNo ? result : mrCancel;
}

TModalResult AskYesNoCancelAll(const QString& text)
{
    const TModalResult result = Ask(bkYesNoCancelAll, text, false);
    return result == mrYes || result == mrNo || result == mrYesToAll || result == mrNoToAll ? result
                                                                                            : mrCancel;
}

TModalResult AskWithButtons(TBoxKind kind, const QString& text, const QStringList& texts, bool isWarning)
{
    TBoxRequest request{kind, QString::fromLatin1(MessageCaption), text, isWarning, texts};
    const TModalResult result = Current->Ask(request);
    return result == mrNone ? mrCancel : result;
}

bool InputQuery(const QString& prompt, QString& value)
{
    return Current->Input(QString::fromLatin1(MessageCaption), prompt, value);
}

int ExecModal(QDialog& dialog)
{
    return Current->Exec(dialog);
}
