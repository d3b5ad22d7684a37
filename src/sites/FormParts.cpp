#include "sites/FormParts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QLabel* NewNote(const QString& name, const QString& text, QWidget* parent, const QColor& color)
{
    auto* note = new QLabel(text, parent);
    note->setObjectName(name);
    note->setWordWrap(true);
    if (color.isValid()) {
        QPalette palette = note->palette();
        palette.setColor(QPalette::WindowText, color);
        note->setPalette(palette);
    }
    return note;
}

QLabel* NewLabel(const QString& name, const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}

QLineEdit* NewEdit(const QString& name, int maxLength, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    return edit;
}

QLineEdit* NewPasswordEdit(const QString& name, int maxLength, QWidget* parent)
{
    QLineEdit* edit = NewEdit(name, maxLength, parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    return edit;
}

void SetEditText(QLineEdit* edit, const QString& text, int designedLimit)
{
    edit->setMaxLength(qMax<int>(designedLimit, text.size()));
    edit->setText(text);
}

QDialogButtonBox* NewOkCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}
