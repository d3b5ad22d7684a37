#pragma once
#include <QDialog>
#include <functional>

class QLineEdit;
class QRadioButton;

// The Internet link dialog: the link syntax, an edit box for the link and
// the choice of normal or anonymous login, which follows whether the typed
// text holds an "@" until the user picks one.
class TfrmURL : public QDialog {
    Q_OBJECT
public:
    explicit TfrmURL(QWidget* parent = nullptr);

    QLineEdit* edURL = nullptr;
    QRadioButton* rbnNormalLogin = nullptr;
    QRadioButton* rbnAnonymousLogin = nullptr;

    // Places the dialog before it is shown; the main window centres it.
    std::function<void(QWidget& form)> CenterForm;
    // F1 shows the link syntax in the help.
    std::function<void()> ShowSyntaxHelp;

    // Shows the dialog emptied; on OK link and normalLogin hold the choice.
    bool AskForLink(QString& link, bool& normalLogin);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void edURLChange(const QString& text);
};
