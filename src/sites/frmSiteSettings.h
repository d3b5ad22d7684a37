#pragma once
#include "sites/SiteSettings.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

// The dialog in which a site is entered or edited. Created once and reused.
class TfrmSiteSettings : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSiteSettings(QWidget* parent = nullptr);

    // Shows the site; true on OK, and then the site holds what was entered.
    // Without the password note the dialog starts with anonymous login.
    bool EditSiteDialog(TSiteSettings& site, const QString& caption, bool showPasswordNote);

    // Places the dialog before it shows; unset, Qt centres it.
    std::function<void(QWidget& form)> CenterForm;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* BuildSiteGroup();
    QGroupBox* BuildLoginGroup();
    QGroupBox* BuildStartupGroup();
    QGroupBox* BuildConnectionGroup();
    void FillControls(const TSiteSettings& site);
    void ReadControls(TSiteSettings& site) const;
    void LoginRbnClick();
    void LimitComments();
    void UpdatePortHint();

    QLineEdit* edSiteName;
    QLineEdit* edSiteAddress;
    QPlainTextEdit* memComments;
    QGroupBox* grpLogin;
    QRadioButton* rbnNormalLogin;
    QRadioButton* rbnAnonymousLogin;
    QLabel* lblUserName;
    QLineEdit* edUserName;
    QLabel* lblPassword;
    QLineEdit* edPassword;
    QLabel* lblNormalLoginExplanation;
    QLabel* lblAnonymousLoginExplanation;
    QLineEdit* edRemoteStartupDir;
    QLineEdit* edLocalStartupDir;
    QLabel* lblAddToSiteListExpl;
    QComboBox* cmbDataConnection;  // in the order of TDataConnection
    QComboBox* cboEncryption;      // in the order of TSiteEncryption
    QLabel* lblImplicitPort;
    QCheckBox* chkForceList;
    bool ShowPasswordNote = false;
    bool FillingComments = false;
};
