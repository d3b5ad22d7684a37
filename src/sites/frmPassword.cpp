#include "sites/frmPassword.h"

#include "platform/MessageBoxes.h"
#include "sites/FormParts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

TfrmPassword::TfrmPassword(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPassword"));
    setWindowTitle(QStringLiteral("User identification"));
    QLabel* intro =
        NewNote(QStringLiteral("lblIntro"), QStringLiteral("Please give the username and password to"), this);
    intro->setWordWrap(false);
    lblServerName = NewNote(QStringLiteral("lblServerName"), QString(), this, Maroon);
    lblServerName->setAlignment(Qt::AlignHCenter);
    lblServerName->setTextFormat(Qt::PlainText);  // a site name is never markup
    edUserName = NewEdit(QStringLiteral("edUserName"), 0, this);
    edPassword = NewPasswordEdit(QStringLiteral("edPassword"), 0, this);
    QDialogButtonBox* buttons = NewOkCancel(this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(intro, 0, 0, 1, 2);
    grid->addWidget(lblServerName, 1, 0, 1, 2);
    grid->addWidget(NewLabel(QStringLiteral("lblUserName"), QStringLiteral("&Username:"), edUserName, this),
                    2, 0);
    grid->addWidget(edUserName, 2, 1);
    grid->addWidget(NewLabel(QStringLiteral("lblPassword"), QStringLiteral("&Password:"), edPassword, this),
                    3, 0);
    grid->addWidget(edPassword, 3, 1);
    grid->addWidget(buttons, 4, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

bool TfrmPassword::AskLogin(TSiteSettings& site)
{
    lblServerName->setText(QStringLiteral("%1 (%2)").arg(site.SiteName, site.Address));
    edUserName->setText(site.UserName);
    edPassword->clear();
    if (CenterForm) CenterForm(*this);
    if (ExecModal(*this) != QDialog::Accepted) return false;
    site.UserName = edUserName->text();
    site.Password = edPassword->text();
    return true;
}

void TfrmPassword::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    (edUserName->text().isEmpty() ? edUserName : edPassword)->setFocus();
}
