#pragma once
#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The About box: program icon, version and notices, and two links (mail and
// web). It is shown without blocking the main window; "OK" or Esc hides it.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 2;

    explicit TfrmAbout(QWidget* parent = nullptr);

    // Centres the box (when CenterForm is set), shows it and brings it forward.
    void ShowAbout();

    // Places the box over the main window before it shows; unset, Qt places it.
    std::function<void(QWidget*)> CenterForm;
    // Hands a clicked link to the desktop; tests put a recorder here.
    std::function<void(const QUrl&)> OpenUrl;
    // F1: shows help context HelpContext when set.
    std::function<void(int context)> ShowHelp;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* NewLinkLabel(const char* name, const QString& text);

    QLabel* imgProgramIcon;
    QPlainTextEdit* memProgramDescription;
    QLabel* lblEmail;
    QLabel* lblWebAddress;
    QPushButton* btnOK;
};
