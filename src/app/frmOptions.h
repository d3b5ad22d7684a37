#pragma once
#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class TSettings;

// A whole decimal number with an optional sign and nothing around it; empty
// when the text is not one or does not fit 32 bits.
std::optional<qint32> ParseInteger(const QString& text);
// ParseInteger's value, or fallback when the text is not a number.
qint32 IntDef(const QString& text, qint32 fallback);

// What the options dialog asks of the main window for its immediate actions.
struct TOptionsHost {
    std::function<void()> ClearSiteHistory;     // empties the recent-sites menu
    std::function<void()> ResetFormSizes;       // main window and site list
    std::function<void(int context)> ShowHelp;  // F1: the help of the page shown
};

// The settings dialog: four pages that edit the settings record, with OK,
// Cancel and Apply. "Apply" is enabled exactly while there are unsaved edits;
// hiding the dialog never keeps them (OK saves them, Cancel and the frame's
// close button throw them away). Three buttons act at once, whatever Apply.
class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    TfrmOptions(TSettings& settings, TOptionsHost host, QWidget* parent = nullptr);

    // Controls, named as designed.
    QCheckBox* chkOpenSitelist;
    QCheckBox* chkShowToolTips;
    QCheckBox* chkHideSiteList;
    QLineEdit* edEmailAddress;
    QPushButton* btnClearRecentMenu;
    QPushButton* btnResetFormSizes;
    QLineEdit* edPort;
    QGroupBox* grpProxy;
    QCheckBox* chkUseProxy;
    QLabel* lblProxyAddress;
    QLineEdit* edProxyAddress;
    QLabel* lblProxySemicolon;
    QLabel* lblProxyPort;
    QLineEdit* edProxyPort;
    QLineEdit* edRetries;
    QLineEdit* edDelay;
    QPushButton* btnRestoreConnectionDefaults;
    QGroupBox* grpDataConnection;
    QRadioButton* rbnPassive;
    QRadioButton* rbnActive;
    QCheckBox* chkKeepAlive;
    QLineEdit* edKeepAliveSeconds;
    QCheckBox* chkContinueTransfer;
    QCheckBox* chkConfirmOverwrite;
    QListWidget* lstTextExtensions;
    QPushButton* btnAddNew;
    QPushButton* btnDeleteSelected;
    QPushButton* btnAddCommon;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnApply;

    void btnOKClick();
    void btnApplyClick();
    void btnCancelClick();
    void btnClearRecentMenuClick();
    void btnResetFormSizesClick();
    void btnRestoreConnectionDefaultsClick();
    void btnAddNewClick();
    void btnAddCommonClick();
    void btnDeleteSelectedClick();

    void reject() override;  // Esc and the frame's close button

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildGeneralPage();
    QWidget* BuildConnectingPage();
    QGroupBox* BuildDataConnectionGroup(QWidget* page);
    void chkKeepAliveClick();
    QWidget* BuildTransferPage();
    QWidget* BuildTextFilesPage();
    QLineEdit* NewNumberEdit(const QString& name, int maxLength);
    QCheckBox* NewCheck(const QString& name, const QString& caption);

    void LoadDialog();
    // False, saving nothing, when a number is out of its range (told in a box).
    bool SaveDialog();
    bool CheckNumbers();
    void AfterApply();
    void DiscardChanges();
    void chkUseProxyClick();
    void SettingItemChange();
    void edIntSettingChange(QLineEdit* sender);
    QStringList ListItems() const;

    TSettings& Settings;
    TOptionsHost Host;
};
