// The Qt boxes behind the message-box helpers, as the user sees them.
#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A folder name a server may well list: markup opens a comment that would
// swallow the rest of the question.
const QString Name = QStringLiteral("<s>a\"? <!--");
const QString Question =
    QStringLiteral("Are you sure you want to delete directory \"%1\" and its contents?").arg(Name);

struct TShownLabel {
    bool Seen = false;
    Qt::TextFormat Format = Qt::AutoText;
    QString Text;
};

// Calls show, which opens a modal box, and closes that box as soon as it is
// up, noting its label that shows Question. Every box is closed by rejecting
// it, so the watch ends each call it is given.
TShownLabel ShowAndClose(const std::function<void()>& show)
{
    TShownLabel shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(window);
            if (!dialog || !dialog->isVisible()) continue;
            for (QLabel* label : dialog->findChildren<QLabel*>()) {
                if (!label->text().contains(QStringLiteral("and its contents"))) continue;
                shown = {true, label->textFormat(), label->text()};
            }
            dialog->reject();
        }
    });
    poll.start(10);
    show();
    return shown;
}

struct TBoxCase {
    const char* Helper;
    std::function<void()> Show;
};

TEST(MessageBoxes, NamesInTheTextShowAsPlainText)
{
    SetDialogAnswerer(nullptr);  // the Qt boxes
    QString value;
    const TBoxCase cases[] = {
        {"ShowMessageBox", [] { ShowMessageBox(Question, true); }},
        {"AskOkCancel", [] { AskOkCancel(Question, false); }},
        {"AskYesNo", [] { AskYesNo(Question, false); }},
        {"AskYesNoCancel", [] { AskYesNoCancel(Question, true); }},
        {"AskYesNoCancelAll", [] { AskYesNoCancelAll(Question); }},
        {"InputQuery", [&] { InputQuery(Question, value); }},
    };
    for (const TBoxCase& c : cases) {
        const TShownLabel shown = ShowAndClose(c.Show);
        ASSERT_TRUE(shown.Seen) << c.Helper;
        EXPECT_EQ(shown.Format, Qt::PlainText) << c.Helper;
        EXPECT_EQ(shown.Text, Question) << c.Helper;
    }
}

TEST(MessageBoxes, LineBreaksOfTheTextShowAsLineBreaks)
{
    SetDialogAnswerer(nullptr);
    const TShownLabel shown = ShowAndClose(
        [] { ShowMessageBox(QStringLiteral("first line\r\nand its contents"), false); });
    ASSERT_TRUE(shown.Seen);
    EXPECT_EQ(shown.Text, "first line\nand its contents");
}

}  // namespace
