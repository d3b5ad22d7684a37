#include "sites/frmSiteSettings.h"

#include "platform/MessageBoxes.h"
#include "sites/FormParts.h"
#include "sites/SiteAddress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int NameLimit = SiteNameLimit;
constexpr int AddressLimit = 100;
constexpr int UserNameLimit = 50;
constexpr int PasswordLimit = 50;
constexpr int CommentsLimit = 5000;  // counting each line break as CR LF
constexpr int DirectoryLimit = 200;
constexpr int LoginGroupWithNote = 199;
constexpr int LoginGroupWithoutNote = 145;
constexpr int HelpContext = 12;

QString SingleLine(const QString& text)
{
    return QString(text).replace(QLatin1String("\r\n"), QLatin1String(" "));
}

// Blanks and control characters go from both ends.
QString TrimAddress(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString CommentsForMemo(const QString& comments)
{
    return QString(comments)
        .replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// The memo's lines, each followed by CR LF; the empty line after a final
// line break is where the cursor waits, not a line.
QString CommentsFromMemo(const QString& memoText)
{
    QStringList lines = memoText.split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) lines.removeLast();
    QString comments;
    for (const QString& line : lines)
        comments += line + QLatin1String("\r\n");
    return comments;
}

QLineEdit* AddRow(QGridLayout* grid, const QString& name, const QString& caption, int limit, QWidget* parent)
{
    QLineEdit* edit = NewEdit(name, limit, parent);
    const int row = grid->rowCount();
    grid->addWidget(NewLabel(QLatin1String("lbl") + name.mid(2), caption, edit, parent), row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

}  // namespace

TfrmSiteSettings::TfrmSiteSettings(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSiteSettings"));
    setProperty("HelpContext", HelpContext);
    QGroupBox* siteGroup = BuildSiteGroup();
    QGroupBox* loginGroup = BuildLoginGroup();
    QGroupBox* startupGroup = BuildStartupGroup();
    QGroupBox* connectionGroup = BuildConnectionGroup();
    lblAddToSiteListExpl =
        NewNote(QStringLiteral("lblAddToSiteListExpl"),
                QStringLiteral("Site can be added to the site list afterwards by choosing \"Add to site "
                               "list\"-menu item in the \"Site\"-menu of the main window"),
                this, Navy);
    QLabel* required =
        NewNote(QStringLiteral("lblAddressRequired"),
                QStringLiteral("Only the site address is required to connect to a site."), this, Maroon);
    QDialogButtonBox* buttons = NewOkCancel(this);

    auto* right = new QVBoxLayout;
    right->addWidget(loginGroup);
    right->addWidget(lblAddToSiteListExpl);
    right->addStretch();
    auto* grid = new QGridLayout(this);
    grid->addWidget(siteGroup, 0, 0);
    grid->addLayout(right, 0, 1, 2, 1);
    grid->addWidget(startupGroup, 1, 0);
    grid->addWidget(connectionGroup, 2, 0);
    grid->addWidget(required, 3, 0);
    grid->addWidget(buttons, 3, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

QGroupBox* TfrmSiteSettings::BuildSiteGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Site data"), this);
    group->setObjectName(QStringLiteral("grpSiteInfo"));
    auto* grid = new QGridLayout(group);
    edSiteName = AddRow(grid, QStringLiteral("edSiteName"), QStringLiteral("&Site name:"), NameLimit, group);
    edSiteAddress =
        AddRow(grid, QStringLiteral("edSiteAddress"), QStringLiteral("Site a&ddress:"), AddressLimit, group);
    // A server on another port than the usual one is reached as "host:port".
    edSiteAddress->setPlaceholderText(QStringLiteral("host or host:port"));
    edSiteAddress->setToolTip(
        QStringLiteral("The site's host name or address; a port may follow "
                       "it after a colon (host:port)"));
    memComments = new QPlainTextEdit(group);
    memComments->setObjectName(QStringLiteral("memComments"));
    memComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memComments->setTabChangesFocus(true);
    connect(memComments, &QPlainTextEdit::textChanged, this, &TfrmSiteSettings::LimitComments);
    const int row = grid->rowCount();
    grid->addWidget(NewLabel(QStringLiteral("lblComments"), QStringLiteral("&Comments:"), memComments, group),
                    row, 0, Qt::AlignTop);
    grid->addWidget(memComments, row, 1);
    return group;
}

QGroupBox* TfrmSiteSettings::BuildLoginGroup()
{
    grpLogin = new QGroupBox(QStringLiteral("Identification"), this);
    grpLogin->setObjectName(QStringLiteral("grpLogin"));
    rbnNormalLogin = new QRadioButton(QStringLiteral("&Normal login"), grpLogin);
    rbnNormalLogin->setObjectName(QStringLiteral("rbnNormalLogin"));
    edUserName = NewEdit(QStringLiteral("edUserName"), UserNameLimit, grpLogin);
    lblUserName = NewLabel(QStringLiteral("lblUserName"), QStringLiteral("&Username:"), edUserName, grpLogin);
    edPassword = NewPasswordEdit(QStringLiteral("edPassword"), PasswordLimit, grpLogin);
    lblPassword = NewLabel(QStringLiteral("lblPassword"), QStringLiteral("&Password:"), edPassword, grpLogin);
    lblNormalLoginExplanation =
        NewNote(QStringLiteral("lblNormalLoginExplanation"),
                QStringLiteral("Passwords will not be encrypted when saved. You don't have to enter the "
                               "password or username here. In this case they will be asked when needed."),
                grpLogin);
    rbnAnonymousLogin = new QRadioButton(QStringLiteral("&Anonymous login"), grpLogin);
    rbnAnonymousLogin->setObjectName(QStringLiteral("rbnAnonymousLogin"));
    lblAnonymousLoginExplanation =
        NewNote(QStringLiteral("lblAnonymousLoginExplanation"),
                QStringLiteral("The email address given in the program settings will be used as password "
                               "when logging in anonymously."),
                grpLogin);
    connect(rbnNormalLogin, &QRadioButton::toggled, this, &TfrmSiteSettings::LoginRbnClick);

    auto* grid = new QGridLayout(grpLogin);
    grid->addWidget(rbnNormalLogin, 0, 0, 1, 2);
    grid->addWidget(lblUserName, 1, 0);
    grid->addWidget(edUserName, 1, 1);
    grid->addWidget(lblPassword, 2, 0);
    grid->addWidget(edPassword, 2, 1);
    grid->addWidget(lblNormalLoginExplanation, 3, 0, 1, 2);
    grid->addWidget(rbnAnonymousLogin, 4, 0, 1, 2);
    grid->addWidget(lblAnonymousLoginExplanation, 5, 0, 1, 2);
    grid->setRowStretch(6, 1);
    return grpLogin;
}

QGroupBox* TfrmSiteSettings::BuildStartupGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Start-up directories"), this);
    group->setObjectName(QStringLiteral("grpStartUpDirectories"));
    auto* grid = new QGridLayout(group);
    edRemoteStartupDir =
        AddRow(grid, QStringLiteral("edRemoteStartupDir"), QStringLiteral("&Remote:"), DirectoryLimit, group);
    edLocalStartupDir =
        AddRow(grid, QStringLiteral("edLocalStartupDir"), QStringLiteral("&Local:"), DirectoryLimit, group);
    grid->addWidget(NewNote(QStringLiteral("lblStartupDirExpl"),
                            QStringLiteral("The start-up directories will be shown automatically "
                                           "when the connection to the site is established."),
                            group),
                    grid->rowCount(), 0, 1, 2);
    return group;
}

QGroupBox* TfrmSiteSettings::BuildConnectionGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Connection"), this);
    group->setObjectName(QStringLiteral("grpConnection"));
    cmbDataConnection = new QComboBox(group);
    cmbDataConnection->setObjectName(QStringLiteral("cmbDataConnection"));
    cmbDataConnection->addItems({QStringLiteral("Default (as in the program settings)"),
                                 QStringLiteral("Passive"), QStringLiteral("Active")});
    cmbDataConnection->setToolTip(
        QStringLiteral("Passive works behind most firewalls and routers; in active mode the site "
                       "connects back to this computer"));
    cboEncryption = new QComboBox(group);
    cboEncryption->setObjectName(QStringLiteral("cboEncryption"));
    cboEncryption->addItems({QStringLiteral("Use explicit FTP over TLS if available"),
                             QStringLiteral("Require explicit FTP over TLS"),
                             QStringLiteral("Require implicit FTP over TLS"),
                             QStringLiteral("Only use plain FTP (insecure)")});
    cboEncryption->setToolTip(
        QStringLiteral("Explicit TLS starts on the usual port and encrypts after \"AUTH TLS\"; implicit "
                       "TLS is encrypted from the first byte. Plain FTP sends the password as it is."));
    // Shown or not, it keeps its room, so the dialog does not jump while
    // the address is typed.
    lblImplicitPort =
        NewNote(QStringLiteral("lblImplicitPort"),
                QStringLiteral("Port 990 is used unless the address names another"), group, Navy);
    QSizePolicy keepRoom = lblImplicitPort->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    lblImplicitPort->setSizePolicy(keepRoom);
    connect(cboEncryption, &QComboBox::currentIndexChanged, this, &TfrmSiteSettings::UpdatePortHint);
    connect(edSiteAddress, &QLineEdit::textChanged, this, &TfrmSiteSettings::UpdatePortHint);
    chkForceList = new QCheckBox(QStringLiteral("Use LIST &instead of MLSD"), group);
    chkForceList->setObjectName(QStringLiteral("chkForceList"));
    chkForceList->setToolTip(
        QStringLiteral("For a site whose machine-readable listings are wrong: the classic listing is "
                       "used instead"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(NewLabel(QStringLiteral("lblDataConnection"), QStringLiteral("Da&ta connection:"),
                             cmbDataConnection, group),
                    0, 0);
    grid->addWidget(cmbDataConnection, 0, 1);
    grid->addWidget(
        NewLabel(QStringLiteral("lblEncryption"), QStringLiteral("&Encryption:"), cboEncryption, group), 1,
        0);
    grid->addWidget(cboEncryption, 1, 1);
    grid->addWidget(lblImplicitPort, 2, 0, 1, 2);
    grid->addWidget(chkForceList, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return group;
}

bool TfrmSiteSettings::EditSiteDialog(TSiteSettings& site, const QString& caption, bool showPasswordNote)
{
    setWindowTitle(caption);
    ShowPasswordNote = showPasswordNote;
    FillControls(site);
    lblNormalLoginExplanation->setVisible(showPasswordNote);
    // With the password note the taller group covers the "Add to site list" note.
    lblAddToSiteListExpl->setVisible(!showPasswordNote);
    grpLogin->setMinimumHeight(showPasswordNote ? LoginGroupWithNote : LoginGroupWithoutNote);
    if (CenterForm) CenterForm(*this);
    if (ExecModal(*this) != QDialog::Accepted) return false;
    ReadControls(site);
    return true;
}

void TfrmSiteSettings::FillControls(const TSiteSettings& site)
{
    SetEditText(edSiteName, site.SiteName, NameLimit);
    SetEditText(edSiteAddress, site.Address, AddressLimit);
    (site.NormalLogin ? rbnNormalLogin : rbnAnonymousLogin)->setChecked(true);
    SetEditText(edUserName, site.UserName, UserNameLimit);
    SetEditText(edPassword, site.Password, PasswordLimit);
    FillingComments = true;
    memComments->setPlainText(CommentsForMemo(site.Comments));
    FillingComments = false;
    SetEditText(edLocalStartupDir, site.LocalStartupDir, DirectoryLimit);
    SetEditText(edRemoteStartupDir, site.RemoteStartupDir, DirectoryLimit);
    cmbDataConnection->setCurrentIndex(site.DataConnection);
    cboEncryption->setCurrentIndex(site.Encryption);
    chkForceList->setChecked(site.ForceList);
    LoginRbnClick();
    UpdatePortHint();
}

void TfrmSiteSettings::ReadControls(TSiteSettings& site) const
{
    site.SiteName = SingleLine(edSiteName->text());
    site.Address = TrimAddress(SingleLine(edSiteAddress->text()));
    site.UserName = SingleLine(edUserName->text());
    site.Password = SingleLine(edPassword->text());
    site.Comments = CommentsFromMemo(memComments->toPlainText());
    site.LocalStartupDir = SingleLine(edLocalStartupDir->text());
    site.RemoteStartupDir = SingleLine(edRemoteStartupDir->text());
    site.NormalLogin = rbnNormalLogin->isChecked();
    site.DataConnection = TDataConnection(cmbDataConnection->currentIndex());
    site.ForceList = chkForceList->isChecked();
    site.Encryption = TSiteEncryption(cboEncryption->currentIndex());
}

void TfrmSiteSettings::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (ShowPasswordNote) {
        edSiteName->selectAll();
        edSiteName->setFocus();
    } else {
        edSiteAddress->setFocus();
        rbnAnonymousLogin->setChecked(true);
    }
}

void TfrmSiteSettings::LoginRbnClick()
{
    const bool normal = rbnNormalLogin->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(lblUserName), static_cast<QWidget*>(edUserName),
                             static_cast<QWidget*>(lblPassword), static_cast<QWidget*>(edPassword),
                             static_cast<QWidget*>(lblNormalLoginExplanation)})
        control->setEnabled(normal);
    lblAnonymousLoginExplanation->setEnabled(!normal);
    if (normal && isVisible()) edUserName->setFocus();
}

// A plain-text edit has no length limit of its own: what goes beyond the
// limit is taken off just before the cursor, where it was typed or pasted.
void TfrmSiteSettings::LimitComments()
{
    if (FillingComments) return;
    const QString text = memComments->toPlainText();
    qsizetype excess = text.size() + text.count(QLatin1Char('\n')) - CommentsLimit;
    if (excess <= 0) return;
    QTextCursor cursor = memComments->textCursor();
    const QString before = text.left(cursor.position());
    qsizetype remove = 0;
    while (excess > 0 && remove < before.size()) {
        excess -= before.at(before.size() - 1 - remove) == QLatin1Char('\n') ? 2 : 1;
        ++remove;
    }
    cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor, int(remove));
    cursor.removeSelectedText();
}

void TfrmSiteSettings::UpdatePortHint()
{
    const bool implicit = cboEncryption->currentIndex() == enImplicit;
    lblImplicitPort->setVisible(implicit && SplitSiteAddress(TrimAddress(edSiteAddress->text())).Port == 0);
}
