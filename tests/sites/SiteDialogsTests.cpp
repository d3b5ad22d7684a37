// The site settings dialog and the login prompt, driven offscreen through the
// scripted dialog seam.
#include "sites/frmPassword.h"
#include "sites/frmSiteSettings.h"

#include "support/dialogs/ScriptedDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

template <class T>
T* Find(QDialog& dialog, const char* name)
{
    T* child = dialog.findChild<T*>(QString::fromLatin1(name));
    if (!child) ADD_FAILURE() << "no control " << name;
    return child;
}

TSiteSettings AnonymousSite()
{
    TSiteSettings site;
    site.SiteName = "Mirror";
    site.Address = "ftp.example.org";
    site.UserName = "kept user";
    site.Password = "kept password";
    site.Comments = "line one\r\nline two\r\n";
    site.LocalStartupDir = "/home/joe";
    site.RemoteStartupDir = "/pub";
    site.NormalLogin = false;
    return site;
}

class SiteSettingsDialogTest : public ::testing::Test {
protected:
    TScriptedDialogs Dialogs;
    TfrmSiteSettings Form;
};

TEST_F(SiteSettingsDialogTest, AnonymousSiteKeepsItsDisabledCredentials)
{
    TSiteSettings site = AnonymousSite();
    // Longer than the controls allow, from an older list: nothing is cut.
    site.SiteName = QString(150, 'n');
    site.Comments = QString(6000, 'c') + "\r\n";
    const TSiteSettings original = site;
    Dialogs.OnModal([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Edit site");
        EXPECT_TRUE(Find<QRadioButton>(d, "rbnAnonymousLogin")->isChecked());
        for (const char* name :
             {"edUserName", "edPassword", "lblUserName", "lblPassword", "lblNormalLoginExplanation"})
            EXPECT_FALSE(d.findChild<QWidget*>(name)->isEnabled()) << name;
        EXPECT_TRUE(Find<QLabel>(d, "lblAnonymousLoginExplanation")->isEnabled());
        EXPECT_EQ(Find<QLineEdit>(d, "edUserName")->text(), "kept user");
        EXPECT_EQ(Find<QLineEdit>(d, "edPassword")->text(), "kept password");
        EXPECT_EQ(Find<QLineEdit>(d, "edPassword")->echoMode(), QLineEdit::Password);
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(Form.EditSiteDialog(site, "Edit site", true));
    EXPECT_EQ(site, original);
}

TEST_F(SiteSettingsDialogTest, PasswordNoteDialogStartsInTheSelectedSiteName)
{
    TSiteSettings site = AnonymousSite();
    site.NormalLogin = true;
    Dialogs.OnModal([](QDialog& d) {
        EXPECT_TRUE(Find<QLabel>(d, "lblNormalLoginExplanation")->isVisible());
        EXPECT_FALSE(Find<QLabel>(d, "lblAddToSiteListExpl")->isVisible());
        EXPECT_TRUE(Find<QRadioButton>(d, "rbnNormalLogin")->isChecked());
        auto* name = Find<QLineEdit>(d, "edSiteName");
        EXPECT_EQ(d.focusWidget(), name);
        EXPECT_EQ(name->selectedText(), "Mirror");
        EXPECT_TRUE(Find<QLineEdit>(d, "edUserName")->isEnabled());
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(Form.EditSiteDialog(site, "Edit site", true));
}

TEST_F(SiteSettingsDialogTest, NewSiteStartsAnonymousInTheAddressField)
{
    TSiteSettings site;
    site.SiteName = "New site";
    site.NormalLogin = true;
    Dialogs.OnModal([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Enter the settings for the site");
        EXPECT_TRUE(Find<QRadioButton>(d, "rbnAnonymousLogin")->isChecked());
        EXPECT_EQ(d.focusWidget(), Find<QLineEdit>(d, "edSiteAddress"));
        EXPECT_FALSE(Find<QLabel>(d, "lblNormalLoginExplanation")->isVisible());
        EXPECT_TRUE(Find<QLabel>(d, "lblAddToSiteListExpl")->isVisible());
        EXPECT_FALSE(Find<QLineEdit>(d, "edUserName")->isEnabled());
        // Nothing else tells the user where a port goes.
        EXPECT_TRUE(Find<QLineEdit>(d, "edSiteAddress")->placeholderText().contains("host:port"));
        Find<QLineEdit>(d, "edSiteAddress")->setText("ftp.example.org");
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(Form.EditSiteDialog(site, "Enter the settings for the site", false));
    EXPECT_FALSE(site.NormalLogin);
    EXPECT_EQ(site.Address, "ftp.example.org");
}

TEST_F(SiteSettingsDialogTest, ChoosingNormalLoginEnablesAndFocusesTheUserName)
{
    TSiteSettings site = AnonymousSite();
    Dialogs.OnModal([](QDialog& d) {
        Find<QRadioButton>(d, "rbnNormalLogin")->click();
        auto* user = Find<QLineEdit>(d, "edUserName");
        EXPECT_TRUE(user->isEnabled());
        EXPECT_TRUE(Find<QLineEdit>(d, "edPassword")->isEnabled());
        EXPECT_FALSE(Find<QLabel>(d, "lblAnonymousLoginExplanation")->isEnabled());
        EXPECT_EQ(d.focusWidget(), user);
        user->setText("ann");
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(Form.EditSiteDialog(site, "Edit site", true));
    EXPECT_TRUE(site.NormalLogin);
    EXPECT_EQ(site.UserName, "ann");
    EXPECT_EQ(site.Password, "kept password");
}

TEST_F(SiteSettingsDialogTest, AddressIsTrimmedButTheNameIsNot)
{
    TSiteSettings site = AnonymousSite();
    Dialogs.OnModal([](QDialog& d) {
        Find<QLineEdit>(d, "edSiteName")->setText("  Spaced name  ");
        Find<QLineEdit>(d, "edSiteAddress")->setText(" \t ftp.example.org \x01 ");
        Find<QLineEdit>(d, "edRemoteStartupDir")->setText(" /pub ");
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(Form.EditSiteDialog(site, "Edit site", true));
    EXPECT_EQ(site.SiteName, "  Spaced name  ");
    EXPECT_EQ(site.Address, "ftp.example.org");
    EXPECT_EQ(site.RemoteStartupDir, " /pub ");
}

TEST_F(SiteSettingsDialogTest, CommentsAreStoredWithCrLfAfterEveryLine)
{
    const struct {
        const char* memo;
        const char* stored;
    } cases[] = {
        {"first\nsecond", "first\r\nsecond\r\n"},
        {"first\nsecond\n", "first\r\nsecond\r\n"},
        {"first\n\nthird", "first\r\n\r\nthird\r\n"},
        {"", ""},
    };
    for (const auto& c : cases) {
        TSiteSettings site = AnonymousSite();
        Dialogs.OnModal([&](QDialog& d) {
            Find<QPlainTextEdit>(d, "memComments")->setPlainText(c.memo);
            return int(QDialog::Accepted);
        });
        ASSERT_TRUE(Form.EditSiteDialog(site, "Edit site", true));
        EXPECT_EQ(site.Comments, c.stored) << c.memo;
    }
}

TEST_F(SiteSettingsDialogTest, CancelLeavesTheSiteAsItWas)
{
    TSiteSettings site = AnonymousSite();
    Dialogs.OnModal([](QDialog& d) {
        Find<QLineEdit>(d, "edSiteAddress")->setText("elsewhere");
        Find<QRadioButton>(d, "rbnNormalLogin")->click();
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(Form.EditSiteDialog(site, "Edit site", true));
    EXPECT_EQ(site, AnonymousSite());
}

TEST_F(SiteSettingsDialogTest, TypedFieldsStopAtTheirLimits)
{
    TSiteSettings site = AnonymousSite();
    Dialogs.OnModal([](QDialog& d) {
        auto* memo = Find<QPlainTextEdit>(d, "memComments");
        memo->clear();
        memo->insertPlainText(QString(4990, 'x'));
        memo->insertPlainText("\nyyyyyyyyy");  // the line break counts as CR LF
        const struct {
            const char* name;
            int limit;
        } edits[] = {{"edSiteName", 100}, {"edSiteAddress", 100},     {"edUserName", 50},
                     {"edPassword", 50},  {"edLocalStartupDir", 200}, {"edRemoteStartupDir", 200}};
        for (const auto& e : edits) {
            auto* edit = Find<QLineEdit>(d, e.name);
            edit->clear();
            edit->insert(QString(e.limit + 5, 'a'));
            EXPECT_EQ(edit->text().size(), e.limit) << e.name;
        }
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(Form.EditSiteDialog(site, "Edit site", true));
    EXPECT_EQ(site.Comments.toStdString(), std::string(4990, 'x') + "\r\nyyyyyyyy\r\n");
}

// The items stand in the order of TSiteEncryption: a swapped pair would store
// the other choice than the one the user read.
TEST_F(SiteSettingsDialogTest, EncryptionChoiceIsShownAndStored)
{
    const QStringList items = {"Use explicit FTP over TLS if available", "Require explicit FTP over TLS",
                               "Require implicit FTP over TLS", "Only use plain FTP (insecure)"};
    const struct {
        TSiteEncryption Shown;
        TSiteEncryption Chosen;
    } cases[] = {
        {enExplicitIfAvailable, enPlainOnly},
        {enRequireExplicit, enImplicit},
        {enImplicit, enExplicitIfAvailable},
        {enPlainOnly, enRequireExplicit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.Shown));
        TSiteSettings site = AnonymousSite();
        site.Encryption = c.Shown;
        int shown = -1;
        Dialogs.OnModal([&](QDialog& d) {
            auto* combo = Find<QComboBox>(d, "cboEncryption");
            QStringList texts;
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
            EXPECT_EQ(texts, items);
            shown = combo->currentIndex();
            combo->setCurrentIndex(c.Chosen);
            return int(QDialog::Accepted);
        });
        ASSERT_TRUE(Form.EditSiteDialog(site, "Edit site", true));
        EXPECT_EQ(shown, c.Shown);
        EXPECT_EQ(site.Encryption, c.Chosen);
    }
}

// Implicit TLS has a port of its own; the note says so only while the
// address leaves the port open.
TEST_F(SiteSettingsDialogTest, ImplicitPortNoteFollowsTheChoiceAndTheAddress)
{
    const struct {
        TSiteEncryption Encryption;
        const char* Address;
        bool Shown;
    } cases[] = {
        {enImplicit, " ftp.example.org: ", true},
        {enImplicit, "[::1]:2990", false},
        {enRequireExplicit, "ftp.example.org", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Address);
        TSiteSettings site = AnonymousSite();
        site.Address = c.Address;
        site.Encryption = c.Encryption;
        Dialogs.OnModal([&](QDialog& d) {
            auto* note = Find<QLabel>(d, "lblImplicitPort");
            EXPECT_EQ(note->isVisible(), c.Shown);
            // Typing a port, or leaving implicit TLS, takes the note away.
            Find<QLineEdit>(d, "edSiteAddress")->setText("ftp.example.org:21");
            EXPECT_FALSE(note->isVisible());
            Find<QLineEdit>(d, "edSiteAddress")->setText("ftp.example.org");
            Find<QComboBox>(d, "cboEncryption")->setCurrentIndex(enImplicit);
            EXPECT_TRUE(note->isVisible());
            Find<QComboBox>(d, "cboEncryption")->setCurrentIndex(enPlainOnly);
            EXPECT_FALSE(note->isVisible());
            return int(QDialog::Rejected);
        });
        EXPECT_FALSE(Form.EditSiteDialog(site, "Edit site", true));
    }
}

class LoginPromptTest : public ::testing::Test {
protected:
    TSiteSettings Site(const QString& user, const QString& password) const
    {
        TSiteSettings site;
        site.SiteName = "Mirror %2";
        site.Address = "ftp.example.org";
        site.UserName = user;
        site.Password = password;
        return site;
    }

    TScriptedDialogs Dialogs;
    TfrmPassword Form;
};

TEST_F(LoginPromptTest, StoredUserNameIsPrefilledAndThePasswordAsked)
{
    TSiteSettings site = Site("joe", "");
    Dialogs.OnModal([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "User identification");
        EXPECT_EQ(Find<QLabel>(d, "lblServerName")->text(), "Mirror %2 (ftp.example.org)");
        EXPECT_EQ(Find<QLineEdit>(d, "edUserName")->text(), "joe");
        auto* password = Find<QLineEdit>(d, "edPassword");
        EXPECT_EQ(d.focusWidget(), password);
        password->setText("secret");
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(Form.AskLogin(site));
    EXPECT_EQ(site.UserName, "joe");
    EXPECT_EQ(site.Password, "secret");
}

TEST_F(LoginPromptTest, WithoutAUserNameTheFocusStartsThereAndNoPasswordCarriesOver)
{
    TSiteSettings first = Site("joe", "");
    Dialogs.OnModal([](QDialog& d) {
        Find<QLineEdit>(d, "edPassword")->setText("typed before");
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(Form.AskLogin(first));
    EXPECT_EQ(first.Password, "");

    TSiteSettings second = Site("", "stored");
    Dialogs.OnModal([](QDialog& d) {
        EXPECT_EQ(d.focusWidget(), Find<QLineEdit>(d, "edUserName"));
        EXPECT_EQ(Find<QLineEdit>(d, "edUserName")->text(), "");
        EXPECT_EQ(Find<QLineEdit>(d, "edPassword")->text(), "");
        Find<QLineEdit>(d, "edUserName")->setText("ann");
        Find<QLineEdit>(d, "edPassword")->setText("pw");
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(Form.AskLogin(second));
    EXPECT_EQ(second.UserName, "");
    EXPECT_EQ(second.Password, "stored");
}

}  // namespace
