#include "support/dialogs/ScriptedDialogs.h"

#include <QDialog>
#include <gtest/gtest.h>

TScriptedDialogs::TScriptedDialogs() : Previous(SetDialogAnswerer(this)) {}

TScriptedDialogs::~TScriptedDialogs()
{
    SetDialogAnswerer(Previous);
    EXPECT_TRUE(Answers.empty()) << Answers.size() << " scripted answer(s) never asked for";
    EXPECT_TRUE(InputAnswers.empty()) << InputAnswers.size() << " input answer(s) never asked for";
    EXPECT_TRUE(ModalScripts.empty()) << ModalScripts.size() << " modal dialog(s) never shown";
}

void TScriptedDialogs::Answer(TModalResult button)
{
    Answers.push_back(button);
}

void TScriptedDialogs::AnswerInput(const QString& text)
{
    InputAnswers.emplace_back(text);
}

void TScriptedDialogs::CancelInput()
{
    InputAnswers.emplace_back(std::nullopt);
}

void TScriptedDialogs::OnModal(TModalScript script)
{
    ModalScripts.push_back(std::move(script));
}

TModalResult TScriptedDialogs::Ask(const TBoxRequest& request)
{
    Asked.push_back(request);
    if (request.Kind == bkMessage) return mrOk;
    if (Answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << request.Text.toStdString();
        return mrCancel;
    }
    const TModalResult answer = Answers.front();
    Answers.pop_front();
    return answer;
}

bool TScriptedDialogs::Input(const QString& caption, const QString& prompt, QString& value)
{
    InputsAsked.push_back({caption, prompt});
    if (InputAnswers.empty()) {
        ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
        return false;
    }
    const std::optional<QString> answer = InputAnswers.front();
    InputAnswers.pop_front();
    if (answer) value = *answer;
    return answer.has_value();
}

int TScriptedDialogs::Exec(QDialog& dialog)
{
    if (ModalScripts.empty()) {
        ADD_FAILURE() << "unexpected modal dialog: " << dialog.windowTitle().toStdString();
        return QDialog::Rejected;
    }
    const TModalScript script = std::move(ModalScripts.front());
    ModalScripts.pop_front();
    dialog.show();
    const int result = script(dialog);
    dialog.done(result);
    return result;
}
