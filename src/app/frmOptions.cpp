#include "app/frmOptions.h"

#include "settings/Settings.h"
#include "sites/FormParts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int HelpContext = 15;
constexpr int PortLength = 5;
constexpr int CountLength = 3;    // retries and delay
constexpr int SecondsLength = 4;  // the keep-alive's

QWidget* NewPage(const QString& name, int helpContext)
{
    auto* page = new QWidget;
    page->setObjectName(name);
    page->setProperty("HelpContext", helpContext);
    return page;
}

QPushButton* NewButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// Ctrl+Tab and Ctrl+Page Down turn to the next page wherever the focus is,
// not only inside the pages: the dialog opens with the focus on its buttons.
void AddPageTurningKeys(QTabWidget* pages)
{
    const auto turn = [pages](int step) {
        const int count = pages->count();
        pages->setCurrentIndex((pages->currentIndex() + step + count) % count);
    };
    const struct {
        QKeyCombination Keys;
        int Step;
    } keys[] = {{Qt::CTRL | Qt::Key_Tab, 1},
                {Qt::CTRL | Qt::Key_PageDown, 1},
                {Qt::CTRL | Qt::Key_Backtab, -1},
                {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1},
                {Qt::CTRL | Qt::Key_PageUp, -1}};
    for (const auto& key : keys)
        QObject::connect(new QShortcut(QKeySequence(key.Keys), pages->window()), &QShortcut::activated, pages,
                         [turn, step = key.Step] { turn(step); });
}

}  // namespace

std::optional<qint32> ParseInteger(const QString& text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    if (i == text.size()) return std::nullopt;
    for (qsizetype k = i; k < text.size(); ++k)
        if (text[k] < u'0' || text[k] > u'9') return std::nullopt;
    bool ok = false;
    const qint32 value = text.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

qint32 IntDef(const QString& text, qint32 fallback)
{
    return ParseInteger(text).value_or(fallback);
}

TfrmOptions::TfrmOptions(TSettings& settings, TOptionsHost host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), Settings(settings), Host(std::move(host))
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Settings"));
    setProperty("HelpContext", HelpContext);
    setModal(false);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pgcOptions"));
    pages->addTab(BuildGeneralPage(), QStringLiteral("General"));
    pages->addTab(BuildConnectingPage(), QStringLiteral("Connecting"));
    pages->addTab(BuildTransferPage(), QStringLiteral("File transfer"));
    pages->addTab(BuildTextFilesPage(), QStringLiteral("Text files"));
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, [this, pages] {
        if (Host.ShowHelp) Host.ShowHelp(pages->currentWidget()->property("HelpContext").toInt());
    });
    AddPageTurningKeys(pages);

    btnOK = NewButton(QStringLiteral("btnOK"), QStringLiteral("OK"), this);
    btnOK->setAutoDefault(true);
    btnOK->setDefault(true);
    btnCancel = NewButton(QStringLiteral("btnCancel"), QStringLiteral("Cancel"), this);
    btnApply = NewButton(QStringLiteral("btnApply"), QStringLiteral("Apply"), this);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnApply, &QPushButton::clicked, this, [this] { btnApplyClick(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnApply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);

    LoadDialog();  // FormCreate
}

QCheckBox* TfrmOptions::NewCheck(const QString& name, const QString& caption)
{
    auto* check = new QCheckBox(caption);
    check->setObjectName(name);
    connect(check, &QCheckBox::toggled, this, [this] { SettingItemChange(); });
    return check;
}

QLineEdit* TfrmOptions::NewNumberEdit(const QString& name, int maxLength)
{
    QLineEdit* edit = NewEdit(name, maxLength, nullptr);
    // Room for the longest number and the frame, not the width of the page.
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QString(maxLength + 3, QLatin1Char('0'))) +
                          8);
    connect(edit, &QLineEdit::textChanged, this, [this, edit] { edIntSettingChange(edit); });
    return edit;
}

QWidget* TfrmOptions::BuildGeneralPage()
{
    QWidget* page = NewPage(QStringLiteral("tsGeneral"), 16);
    chkOpenSitelist = NewCheck(QStringLiteral("chkOpenSitelist"),
                               QStringLiteral("&Open the site list when QuilloFTP is started"));
    chkShowToolTips = NewCheck(QStringLiteral("chkShowToolTips"), QStringLiteral("&Show tool tips"));
    chkHideSiteList = NewCheck(QStringLiteral("chkHideSiteList"),
                               QStringLiteral("&Hide the site list automatically when connecting to a site"));
    edEmailAddress = NewEdit(QStringLiteral("edEmailAddress"), 75, page);
    connect(edEmailAddress, &QLineEdit::textChanged, this, [this] { SettingItemChange(); });
    btnClearRecentMenu =
        NewButton(QStringLiteral("btnClearRecentMenu"), QStringLiteral("&Clear site history"), page);
    btnResetFormSizes =
        NewButton(QStringLiteral("btnResetFormSizes"), QStringLiteral("&Restore default window sizes"), page);
    connect(btnClearRecentMenu, &QPushButton::clicked, this, [this] { btnClearRecentMenuClick(); });
    connect(btnResetFormSizes, &QPushButton::clicked, this, [this] { btnResetFormSizesClick(); });

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(chkOpenSitelist);
    layout->addWidget(chkShowToolTips);
    layout->addWidget(chkHideSiteList);
    layout->addSpacing(8);
    layout->addWidget(NewLabel(QStringLiteral("lblEmailAddress"), QStringLiteral("Your &email-address:"),
                               edEmailAddress, page));
    layout->addWidget(edEmailAddress);
    layout->addWidget(
        NewNote(QStringLiteral("lblEmailNote"),
                QStringLiteral("Email-address is used as password when logging in anonymously."), page));
    auto* actions = new QGridLayout;
    actions->addWidget(btnClearRecentMenu, 0, 0);
    actions->addWidget(NewNote(QStringLiteral("lblClearRecentNote"),
                               QStringLiteral("Clears the list of recently visited sites."), page),
                       0, 1);
    actions->addWidget(btnResetFormSizes, 1, 0);
    actions->addWidget(
        NewNote(QStringLiteral("lblResetSizesNote"),
                QStringLiteral("Restores the main window and the site list to their default sizes."), page),
        1, 1);
    actions->setColumnStretch(1, 1);
    layout->addLayout(actions);
    layout->addStretch();
    return page;
}

QWidget* TfrmOptions::BuildConnectingPage()
{
    QWidget* page = NewPage(QStringLiteral("tsConnecting"), 17);
    edPort = NewNumberEdit(QStringLiteral("edPort"), PortLength);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(NewLabel(QStringLiteral("lblPort"), QStringLiteral("&Port:"), edPort, page));
    portRow->addWidget(edPort);
    portRow->addWidget(
        NewNote(QStringLiteral("lblPortNote"), QStringLiteral("FTP-connections use normally port 21"), page),
        1);

    grpProxy = new QGroupBox(QStringLiteral("Pro&xy:"), page);
    grpProxy->setObjectName(QStringLiteral("grpProxy"));
    chkUseProxy = new QCheckBox(QStringLiteral("&Use proxy"), grpProxy);
    chkUseProxy->setObjectName(QStringLiteral("chkUseProxy"));
    connect(chkUseProxy, &QCheckBox::toggled, this, [this] { chkUseProxyClick(); });
    edProxyAddress = NewEdit(QStringLiteral("edProxyAddress"), 0, grpProxy);
    connect(edProxyAddress, &QLineEdit::textChanged, this, [this] { SettingItemChange(); });
    lblProxyAddress = NewLabel(QStringLiteral("lblProxyAddress"), QStringLiteral("Proxy &address:"),
                               edProxyAddress, grpProxy);
    lblProxySemicolon = NewLabel(QStringLiteral("lblProxySemicolon"), QStringLiteral(":"), nullptr, grpProxy);
    edProxyPort = NewNumberEdit(QStringLiteral("edProxyPort"), PortLength);
    lblProxyPort = NewLabel(QStringLiteral("lblProxyPort"), QStringLiteral("Po&rt:"), edProxyPort, grpProxy);
    auto* proxy = new QGridLayout(grpProxy);
    proxy->addWidget(chkUseProxy, 0, 0, 1, 3);
    proxy->addWidget(lblProxyAddress, 1, 0);
    proxy->addWidget(lblProxyPort, 1, 2);
    proxy->addWidget(edProxyAddress, 2, 0);
    proxy->addWidget(lblProxySemicolon, 2, 1);
    proxy->addWidget(edProxyPort, 2, 2);
    proxy->setColumnStretch(0, 1);

    auto* failed = new QGroupBox(QStringLiteral("&If connection cannot be established:"), page);
    failed->setObjectName(QStringLiteral("grpConnectionFailed"));
    edRetries = NewNumberEdit(QStringLiteral("edRetries"), CountLength);
    edDelay = NewNumberEdit(QStringLiteral("edDelay"), CountLength);
    auto* retries = new QGridLayout(failed);
    retries->addWidget(
        NewLabel(QStringLiteral("lblRetries"), QStringLiteral("&Try to reconnect"), edRetries, failed), 0, 0);
    retries->addWidget(edRetries, 0, 1);
    retries->addWidget(new QLabel(QStringLiteral("times"), failed), 0, 2);
    retries->addWidget(NewLabel(QStringLiteral("lblDelayBetweenConnections"),
                                QStringLiteral("&Delay between retries:"), edDelay, failed),
                       1, 0);
    retries->addWidget(edDelay, 1, 1);
    retries->addWidget(new QLabel(QStringLiteral("seconds"), failed), 1, 2);
    retries->setColumnStretch(3, 1);

    btnRestoreConnectionDefaults =
        NewButton(QStringLiteral("btnRestoreConnectionDefaults"), QStringLiteral("&Restore defaults"), page);
    connect(btnRestoreConnectionDefaults, &QPushButton::clicked, this,
            [this] { btnRestoreConnectionDefaultsClick(); });

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(portRow);
    layout->addWidget(grpProxy);
    layout->addWidget(failed);
    layout->addWidget(BuildDataConnectionGroup(page));
    layout->addWidget(btnRestoreConnectionDefaults, 0, Qt::AlignLeft);
    layout->addStretch();
    return page;
}

QGroupBox* TfrmOptions::BuildDataConnectionGroup(QWidget* page)
{
    grpDataConnection = new QGroupBox(QStringLiteral("Data connection:"), page);
    grpDataConnection->setObjectName(QStringLiteral("grpDataConnection"));
    rbnPassive = new QRadioButton(QStringLiteral("Pa&ssive"), grpDataConnection);
    rbnPassive->setObjectName(QStringLiteral("rbnPassive"));
    rbnActive = new QRadioButton(QStringLiteral("A&ctive"), grpDataConnection);
    rbnActive->setObjectName(QStringLiteral("rbnActive"));
    connect(rbnPassive, &QRadioButton::toggled, this, [this] { SettingItemChange(); });
    chkKeepAlive = new QCheckBox(QStringLiteral("Send a &keep-alive command when idle"), grpDataConnection);
    chkKeepAlive->setObjectName(QStringLiteral("chkKeepAlive"));
    connect(chkKeepAlive, &QCheckBox::toggled, this, [this] { chkKeepAliveClick(); });
    edKeepAliveSeconds = NewNumberEdit(QStringLiteral("edKeepAliveSeconds"), SecondsLength);

    auto* modes = new QHBoxLayout;
    modes->addWidget(rbnPassive);
    modes->addWidget(rbnActive);
    modes->addStretch();
    auto* seconds = new QHBoxLayout;
    seconds->addSpacing(20);
    seconds->addWidget(NewLabel(QStringLiteral("lblKeepAliveSeconds"), QStringLiteral("A&fter"),
                                edKeepAliveSeconds, grpDataConnection));
    seconds->addWidget(edKeepAliveSeconds);
    seconds->addWidget(new QLabel(QStringLiteral("seconds without a command"), grpDataConnection));
    seconds->addStretch();
    auto* layout = new QVBoxLayout(grpDataConnection);
    layout->addLayout(modes);
    layout->addWidget(NewNote(QStringLiteral("lblDataConnectionNote"),
                              QStringLiteral("Passive works behind most firewalls and routers. In active "
                                             "mode the site connects back to this computer."),
                              grpDataConnection));
    layout->addWidget(chkKeepAlive);
    layout->addLayout(seconds);
    return grpDataConnection;
}

QWidget* TfrmOptions::BuildTransferPage()
{
    QWidget* page = NewPage(QStringLiteral("tsFileTransfer"), 18);
    chkContinueTransfer = NewCheck(QStringLiteral("chkContinueTransfer"),
                                   QStringLiteral("&Propose to resume interrupted file transfers"));
    chkConfirmOverwrite =
        NewCheck(QStringLiteral("chkConfirmOverwrite"), QStringLiteral("&Overwrite confirmation"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(chkContinueTransfer);
    layout->addWidget(
        NewNote(QStringLiteral("lblResumeNote"),
                QStringLiteral("An interrupted file transfer can be resumed from the breaking point "
                               "if the transferred part has been saved."),
                page));
    layout->addWidget(
        NewNote(QStringLiteral("lblResumeWarning"),
                QStringLiteral("QuilloFTP cannot detect an interrupted transfer if the file dates "
                               "are not available in the right form on the site."),
                page, Maroon));
    layout->addWidget(
        NewNote(QStringLiteral("lblResumeManually"),
                QStringLiteral("Interrupted transfers can also be resumed manually. Just drag the "
                               "file to be transferred over the partial file and QuilloFTP proposes "
                               "to resume the transfer."),
                page, Navy));
    layout->addSpacing(8);
    layout->addWidget(chkConfirmOverwrite);
    layout->addWidget(
        NewNote(QStringLiteral("lblOverwriteNote"),
                QStringLiteral("If a file is about to be replaced with an another file during a file "
                               "transfer then the replacement can be confirmed from the user."),
                page));
    layout->addStretch();
    return page;
}

QWidget* TfrmOptions::BuildTextFilesPage()
{
    QWidget* page = NewPage(QStringLiteral("tsTextFiles"), 19);
    lstTextExtensions = new QListWidget(page);
    lstTextExtensions->setObjectName(QStringLiteral("lstTextExtensions"));
    lstTextExtensions->setSortingEnabled(true);
    lstTextExtensions->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstTextExtensions->installEventFilter(this);
    btnAddNew = NewButton(QStringLiteral("btnAddNew"), QStringLiteral("&Add new"), page);
    btnAddNew->setToolTip(QStringLiteral("Adds a new extension to the list"));
    btnDeleteSelected =
        NewButton(QStringLiteral("btnDeleteSelected"), QStringLiteral("&Remove selected"), page);
    btnDeleteSelected->setToolTip(QStringLiteral("Removes selected extensions from the list"));
    btnAddCommon = NewButton(QStringLiteral("btnAddCommon"), QStringLiteral("Add &most common"), page);
    btnAddCommon->setToolTip(QStringLiteral("Adds the most common text-file extensions to the list"));
    connect(btnAddNew, &QPushButton::clicked, this, [this] { btnAddNewClick(); });
    connect(btnDeleteSelected, &QPushButton::clicked, this, [this] { btnDeleteSelectedClick(); });
    connect(btnAddCommon, &QPushButton::clicked, this, [this] { btnAddCommonClick(); });

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnAddNew);
    buttons->addWidget(btnDeleteSelected);
    buttons->addWidget(btnAddCommon);
    buttons->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(lstTextExtensions, 1);
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(NewLabel(QStringLiteral("lblTextExtensions"),
                               QStringLiteral("File extensions of the files to be transferred in text-mode:"),
                               lstTextExtensions, page));
    layout->addLayout(row);
    layout->addWidget(
        NewNote(QStringLiteral("lblPeriodNote"),
                QStringLiteral("A period is added to the extensions automatically. Any file with "
                               "one of these extensions is transferred in text-mode when automatic "
                               "transfer mode is on."),
                page));
    layout->addWidget(
        NewNote(QStringLiteral("lblLineFeedNote"),
                QStringLiteral("When files are transferred in text-mode, the line feeds in text "
                               "files are automatically changed to correct form."),
                page, Navy));
    return page;
}
