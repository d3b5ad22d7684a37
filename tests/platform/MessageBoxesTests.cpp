// The Qt boxes behind the message-box helpers, as the user sees them.
#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A folder name a server may well list: markup opens a comment that would
// swallow the rest of the question.
const QString Name = QStringLiteral("<s>a\"? <!--");
const QString Question =
    QStringLiteral("Are you sure you want to delete directory \"%1\" and its contents?").arg(Name);

// Calls show, which opens a modal box, and rejects that box as soon as it is
// up; true when it had a label showing Question, whose format it notes.
bool ShowAndClose(const std::function<void()>& show, Qt::TextFormat& format)
{
    bool shown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(window);
            if (!dialog || !dialog->isVisible()) continue;
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                if (label->text() == Question) shown = true, format = label->textFormat();
            dialog->reject();
        }
    });
    poll.start(10);
    show();
    return shown;
}

TEST(MessageBoxes, NamesInTheTextShowAsPlainText)
{
    SetDialogAnswerer(nullptr);  // the Qt boxes
    QString value;
    const struct {
        const char* Helper;
        std::function<void()> Show;
    } cases[] = {
        {"ShowMessageBox", [] { ShowMessageBox(Question, true); }},
        {"AskOkCancel", [] { AskOkCancel(Question, false); }},
        {"AskYesNo", [] { AskYesNo(Question, false); }},
        {"AskYesNoCancel", [] { AskYesNoCancel(Question, true); }},
        {"AskYesNoCancelAll", [] { AskYesNoCancelAll(Question); }},
        {"InputQuery", [&] { InputQuery(Question, value); }},
    };
    for (const auto& c : cases) {
        Qt::TextFormat format = Qt::AutoText;
        EXPECT_TRUE(ShowAndClose(c.Show, format)) << c.Helper;
        EXPECT_EQ(format, Qt::PlainText) << c.Helper;
    }
}

TEST(MessageBoxes, TheReplaceQuestionOffersNoToAllAndBelongsToAStayOnTopWindow)
{
    SetDialogAnswerer(nullptr);  // the Qt boxes
    // A window that stays on top (the transfer window) would hide a box that
    // belongs to any other window.
    QWidget onTop(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    onTop.show();
    QWidget* owner = nullptr;
    QMessageBox::StandardButtons offered;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!box || !box->isVisible()) continue;
            owner = box->parentWidget();
            offered = box->standardButtons();
            if (QAbstractButton* noToAll = box->button(QMessageBox::NoToAll))
                noToAll->click();
            else
                box->reject();
        }
    });
    poll.start(10);

    EXPECT_EQ(AskYesNoCancelAll(QStringLiteral("Replace file \"a.txt\"?")), mrNoToAll);
    EXPECT_EQ(owner, &onTop);
    EXPECT_EQ(offered, QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll |
                           QMessageBox::Cancel);
}

TEST(MessageBoxes, OwnButtonTextsSayWhatEachChoiceDoesAndEnterTakesTheSafeOne)
{
    SetDialogAnswerer(nullptr);  // the Qt boxes
    QStringList shown;
    QString defaultText;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!box || !box->isVisible()) continue;
            for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
                if (box->button(b)) shown << box->button(b)->text();
            defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            if (box->defaultButton())
                box->defaultButton()->click();
            else
                box->reject();
        }
    });
    poll.start(10);

    const QStringList texts{"&Upload", "&Discard", "&Keep"};
    EXPECT_EQ(AskWithButtons(bkYesNoCancel, QStringLiteral("Changed?"), texts, true), mrCancel);
    EXPECT_EQ(shown, texts);
    EXPECT_EQ(defaultText, "&Keep");
}

}  // namespace
