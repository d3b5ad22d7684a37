#pragma once
#include "platform/MessageBoxes.h"

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

// Answers the program's boxes, input boxes and modal dialogs from a script and
// records what was asked. Installed for its lifetime. Anything asked without
// a scripted answer fails the test and is cancelled; answers left unused when
// it ends fail the test too.
class TScriptedDialogs : public TDialogAnswerer {
public:
    // Runs while the dialog is shown; returns QDialog::Accepted or Rejected.
    using TModalScript = std::function<int(QDialog& dialog)>;

    struct TInputAsked {
        QString Caption;
        QString Prompt;
    };

    TScriptedDialogs();
    ~TScriptedDialogs() override;
    TScriptedDialogs(const TScriptedDialogs&) = delete;
    TScriptedDialogs& operator=(const TScriptedDialogs&) = delete;

    void Answer(TModalResult button);       // the next question (message boxes need none)
    void AnswerInput(const QString& text);  // the next input box: OK with this text
    void CancelInput();
    void OnModal(TModalScript script);  // the next modal dialog

    std::vector<TBoxRequest> Asked;  // every message box and question, in order
    std::vector<TInputAsked> InputsAsked;

    TModalResult Ask(const TBoxRequest& request) override;
    bool Input(const QString& caption, const QString& prompt, QString& value) override;
    int Exec(QDialog& dialog) override;

private:
    std::deque<TModalResult> Answers;
    std::deque<std::optional<QString>> InputAnswers;
    std::deque<TModalScript> ModalScripts;
    TDialogAnswerer* Previous;
};
