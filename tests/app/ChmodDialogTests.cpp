// The permission dialog's boxes, octal and string, and what a permission
// change applies to when several items are selected.
#include "app/FilePermissions.h"
#include "app/frmChmod.h"
#include "support/dialogs/ScriptedDialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

TEST(ChmodDialog, BoxesOctalAndStringFollowTheLetters)
{
    const struct {
        const char* Letters;
        const char* Boxes;  // nullptr: no dialog
        const char* Octal;
        const char* String;
    } cases[] = {
        {"rwxr-xr-x", "111101101", "755", "rwxr-xr-x"},
        {"rw-r-----", "110100000", "640", "rw-r-----"},
        {"---------", "000000000", "0", "---------"},
        {"RWXr--r--", "111100100", "744", "rwxr--r--"},
        // s and t are execute with setuid, setgid or sticky; S and T the
        // special bit alone. Either way the special digit is kept.
        {"rwsr-xr-x", "111101101", "4755", "rwsr-xr-x"},
        {"rwSr--r--", "110100100", "4644", "rwSr--r--"},
        {"rwxr-sr-x", "111101101", "2755", "rwxr-sr-x"},
        {"rwxrwxrwt", "111111111", "1777", "rwxrwxrwt"},
        {"rwxrwxrwT", "111111110", "1776", "rwxrwxrwT"},
        {"rwsr-Sr-t", "111100101", "7745", "rwsr-Sr-t"},
        // Letters that cannot be read, or not nine of them.
        {"", nullptr, "", ""},
        {"rwxr-xr-", nullptr, "", ""},
        {"drwxr-xr-x", nullptr, "", ""},
        {"rwxr-xr-q", nullptr, "", ""},
        {"rwtr-xr-x", nullptr, "", ""},
        {"rwxr-xr-s", nullptr, "", ""},
    };
    TScriptedDialogs dialogs;  // a dialog shown without a script fails the test
    TfrmChmod form;
    for (const auto& c : cases) {
        QString boxes, octal, string;
        if (c.Boxes)
            dialogs.OnModal([&](QDialog& dialog) {
                for (int i = 1; i <= 9; ++i)
                    boxes += dialog.findChild<QCheckBox*>(QStringLiteral("chk%1").arg(i))->isChecked() ? u'1'
                                                                                                       : u'0';
                octal = dialog.findChild<QLineEdit*>("edAsOctal")->text();
                string = dialog.findChild<QLineEdit*>("edAsString")->text();
                return int(QDialog::Accepted);
            });
        EXPECT_EQ(form.ShowPermissions(QLatin1String(c.Letters)), c.Boxes != nullptr) << c.Letters;
        if (!c.Boxes) continue;
        EXPECT_EQ(boxes, c.Boxes) << c.Letters;
        EXPECT_EQ(octal, c.Octal) << c.Letters;
        EXPECT_EQ(string, c.String) << c.Letters;
        EXPECT_EQ(form.Mode(), QString::fromLatin1(c.Octal).toInt()) << c.Letters;
    }
}

TEST(FilePermissions, AChangeAppliesToTheReadableItemsAndSaysWhereItsStartMayNotFit)
{
    const QString different = QStringLiteral(
        "The selected items have different permissions: these are those of \"a\", and every item gets the "
        "permissions chosen here.");
    const QString unread = QStringLiteral(
        "1 of the selected items show no permissions that can be read; they stay as they are.");
    const struct {
        QList<TChmodItem> Selected;
        QStringList Names;
        QString Letters;
        QString Note;
    } cases[] = {
        {{{"a", "-rw-r--r--"}, {"b", "-rw-r--r--+"}}, {"a", "b"}, "rw-r--r--", ""},  // "+": an access list
        {{{"a", "-rw-r--r--"}, {"b", "drwxr-xr-x"}}, {"a", "b"}, "rw-r--r--", different},
        // The special bits are part of the mode every item gets.
        {{{"a", "-rwsr-xr-x"}, {"b", "-rwxr-xr-x"}}, {"a", "b"}, "rwsr-xr-x", different},
        {{{"x", ""}, {"b", "drwxr-xr-x"}}, {"b"}, "rwxr-xr-x", unread},
        {{{"x", "total"}}, {}, "", ""},
    };
    for (const auto& c : cases) {
        const TChmodPlan plan = PlanChmod(c.Selected);
        EXPECT_EQ(plan.Names, c.Names) << c.Selected.first().Attributes.toStdString();
        EXPECT_EQ(plan.Letters, c.Letters);
        EXPECT_EQ(plan.Note, c.Note);
    }
}

}  // namespace
