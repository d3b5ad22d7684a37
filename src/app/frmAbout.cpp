#include "app/frmAbout.h"

#include "app/ActionIcons.h"
#include "app/StatusLog.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace {

const char* const EmailAddress = "quilloftp@example.org";
const char* const WebAddress = "http://www.example.org/quilloftp/";

QString ProgramDescription()
{
    return ProgramVersionLine() +
           QStringLiteral(
               "\n\n"
               "QuilloFTP is free: you may use it and give copies of it to anyone, free of charge, "
               "as long as the program is passed on whole and unchanged. The help tells more.\n"
               "\n"
               "The busy animation is drawn by QuilloFTP itself, frame by frame.");
}

}  // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    OpenUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    imgProgramIcon = new QLabel(this);
    imgProgramIcon->setObjectName(QStringLiteral("imgProgramIcon"));
    imgProgramIcon->setPixmap(ProgramIcon().pixmap(48, 48));
    imgProgramIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    memProgramDescription = new QPlainTextEdit(ProgramDescription(), this);
    memProgramDescription->setObjectName(QStringLiteral("memProgramDescription"));
    memProgramDescription->setReadOnly(true);
    memProgramDescription->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memProgramDescription->setFixedSize(340, 150);

    lblEmail = NewLinkLabel("lblEmail", QLatin1String(EmailAddress));
    lblWebAddress = NewLinkLabel("lblWebAddress", QLatin1String(WebAddress));

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);  // Esc rejects: hidden too
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, [this] {
        if (ShowHelp) ShowHelp(HelpContext);
    });

    auto* grid = new QGridLayout(this);
    grid->addWidget(imgProgramIcon, 0, 0, 3, 1);
    grid->addWidget(memProgramDescription, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("E-mail:"), this), 1, 1);
    grid->addWidget(lblEmail, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Web:"), this), 2, 1);
    grid->addWidget(lblWebAddress, 2, 2);
    grid->addWidget(btnOK, 3, 0, 1, 3, Qt::AlignHCenter);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

QLabel* TfrmAbout::NewLinkLabel(const char* name, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
    return label;
}

void TfrmAbout::ShowAbout()
{
    if (CenterForm) CenterForm(this);
    show();
    raise();
    activateWindow();
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    const bool leftRelease = event->type() == QEvent::MouseButtonRelease &&
                             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (leftRelease && watched == lblEmail) {
        OpenUrl(QUrl(QStringLiteral("mailto:") + lblEmail->text()));
        return true;
    }
    if (leftRelease && watched == lblWebAddress) {
        OpenUrl(QUrl::fromUserInput(lblWebAddress->text()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
