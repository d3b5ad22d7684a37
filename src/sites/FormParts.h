#pragma once
#include <QColor>
#include <QString>

class QDialog;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QWidget;

// Small pieces shared by the dialogs of the site list.

inline const QColor Maroon(0x80, 0x00, 0x00);
inline const QColor Navy(0x00, 0x00, 0x80);

// A wrapped note in the given text colour (an invalid colour: the default).
QLabel* NewNote(const QString& name, const QString& text, QWidget* parent, const QColor& color = QColor());
// A label whose "&" mnemonic focuses buddy.
QLabel* NewLabel(const QString& name, const QString& text, QWidget* buddy, QWidget* parent);
QLineEdit* NewEdit(const QString& name, int maxLength, QWidget* parent);
// Shows "*" for every character typed.
QLineEdit* NewPasswordEdit(const QString& name, int maxLength, QWidget* parent);
// "OK" (the default button, btnOK) and "Cancel" (also Esc, btnCancel).
QDialogButtonBox* NewOkCancel(QDialog* dialog);
// Sets an edit's text without cutting a stored text longer than the edit's
// designed limit: the user cannot lengthen it, but nothing is lost on OK.
void SetEditText(QLineEdit* edit, const QString& text, int designedLimit);
