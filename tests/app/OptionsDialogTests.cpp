// The options dialog against a settings store of its own, and its immediate
// actions through the main window.
#include "app/HelpWindow.h"
#include "app/ProgramStart.h"
#include "app/RecentSitesMenu.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "settings/Settings.h"
#include "settings/ToolTipSwitch.h"
#include "support/dialogs/ScriptedDialogs.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(ParseInteger, TakesADecimalNumberWithAnOptionalSignAndNothingElse)
{
    const struct {
        const char* Text;
        std::optional<qint32> Value;
    } cases[] = {
        {"21", 21},
        {"0", 0},
        {"+5", 5},
        {"-5", -5},
        {"007", 7},
        {"", {}},
        {"-", {}},
        {"+", {}},
        {" 21", {}},
        {"21 ", {}},
        {"2a", {}},
        {"0x15", {}},
        {"2147483647", 2147483647},
        {"2147483648", {}},
        {"1e3", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseInteger(c.Text), c.Value) << c.Text;
    EXPECT_EQ(IntDef("x", 20), 20);
}

class OptionsDialogTest : public ::testing::Test {
protected:
    OptionsDialogTest()
    {
        Settings.LoadAll();
        Settings.ConnectionSettings.DefaultPort = 2121;
        Settings.ConnectionSettings.RetryDelay = 30;
        Settings.ConnectionSettings.Retries = 2;
        Settings.ConnectionSettings.ProxyPort = 8021;
        TOptionsHost host;
        host.ClearSiteHistory = [this] { ++Cleared; };
        host.ShowHelp = [this](int context) { HelpAsked = context; };
        Dialog = std::make_unique<TfrmOptions>(Settings, host);
        Dialog->show();
    }
    // Applying switches the tips of the whole application.
    ~OptionsDialogTest() override { SetToolTipsShown(true); }

    // What another start of the program would load from the store.
    TConnectionSettings StoredConnection() const
    {
        TSettings stored(Store);
        stored.LoadAll();
        return stored.ConnectionSettings;
    }

    QLineEdit* Edit(const char* name) const { return Dialog->findChild<QLineEdit*>(name); }

    QStringList Items() const
    {
        QStringList items;
        for (int i = 0; i < Dialog->lstTextExtensions->count(); ++i)
            items << Dialog->lstTextExtensions->item(i)->text();
        return items;
    }

    QTemporaryDir Dir;
    const QString Store = Dir.filePath("options.ini");
    TScriptedDialogs Dialogs;
    TSettings Settings{Store};
    int Cleared = 0;
    int HelpAsked = 0;
    std::unique_ptr<TfrmOptions> Dialog;
};

TEST_F(OptionsDialogTest, ANumberFieldThatIsNoNumberTellsSoAndTakesBackTheStoredValue)
{
    const struct {
        const char* Field;
        const char* Before;  // a valid text the user had typed
        const char* Typed;
        const char* Restored;
    } cases[] = {
        {"edPort", "210", "210a", "2121"},  // not the text before the keystroke
        {"edDelay", "3", "", "30"},         // the whole text deleted
        {"edRetries", "5", "-", "2"},       // a sign alone
        {"edProxyPort", "80", "80 80", "8021"},
        {"edKeepAliveSeconds", "45", "45s", "60"},
    };
    for (const auto& c : cases) {
        Dialogs.Asked.clear();
        QLineEdit* edit = Edit(c.Field);
        ASSERT_TRUE(edit) << c.Field;
        edit->setText(c.Before);
        ASSERT_TRUE(Dialogs.Asked.empty()) << c.Field;
        Dialog->btnApply->setEnabled(false);
        edit->setText(c.Typed);
        ASSERT_EQ(Dialogs.Asked.size(), 1u) << c.Field;
        EXPECT_EQ(Dialogs.Asked[0].Text, QStringLiteral("\"%1\" is not a vaild integer value").arg(c.Typed));
        EXPECT_TRUE(Dialogs.Asked[0].Alert);
        EXPECT_EQ(edit->text(), c.Restored) << c.Field;
        EXPECT_TRUE(Dialog->btnApply->isEnabled()) << c.Field;
    }
}

TEST_F(OptionsDialogTest, NumbersOutOfTheirRangeAreRefusedOnApplyAndOkAndNothingIsSaved)
{
    const struct {
        const char* Field;
        const char* Text;
        bool UseProxy;
    } cases[] = {
        {"edPort", "0", false},     {"edPort", "70000", false},      {"edPort", "-21", false},
        {"edProxyPort", "0", true}, {"edProxyPort", "65536", false}, {"edRetries", "-1", false},
        {"edDelay", "-5", false},
    };
    const TConnectionSettings before = StoredConnection();
    for (const auto& c : cases) {
        Dialogs.Asked.clear();
        Dialog->chkUseProxy->setChecked(c.UseProxy);
        Edit(c.Field)->setText(c.Text);
        Dialog->btnApplyClick();
        Dialog->btnOKClick();
        ASSERT_EQ(Dialogs.Asked.size(), 2u) << c.Field << " " << c.Text;
        EXPECT_TRUE(Dialogs.Asked[0].Alert);
        EXPECT_TRUE(Dialog->isVisible()) << c.Field << " " << c.Text;
        EXPECT_TRUE(Dialog->btnApply->isEnabled());
        EXPECT_EQ(StoredConnection(), before) << c.Field << " " << c.Text;
        Dialog->btnCancelClick();
        Dialog->show();
    }
}

TEST_F(OptionsDialogTest, ApplySavesEveryPageAndAnEmptyEmailBecomesTheDefault)
{
    EXPECT_FALSE(Dialog->btnApply->isEnabled());  // loading is no change
    Dialog->chkOpenSitelist->setChecked(true);
    Dialog->chkShowToolTips->setChecked(false);
    Dialog->chkContinueTransfer->setChecked(false);
    Dialog->edPort->setText("65535");
    Dialog->edProxyPort->setText("0");  // no proxy: 0 means none
    Dialog->edRetries->setText("3");
    Dialog->edDelay->setText("0");
    Dialog->edProxyAddress->setText("proxy.example.org");
    Dialog->edEmailAddress->clear();
    Dialog->lstTextExtensions->item(0)->setSelected(true);  // "asm", first when sorted
    Dialog->btnDeleteSelectedClick();
    ASSERT_TRUE(Dialog->btnApply->isEnabled());
    Dialog->btnApplyClick();

    EXPECT_TRUE(Dialogs.Asked.empty());
    EXPECT_FALSE(Dialog->btnApply->isEnabled());
    EXPECT_EQ(Dialog->edEmailAddress->text(), DefaultEmailAddress);
    TSettings stored(Store);
    stored.LoadAll();
    EXPECT_EQ(stored.GeneralFlags, gfOpenSiteList | gfHideSiteList);
    EXPECT_EQ(stored.TransferFlags, tfConfirmOverwrite);
    TConnectionSettings expected;
    expected.DefaultPort = 65535;
    expected.Retries = 3;
    expected.RetryDelay = 0;
    expected.ProxyAddress = "proxy.example.org";
    EXPECT_EQ(stored.ConnectionSettings, expected);
    EXPECT_FALSE(stored.TextExtensions.contains("asm"));
    EXPECT_EQ(stored.TextExtensions.size(), 20);
}

TEST_F(OptionsDialogTest, CancelAndTheFrameThrowAwayUnsavedEditsButOkKeepsThem)
{
    Dialog->edPort->setText("2222");
    Dialog->chkUseProxy->setChecked(true);
    Dialog->btnCancelClick();
    EXPECT_FALSE(Dialog->isVisible());
    EXPECT_EQ(Dialog->edPort->text(), "2121");
    EXPECT_FALSE(Dialog->chkUseProxy->isChecked());
    EXPECT_FALSE(Dialog->edProxyAddress->isEnabled());

    Dialog->show();
    Dialog->edRetries->setText("7");
    Dialog->close();
    EXPECT_EQ(Dialog->edRetries->text(), "2");

    Dialog->show();
    Dialog->edRetries->setText("7");
    Dialog->btnOKClick();
    EXPECT_FALSE(Dialog->isVisible());
    EXPECT_EQ(StoredConnection().Retries, 7);
}

TEST_F(OptionsDialogTest, RestoreDefaultsFillsTheConnectionFieldsWithoutSavingThem)
{
    Dialog->chkUseProxy->setChecked(true);
    Dialog->edProxyAddress->setText("proxy.example.org");
    Dialog->edEmailAddress->setText("me@example.org");
    Dialog->rbnActive->setChecked(true);
    Dialog->edKeepAliveSeconds->setText("900");
    Dialog->chkKeepAlive->setChecked(false);
    Dialog->btnApplyClick();
    Dialog->btnRestoreConnectionDefaultsClick();
    EXPECT_TRUE(Dialog->rbnPassive->isChecked());
    EXPECT_TRUE(Dialog->chkKeepAlive->isChecked());
    EXPECT_EQ(Dialog->edKeepAliveSeconds->text(), "60");
    EXPECT_EQ(Dialog->edRetries->text(), "0");
    EXPECT_EQ(Dialog->edDelay->text(), "20");
    EXPECT_EQ(Dialog->edPort->text(), "21");
    EXPECT_EQ(Dialog->edProxyPort->text(), "0");
    EXPECT_FALSE(Dialog->chkUseProxy->isChecked());
    EXPECT_FALSE(Dialog->edProxyPort->isEnabled());
    EXPECT_TRUE(Dialog->edProxyAddress->text().isEmpty());
    EXPECT_EQ(Dialog->edEmailAddress->text(), "me@example.org");
    EXPECT_TRUE(Dialog->btnApply->isEnabled());
    EXPECT_EQ(StoredConnection().DefaultPort, 2121);  // until Apply or OK
    EXPECT_TRUE(StoredConnection().UseProxy);
    EXPECT_TRUE(Dialogs.Asked.empty());
}

TEST_F(OptionsDialogTest, DataConnectionAndKeepAliveAreSavedWithTheConnectingPage)
{
    EXPECT_TRUE(Dialog->rbnPassive->isChecked());
    EXPECT_TRUE(Dialog->chkKeepAlive->isChecked());
    EXPECT_EQ(Dialog->edKeepAliveSeconds->text(), "60");
    Dialog->rbnActive->setChecked(true);
    EXPECT_TRUE(Dialog->btnApply->isEnabled());
    Dialog->edKeepAliveSeconds->setText("300");
    Dialog->btnApplyClick();
    TSettings stored(Store);
    stored.LoadAll();
    EXPECT_FALSE(stored.PassiveMode);
    EXPECT_TRUE(stored.KeepAlive);
    EXPECT_EQ(stored.KeepAliveSeconds, 300);

    // Switched off, the seconds cannot be edited, and are neither checked nor stored.
    Dialog->chkKeepAlive->setChecked(false);
    EXPECT_FALSE(Dialog->edKeepAliveSeconds->isEnabled());
    Dialog->edKeepAliveSeconds->setText("5");
    Dialog->rbnPassive->setChecked(true);
    Dialog->btnOKClick();
    EXPECT_TRUE(Dialogs.Asked.empty());
    EXPECT_FALSE(Dialog->isVisible());
    stored.LoadAll();
    EXPECT_TRUE(stored.PassiveMode);
    EXPECT_FALSE(stored.KeepAlive);
    EXPECT_EQ(stored.KeepAliveSeconds, 300);

    Dialog->show();
    Dialog->rbnActive->setChecked(true);
    Dialog->chkKeepAlive->setChecked(true);
    Dialog->btnCancelClick();
    EXPECT_TRUE(Dialog->rbnPassive->isChecked());
    EXPECT_FALSE(Dialog->chkKeepAlive->isChecked());
    EXPECT_EQ(Dialog->edKeepAliveSeconds->text(), "300");
}

TEST_F(OptionsDialogTest, KeepAliveSecondsOutOfTheirRangeAreRefusedWhileItIsOn)
{
    for (const char* text : {"9", "3601", "0", "-60"}) {
        SCOPED_TRACE(text);
        Dialogs.Asked.clear();
        Dialog->chkKeepAlive->setChecked(true);
        Dialog->edKeepAliveSeconds->setText(text);
        Dialog->btnOKClick();
        ASSERT_EQ(Dialogs.Asked.size(), 1u);
        EXPECT_EQ(Dialogs.Asked[0].Text,
                  "The keep-alive interval must be a number of seconds from 10 to 3600.");
        EXPECT_TRUE(Dialog->isVisible());
        TSettings stored(Store);
        stored.LoadAll();
        EXPECT_EQ(stored.KeepAliveSeconds, 60);
    }
    Dialog->edKeepAliveSeconds->setText("10");
    Dialog->btnOKClick();
    EXPECT_FALSE(Dialog->isVisible());
    EXPECT_EQ(Settings.KeepAliveSeconds, 10);
}

TEST_F(OptionsDialogTest, TheExtensionListComparesWithoutRegardToCase)
{
    Dialog->lstTextExtensions->clear();
    Dialog->lstTextExtensions->addItems({"TXT", "md"});
    Dialog->btnAddCommonClick();
    QStringList expected = DefaultTextExtensions();
    expected << "md";
    expected.sort();
    EXPECT_EQ(Items(), expected);

    Dialog->btnApply->setEnabled(false);
    Dialogs.AnswerInput("HTML");  // "html" is there
    Dialog->btnAddNewClick();
    EXPECT_EQ(Items(), expected);
    EXPECT_TRUE(Dialog->btnApply->isEnabled());
    ASSERT_EQ(Dialogs.InputsAsked.size(), 1u);
    EXPECT_EQ(Dialogs.InputsAsked[0].Caption, "QuilloFTP");
    EXPECT_EQ(Dialogs.InputsAsked[0].Prompt, "Enter the new file extension (for example txt, html):");

    Dialogs.AnswerInput("Rst");
    Dialog->btnAddNewClick();
    EXPECT_TRUE(Items().contains("Rst"));

    Dialog->btnApply->setEnabled(false);
    Dialogs.CancelInput();
    Dialog->btnAddNewClick();
    EXPECT_FALSE(Dialog->btnApply->isEnabled());
}

TEST_F(OptionsDialogTest, InsertAndDeleteInTheListAddAndRemoveExtensions)
{
    QListWidget* list = Dialog->lstTextExtensions;
    const auto press = [list](Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(list, &event);
    };
    Dialogs.AnswerInput("md");
    press(Qt::Key_Insert);
    EXPECT_TRUE(Items().contains("md"));
    list->clearSelection();
    for (const char* name : {"c", "h", "md"})
        list->findItems(name, Qt::MatchExactly).first()->setSelected(true);
    press(Qt::Key_Delete);
    EXPECT_EQ(Items().size(), 19);
    for (const char* name : {"c", "h", "md"})
        EXPECT_FALSE(Items().contains(name)) << name;
    EXPECT_TRUE(Items().contains("cpp"));
}

TEST(OptionsFromTheMainWindow, SettingsOpensTheDialogWhoseActionsReachTheMainWindow)
{
    TScriptedDialogs dialogs;
    const std::unique_ptr<TfrmMain> window = ShowMainWindow();
    window->RecentMenu->Add("site", "Folder");
    window->Settings().SaveRecentSites();
    QAction* settings = window->Actions[QStringLiteral("actSettings")];
    ASSERT_TRUE(settings->isEnabled());
    settings->trigger();
    TfrmOptions* options = window->findChild<TfrmOptions*>();
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->isVisible());
    EXPECT_EQ(options->windowTitle(), "Settings");
    ASSERT_TRUE(options->btnClearRecentMenu->isEnabled());

    options->btnClearRecentMenuClick();
    EXPECT_EQ(window->RecentMenu->Count(), 0);
    EXPECT_FALSE(options->btnClearRecentMenu->isEnabled());
    options->btnCancelClick();  // the history stays cleared
    TSettings stored;
    stored.LoadAll();
    EXPECT_TRUE(stored.RecentSites.isEmpty());

    window->resize(500, 300);
    window->frmSiteList->resize(700, 600);
    settings->trigger();
    options->btnResetFormSizesClick();
    const QSize first =
        TfrmMain::FirstStartSize(QGuiApplication::primaryScreen()->availableGeometry().size());
    EXPECT_EQ(window->size(), first);
    EXPECT_EQ(window->frmSiteList->size(), QSize(DefaultSiteListWidth, DefaultSiteListHeight));
    options->btnCancelClick();
}

}  // namespace

TEST_F(OptionsDialogTest, KeysTurnThePagesAndF1AsksForTheHelpOfThePageShown)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(Dialog.get()));
    auto* pages = Dialog->findChild<QTabWidget*>(QStringLiteral("pgcOptions"));
    ASSERT_NE(pages, nullptr);
    // The pages turn by keys wherever the focus is, round the end too.
    Dialog->btnCancel->setFocus();
    QTest::keyClick(Dialog.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex(), 1);
    QTest::keyClick(Dialog.get(), Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(Dialog.get(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(pages->currentIndex(), 3);
    for (const int page : {1, 3}) {
        pages->setCurrentIndex(page);
        QTest::keyClick(Dialog.get(), Qt::Key_F1);
        EXPECT_EQ(HelpPageForContext(HelpAsked).fragment(), page == 1 ? "connecting" : "textfiles");
    }
}
