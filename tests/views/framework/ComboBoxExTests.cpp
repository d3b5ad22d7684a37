// The history box's events, driven as the user drives it: through its list
// and its text, offscreen.
#include "views/framework/ComboBoxEx.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class ComboBoxEx : public ::testing::Test {
public:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&Dialog);
        layout->addWidget(Box);
        auto* button = new QPushButton("OK");
        button->setDefault(true);
        layout->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, [this] { Events << "default button"; });
        Shortcut.setShortcut(Qt::Key_Return);
        QObject::connect(&Shortcut, &QAction::triggered, [this] { Events << "shortcut"; });
        Box->addItems({"/a", "/b", "/c"});
        Box->ShowText("/a");
        Box->OnItemChange = [this](TComboBoxEx* box, int prev) {
            Events << QString("item %1 -> %2").arg(prev).arg(box->currentIndex());
        };
        Box->OnTextChange = [this](TComboBoxEx*) { Events << "text"; };
        Box->OnReturnPress = [this](TComboBoxEx*) { Events << "return"; };
        Dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
        Box->setFocus();
    }

    void DropDown(int index)
    {
        Box->showPopup();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Box->view()->window()));
        Box->view()->setCurrentIndex(Box->model()->index(index, 0));
    }

    // Takes the entry from the list with Enter.
    void Choose(int index)
    {
        DropDown(index);
        QTest::keyClick(Box->view(), Qt::Key_Return);
    }

    QDialog Dialog;
    QAction Shortcut;
    TComboBoxEx* Box = new TComboBoxEx;
    QStringList Events;
};

TEST_F(ComboBoxEx, TellsChoicesEditsAndEnterApart)
{
    const struct {
        const char* Step;
        std::function<void(ComboBoxEx&)> Act;
        const char* Expected;
    } steps[] = {
        {"another entry", [](ComboBoxEx& t) { t.Choose(2); }, "item 0 -> 2"},
        {"the chosen entry again", [](ComboBoxEx& t) { t.Choose(2); }, "text"},
        // Typed keys go to the box, which has the focus for its edit field.
        {"typing", [](ComboBoxEx& t) { QTest::keyClicks(t.Box, "x"); }, "text"},
        // Taken by the box: no default button, no shortcut of the window.
        {"Enter",
         [](ComboBoxEx& t) {
             t.Dialog.addAction(&t.Shortcut);
             QTest::keyClick(t.Box, Qt::Key_Return);
             t.Dialog.removeAction(&t.Shortcut);
         },
         "return"},
        // Even where the list left the key to the text, it goes on normally.
        {"Enter with the list down",
         [](ComboBoxEx& t) {
             t.DropDown(1);
             QTest::keyClick(t.Box->lineEdit(), Qt::Key_Return);
             t.Box->hidePopup();
         },
         "default button"},
        {"the program showing a known folder", [](ComboBoxEx& t) { t.Box->ShowText("/b"); }, ""},
        {"the entry the program chose", [](ComboBoxEx& t) { t.Choose(1); }, "text"},
        {"the program showing an unknown folder", [](ComboBoxEx& t) { t.Box->ShowText("/x"); }, ""},
        {"any entry after that", [](ComboBoxEx& t) { t.Choose(1); }, "item -1 -> 1"},
        {"the chosen entry moved down by a new one",
         [](ComboBoxEx& t) {
             t.Box->insertItem(0, "/new");
             t.Choose(2);
         },
         "text"},
        {"Enter nobody takes",
         [](ComboBoxEx& t) {
             t.Box->OnReturnPress = nullptr;
             QTest::keyClick(t.Box, Qt::Key_Return);
         },
         "default button"},
    };
    for (const auto& step : steps) {
        Events.clear();
        step.Act(*this);
        EXPECT_EQ(Events.join(", ").toStdString(), step.Expected) << step.Step;
    }
}

}  // namespace
