#pragma once
#include <QString>
#include <QStringList>

class QDialog;

// Every message box, question, input box and modal dialog of the program goes
// through this seam. The default answerer shows Qt dialogs; tests install a
// scripted one, so no test ever waits on a window.

// The caption of every box the program shows.
inline constexpr const char* MessageCaption = "QuilloFTP";

// The button that closed a box.
enum TModalResult { mrNone, mrOk, mrCancel, mrYes, mrNo, mrYesToAll, mrNoToAll };

// The buttons a box offers.
enum TBoxKind { bkMessage, bkOkCancel, bkYesNo, bkYesNoCancel, bkYesNoCancelAll };

struct TBoxRequest {
    TBoxKind Kind = bkMessage;
    QString Caption;
    QString Text;        // line breaks are CR LF
    bool Alert = false;  // error icon on a message, warning icon on a question
    // The program's own texts for the kind's buttons, in the order of
    // TModalResult (Ok or Yes first); empty: the standard texts.
    QStringList ButtonTexts;
};

class TDialogAnswerer {
public:
    virtual ~TDialogAnswerer() = default;
    virtual TModalResult Ask(const TBoxRequest& request) = 0;
    // True on OK; value comes in as the initial text and goes out as the answer.
    virtual bool Input(const QString& caption, const QString& prompt, QString& value) = 0;
    // Runs one of the program's own modal dialogs; returns its QDialog result.
    virtual int Exec(QDialog& dialog) = 0;
};

// Installs an answerer (nullptr: the Qt dialogs again) and returns the one
// it replaces, so a scoped installer can put it back.
TDialogAnswerer* SetDialogAnswerer(TDialogAnswerer* answerer);

// OK button; error icon when isError, information icon otherwise.
void ShowMessageBox(const QString& text, bool isError);
// The questions show the warning icon when isWarning, the question icon otherwise.
bool AskOkCancel(const QString& text, bool isWarning);             // true on OK
bool AskYesNo(const QString& text, bool isWarning);                // true on Yes
TModalResult AskYesNoCancel(const QString& text, bool isWarning);  // mrYes, mrNo or mrCancel
// Yes, No, Cancel, Yes to all and No to all, with the question icon.
TModalResult AskYesNoCancelAll(const QString& text);
// A question whose buttons say what each choice does: the buttons of kind,
// labelled with texts in the order of TModalResult (Yes, No, Cancel). Enter,
// Escape and closing the box answer Cancel: make it the choice that loses nothing.
TModalResult AskWithButtons(TBoxKind kind, const QString& text, const QStringList& texts, bool isWarning);
// Input box captioned "QuilloFTP"; true on OK, value then holds the answer.
bool InputQuery(const QString& prompt, QString& value);
// Shows a dialog of ours modally; returns QDialog::Accepted or QDialog::Rejected.
int ExecModal(QDialog& dialog);
