// The options dialog's behaviour: loading and saving the settings record,
// Apply as the mark of unsaved edits, and the immediate actions.
#include "app/frmOptions.h"

#include "platform/MessageBoxes.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr qint32 HighestPort = 65535;

void SetBit(QCheckBox* check, quint8 flags, quint8 bit)
{
    check->setChecked((flags & bit) != 0);
}

quint8 BitOf(const QCheckBox* check, quint8 bit)
{
    return check->isChecked() ? bit : 0;
}

}  // namespace

void TfrmOptions::LoadDialog()
{
    lstTextExtensions->clear();
    lstTextExtensions->addItems(Settings.TextExtensions);
    SetBit(chkOpenSitelist, Settings.GeneralFlags, gfOpenSiteList);
    SetBit(chkHideSiteList, Settings.GeneralFlags, gfHideSiteList);
    SetBit(chkShowToolTips, Settings.GeneralFlags, gfShowToolTips);
    SetBit(chkContinueTransfer, Settings.TransferFlags, tfProposeResume);
    SetBit(chkConfirmOverwrite, Settings.TransferFlags, tfConfirmOverwrite);
    const TConnectionSettings& connection = Settings.ConnectionSettings;
    edRetries->setText(QString::number(connection.Retries));
    edDelay->setText(QString::number(connection.RetryDelay));
    edPort->setText(QString::number(connection.DefaultPort));
    edProxyPort->setText(QString::number(connection.ProxyPort));
    chkUseProxy->setChecked(connection.UseProxy);
    chkUseProxyClick();  // toggled does not fire when the state stays
    edProxyAddress->setText(connection.ProxyAddress);
    edEmailAddress->setText(connection.EmailAddress);
    (Settings.PassiveMode ? rbnPassive : rbnActive)->setChecked(true);
    edKeepAliveSeconds->setText(QString::number(Settings.KeepAliveSeconds));
    chkKeepAlive->setChecked(Settings.KeepAlive);
    chkKeepAliveClick();
    AfterApply();
}

void TfrmOptions::AfterApply()
{
    Settings.ApplyToolTips();
    btnApply->setEnabled(false);
}

// IntDef would store 70000 or -5 as they are: a port outside 1-65535 cannot
// be connected to, and a negative delay or count makes no sense to the
// retry loop. A proxy port of 0 means "none" while no proxy is used.
bool TfrmOptions::CheckNumbers()
{
    const auto refuse = [](QLineEdit* edit, const QString& text) {
        ShowMessageBox(text, true);
        edit->setFocus();
        edit->selectAll();
        return false;
    };
    const qint32 port = IntDef(edPort->text(), 21);
    if (port < 1 || port > HighestPort)
        return refuse(edPort, QStringLiteral("The port must be a number from 1 to 65535."));
    const qint32 proxyPort = IntDef(edProxyPort->text(), 0);
    const qint32 lowestProxyPort = chkUseProxy->isChecked() ? 1 : 0;
    if (proxyPort < lowestProxyPort || proxyPort > HighestPort)
        return refuse(edProxyPort, QStringLiteral("The proxy port must be a number from 1 to 65535."));
    if (IntDef(edRetries->text(), 0) < 0)
        return refuse(edRetries, QStringLiteral("The number of reconnection attempts cannot be negative."));
    if (IntDef(edDelay->text(), 20) < 0)
        return refuse(edDelay, QStringLiteral("The delay between retries cannot be negative."));
    // Unused, the seconds are not stored, so they need not be valid either.
    const qint32 seconds = IntDef(edKeepAliveSeconds->text(), DefaultKeepAliveSeconds);
    if (chkKeepAlive->isChecked() && (seconds < MinKeepAliveSeconds || seconds > MaxKeepAliveSeconds))
        return refuse(edKeepAliveSeconds,
                      QStringLiteral("The keep-alive interval must be a number of seconds from %1 to %2.")
                          .arg(MinKeepAliveSeconds)
                          .arg(MaxKeepAliveSeconds));
    return true;
}

bool TfrmOptions::SaveDialog()
{
    if (!CheckNumbers()) return false;
    Settings.TextExtensions = ListItems();
    Settings.GeneralFlags = BitOf(chkOpenSitelist, gfOpenSiteList) | BitOf(chkHideSiteList, gfHideSiteList) |
                            BitOf(chkShowToolTips, gfShowToolTips);
    Settings.TransferFlags =
        BitOf(chkContinueTransfer, tfProposeResume) | BitOf(chkConfirmOverwrite, tfConfirmOverwrite);
    TConnectionSettings& connection = Settings.ConnectionSettings;
    connection.Retries = IntDef(edRetries->text(), 0);
    connection.RetryDelay = IntDef(edDelay->text(), 20);
    connection.DefaultPort = IntDef(edPort->text(), 21);
    connection.ProxyPort = IntDef(edProxyPort->text(), 0);
    connection.UseProxy = chkUseProxy->isChecked();
    connection.ProxyAddress = edProxyAddress->text().left(ShortTextLimit);
    if (!edEmailAddress->text().isEmpty()) {
        connection.EmailAddress = edEmailAddress->text().left(ShortTextLimit);
    } else {
        connection.EmailAddress = QString::fromLatin1(DefaultEmailAddress);
        edEmailAddress->setText(connection.EmailAddress);
    }
    Settings.PassiveMode = rbnPassive->isChecked();
    Settings.KeepAlive = chkKeepAlive->isChecked();
    if (Settings.KeepAlive)
        Settings.KeepAliveSeconds = IntDef(edKeepAliveSeconds->text(), DefaultKeepAliveSeconds);
    Settings.SaveTextExtensions();
    Settings.SaveGeneral();
    Settings.SaveTransfer();
    Settings.SaveConnection();
    AfterApply();
    return true;
}

void TfrmOptions::DiscardChanges()
{
    if (btnApply->isEnabled()) LoadDialog();
}

QStringList TfrmOptions::ListItems() const
{
    QStringList items;
    for (int i = 0; i < lstTextExtensions->count(); ++i)
        items << lstTextExtensions->item(i)->text();
    return items;
}

void TfrmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    btnClearRecentMenu->setEnabled(!Settings.RecentSites.isEmpty());
    btnOK->setFocus();
}

void TfrmOptions::btnOKClick()
{
    if (btnApply->isEnabled() && !SaveDialog()) return;
    hide();
}

void TfrmOptions::btnApplyClick()
{
    SaveDialog();
}

void TfrmOptions::btnCancelClick()
{
    DiscardChanges();
    hide();
}

void TfrmOptions::reject()
{
    btnCancelClick();
}

void TfrmOptions::btnClearRecentMenuClick()
{
    if (Host.ClearSiteHistory) Host.ClearSiteHistory();
    Settings.RecentSites.clear();  // the menu did so already when there is one
    Settings.SaveRecentSites();
    btnClearRecentMenu->setEnabled(false);
}

void TfrmOptions::btnResetFormSizesClick()
{
    if (Host.ResetFormSizes) Host.ResetFormSizes();
    raise();
    activateWindow();
}

void TfrmOptions::btnRestoreConnectionDefaultsClick()
{
    const TConnectionSettings defaults;
    edRetries->setText(QString::number(defaults.Retries));
    edDelay->setText(QString::number(defaults.RetryDelay));
    edPort->setText(QString::number(defaults.DefaultPort));
    edProxyPort->setText(QString::number(defaults.ProxyPort));
    chkUseProxy->setChecked(false);
    edProxyAddress->clear();
    rbnPassive->setChecked(true);
    edKeepAliveSeconds->setText(QString::number(DefaultKeepAliveSeconds));
    chkKeepAlive->setChecked(true);
    btnApply->setEnabled(true);  // also when every field held its default
}

void TfrmOptions::btnAddNewClick()
{
    QString extension;
    if (!InputQuery(QStringLiteral("Enter the new file extension (for example txt, html):"), extension))
        return;
    if (!extension.isEmpty() && !ListItems().contains(extension, Qt::CaseInsensitive))
        lstTextExtensions->addItem(extension);
    btnApply->setEnabled(true);
}

void TfrmOptions::btnAddCommonClick()
{
    const QStringList remembered = ListItems();
    QStringList items = DefaultTextExtensions();
    for (const QString& item : remembered)
        if (!items.contains(item, Qt::CaseInsensitive)) items << item;
    lstTextExtensions->clear();
    lstTextExtensions->addItems(items);
    btnApply->setEnabled(true);
}

void TfrmOptions::btnDeleteSelectedClick()
{
    for (int i = lstTextExtensions->count() - 1; i >= 0; --i)
        if (lstTextExtensions->item(i)->isSelected()) delete lstTextExtensions->takeItem(i);
    btnApply->setEnabled(true);
}

bool TfrmOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstTextExtensions && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Insert) {
            btnAddNewClick();
            return true;
        }
        if (key == Qt::Key_Delete) {
            btnDeleteSelectedClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmOptions::chkUseProxyClick()
{
    const bool used = chkUseProxy->isChecked();
    for (QWidget* part : {static_cast<QWidget*>(lblProxyAddress), static_cast<QWidget*>(edProxyAddress),
                          static_cast<QWidget*>(lblProxySemicolon), static_cast<QWidget*>(lblProxyPort),
                          static_cast<QWidget*>(edProxyPort)})
        part->setEnabled(used);
    btnApply->setEnabled(true);
}

void TfrmOptions::chkKeepAliveClick()
{
    edKeepAliveSeconds->setEnabled(chkKeepAlive->isChecked());
    btnApply->setEnabled(true);
}

void TfrmOptions::SettingItemChange()
{
    btnApply->setEnabled(true);
}

// Fires keystroke by keystroke; a text that is no number goes back to the
// stored value, not to the text before the keystroke.
void TfrmOptions::edIntSettingChange(QLineEdit* sender)
{
    if (!ParseInteger(sender->text())) {
        ShowMessageBox(QStringLiteral("\"%1\" is not a vaild integer value").arg(sender->text()), true);
        const TConnectionSettings& connection = Settings.ConnectionSettings;
        qint32 stored = 0;
        if (sender == edRetries) stored = connection.Retries;
        if (sender == edDelay) stored = connection.RetryDelay;
        if (sender == edPort) stored = connection.DefaultPort;
        if (sender == edProxyPort) stored = connection.ProxyPort;
        if (sender == edKeepAliveSeconds) stored = Settings.KeepAliveSeconds;
        sender->setText(QString::number(stored));
    }
    btnApply->setEnabled(true);
}
