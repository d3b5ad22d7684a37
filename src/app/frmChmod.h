#pragma once
#include "app/FilePermissions.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;

// The file permission dialog: nine boxes for read, write and execute of the
// user, the group and the others, and the mode they make as octal digits and
// as a string. Setuid, setgid and sticky have no boxes; they are kept as the
// attribute text had them.
class TfrmChmod : public QDialog {
    Q_OBJECT
public:
    explicit TfrmChmod(QWidget* parent = nullptr);

    // attrText: the nine permission letters of a listing. False at once, with
    // no dialog, when they cannot be read; otherwise the dialog shows them
    // modally, with note under the boxes when it is not empty, and the result
    // is true for OK.
    bool ShowPermissions(const QString& attrText, const QString& note = {});

    // The mode the boxes make, as octal digits written in decimal with the
    // special digit first when there is one (644, 4755), and as a string.
    int Mode() const { return FMode; }
    const QString& ModeString() const { return FModeString; }

private:
    void PermissionChange();
    QWidget* CreateCheckBoxes();

    std::array<QCheckBox*, 9> FBoxes{};  // chk1 .. chk9, in the order of the letters
    QLineEdit* edAsOctal;
    QLineEdit* edAsString;
    QLabel* lblSelectionNote;
    int FSpecial = 0;
    int FMode = 0;
    QString FModeString;
    bool FSuppressChange = false;
};
