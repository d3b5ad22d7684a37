#include "app/frmChmod.h"

#include "platform/MessageBoxes.h"
#include "sites/FormParts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const char* const Columns[] = {"User (u)", "Group (g)", "Other (o)"};
const char* const Rows[] = {"Read (r)", "Write (w)", "Execute (x)"};

QLineEdit* NewReadOnlyEdit(const QString& name, QWidget* parent)
{
    QLineEdit* edit = NewEdit(name, 0, parent);
    edit->setReadOnly(true);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return edit;
}

}  // namespace

TfrmChmod::TfrmChmod(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmChmod"));
    setWindowTitle(QStringLiteral("File access permissions"));
    edAsOctal = NewReadOnlyEdit(QStringLiteral("edAsOctal"), this);
    edAsString = NewReadOnlyEdit(QStringLiteral("edAsString"), this);
    auto* values = new QFormLayout;
    values->addRow(
        NewLabel(QStringLiteral("lblAsOctal"), QStringLiteral("Permissions as octal:"), edAsOctal, this),
        edAsOctal);
    values->addRow(
        NewLabel(QStringLiteral("lblAsString"), QStringLiteral("Permissions as string:"), edAsString, this),
        edAsString);
    lblSelectionNote = NewNote(QStringLiteral("lblSelectionNote"), QString(), this);
    lblSelectionNote->setTextFormat(Qt::PlainText);  // it quotes a name from the server

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateCheckBoxes());
    layout->addLayout(values);
    layout->addWidget(lblSelectionNote);
    layout->addWidget(
        NewNote(QStringLiteral("lblNote"),
                QStringLiteral("Changing the file permissions works only on UNIX- and UNIX-like sites."),
                this, Maroon));
    layout->addWidget(NewOkCancel(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* TfrmChmod::CreateCheckBoxes()
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("panCheckBoxes"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(panel);
    for (int column = 0; column < 3; ++column)
        grid->addWidget(new QLabel(QLatin1String(Columns[column]), panel), 0, column + 1, Qt::AlignHCenter);
    for (int row = 0; row < 3; ++row)
        grid->addWidget(new QLabel(QLatin1String(Rows[row]), panel), row + 1, 0);
    // A box's place in the letters (its tag, 1 to 9) gives its column and row.
    for (int i = 0; i < 9; ++i) {
        auto* box = new QCheckBox(panel);
        box->setObjectName(QStringLiteral("chk%1").arg(i + 1));
        box->setAccessibleName(
            QStringLiteral("%1, %2").arg(QLatin1String(Columns[i / 3]), QLatin1String(Rows[i % 3])));
        grid->addWidget(box, i % 3 + 1, i / 3 + 1, Qt::AlignHCenter);
        connect(box, &QCheckBox::toggled, this, [this] { PermissionChange(); });
        FBoxes[size_t(i)] = box;
    }
    return panel;
}

bool TfrmChmod::ShowPermissions(const QString& attrText, const QString& note)
{
    const std::optional<TFilePermissions> permissions = ParsePermissions(attrText);
    if (!permissions) return false;
    FSuppressChange = true;
    for (int i = 0; i < 9; ++i)
        FBoxes[size_t(i)]->setChecked(permissions->Bits & (0400 >> i));
    FSuppressChange = false;
    FSpecial = permissions->Special;
    PermissionChange();
    lblSelectionNote->setText(note);
    lblSelectionNote->setVisible(!note.isEmpty());
    FBoxes[0]->setFocus();
    return ExecModal(*this) == QDialog::Accepted;
}

void TfrmChmod::PermissionChange()
{
    if (FSuppressChange) return;
    TFilePermissions permissions{0, FSpecial};
    for (int i = 0; i < 9; ++i)
        if (FBoxes[size_t(i)]->isChecked()) permissions.Bits |= 0400 >> i;
    FMode = ModeNumber(permissions);
    FModeString = PermissionString(permissions);
    edAsOctal->setText(QString::number(FMode));
    edAsString->setText(FModeString);
}
