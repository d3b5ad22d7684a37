#pragma once
#include "sites/SiteSettings.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;

// The login prompt for a site that does not store its user name or password.
class TfrmPassword : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPassword(QWidget* parent = nullptr);

    // Asks for the site's user name (prefilled) and password (always empty at
    // first); true on OK, and then the site holds both as typed.
    bool AskLogin(TSiteSettings& site);

    // Places the prompt over the main window before it shows; unset, Qt places it.
    std::function<void(QWidget& form)> CenterForm;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* lblServerName;
    QLineEdit* edUserName;
    QLineEdit* edPassword;
};
