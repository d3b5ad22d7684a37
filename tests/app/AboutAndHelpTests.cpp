// The About box, the help window with its pages, and the action images.
#include "app/ActionIcons.h"
#include "app/HelpWindow.h"
#include "app/StatusLog.h"
#include "app/frmAbout.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {

class AboutBoxTest : public ::testing::Test {
protected:
    AboutBoxTest()
    {
        About.OpenUrl = [this](const QUrl& url) { Opened.push_back(url); };
    }

    template <class T>
    T* Find(const char* name)
    {
        T* child = About.findChild<T*>(QLatin1String(name));
        if (!child) ADD_FAILURE() << "no control " << name;
        return child;
    }

    TfrmAbout About;
    std::vector<QUrl> Opened;
};

TEST_F(AboutBoxTest, DescriptionStartsWithTheVersionLine)
{
    const QStringList lines = Find<QPlainTextEdit>("memProgramDescription")->toPlainText().split('\n');
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[0], "QuilloFTP 1.01 - 12.5.2000");
    EXPECT_EQ(lines[0], ProgramVersionLine()) << "the log and the About box agree";
    EXPECT_EQ(lines[1], "");
    EXPECT_FALSE(Find<QLabel>("imgProgramIcon")->pixmap().isNull());
}

TEST_F(AboutBoxTest, LinksOpenThroughTheDesktop)
{
    auto* mail = Find<QLabel>("lblEmail");
    auto* web = Find<QLabel>("lblWebAddress");
    About.ShowAbout();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&About));
    QTest::mouseClick(mail, Qt::RightButton);
    EXPECT_TRUE(Opened.empty()) << "only the left button follows a link";
    QTest::mouseClick(mail, Qt::LeftButton);
    QTest::mouseClick(web, Qt::LeftButton);
    ASSERT_EQ(Opened.size(), 2u);
    EXPECT_EQ(Opened[0], QUrl("mailto:" + mail->text()));
    EXPECT_EQ(Opened[1].scheme(), "http");
    EXPECT_EQ(Opened[1], QUrl(web->text()));
}

TEST_F(AboutBoxTest, ShowsCentredWithoutBlockingAndOkOrEscHides)
{
    QWidget* centred = nullptr;
    About.CenterForm = [&](QWidget* form) { centred = form; };
    About.ShowAbout();
    EXPECT_EQ(centred, &About);
    EXPECT_TRUE(About.isVisible());
    EXPECT_FALSE(About.isModal());
    auto* ok = Find<QPushButton>("btnOK");
    EXPECT_TRUE(ok->isDefault());
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(About.isVisible());

    About.ShowAbout();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&About));
    QTest::keyClick(&About, Qt::Key_Escape);
    EXPECT_FALSE(About.isVisible());
}

TEST_F(AboutBoxTest, F1AsksForItsHelpContext)
{
    int asked = 0;
    About.ShowHelp = [&](int context) { asked = context; };
    About.ShowAbout();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&About));
    QTest::keyClick(&About, Qt::Key_F1);
    EXPECT_EQ(asked, 2);
}

// --- help ------------------------------------------------------------------------------

QString PageText(const QUrl& page)
{
    QFile file(QLatin1Char(':') + page.path());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

TEST(HelpPages, ContextsAndTopicsMapToTheirPages)
{
    THelpWindow window;  // registers the pages
    const struct {
        QUrl Page;
        const char* File;
    } table[] = {
        {HelpPageForContext(hcContents), "contents.html"},
        {HelpPageForContext(hcAbout), "about.html"},
        {HelpPageForContext(hcMainWindow), "mainwindow.html"},
        {HelpPageForContext(hcDirectoryPanes), "panes.html"},
        {HelpPageForContext(hcOptions), "options.html"},
        {HelpPageForContext(hcOptionsTextFiles), "options.html#textfiles"},
        {HelpPageForContext(99), "contents.html"},
        {HelpPageForTopic("URLSYNTAX"), "urlsyntax.html"},
        {HelpPageForTopic("urlsyntax"), "contents.html"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.Page, QUrl(QStringLiteral("qrc:/help/") + row.File)) << row.File;
        EXPECT_FALSE(PageText(row.Page).isEmpty()) << row.File << " is not in the resources";
    }
    EXPECT_TRUE(PageText(HelpPageForContext(hcDirectoryPanes)).contains("Backspace"));
    EXPECT_TRUE(PageText(HelpPageForTopic("URLSYNTAX"))
                    .contains("[ftp://][username[:password]@]site.address[/directory[/file]]"));
}

// A broken link in the help is a dead end for the reader: every link of every
// page must lead to a page (and anchor) that exists.
TEST(HelpPages, EveryLinkLeadsToAnExistingPage)
{
    THelpWindow window;
    const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    const QUrl contents = HelpPageForContext(hcContents);
    QStringList pages{contents.toString()};
    for (int i = 0; i < pages.size(); ++i) {
        const QUrl page(pages[i]);
        const QString text = PageText(page);
        ASSERT_FALSE(text.isEmpty()) << page.toString().toStdString();
        EXPECT_TRUE(text.contains("<title>")) << page.toString().toStdString();
        for (const auto& match : href.globalMatch(text)) {
            const QUrl target = page.resolved(QUrl(match.captured(1)));
            ASSERT_EQ(target.scheme(), "qrc") << match.captured(1).toStdString();
            EXPECT_FALSE(PageText(target).isEmpty()) << target.toString().toStdString();
            if (target.hasFragment()) {
                EXPECT_TRUE(PageText(target).contains("name=\"" + target.fragment() + "\""))
                    << target.toString().toStdString();
            }
            const QString bare = target.adjusted(QUrl::RemoveFragment).toString();
            if (!pages.contains(bare)) pages << bare;
        }
    }
    EXPECT_GE(pages.size(), 8) << "every page is reachable from the contents";
}

TEST(HelpWindowTest, ShowsTheRequestedPage)
{
    THelpWindow window;
    window.ShowContext(hcDirectoryPanes);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.CurrentPage(), HelpPageForContext(hcDirectoryPanes));
    auto* browser = window.findChild<QTextBrowser*>("txtHelp");
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->toPlainText().contains("Ctrl+A"));

    window.ShowTopic("URLSYNTAX");
    EXPECT_EQ(window.CurrentPage(), HelpPageForTopic("URLSYNTAX"));
    EXPECT_TRUE(window.windowTitle().contains("Internet links"));
    auto* back = window.findChild<QPushButton*>("btnBack");
    ASSERT_TRUE(back->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(window.CurrentPage(), HelpPageForContext(hcDirectoryPanes));
}

// --- images ----------------------------------------------------------------------------

bool HasPaint(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > 0) return true;
    return false;
}

TEST(ActionIconsTest, EveryImageDrawsAtMenuAndToolbarSize)
{
    const QStringList names = ActionIconNames();
    EXPECT_EQ(names.size(), 31);
    for (const QString& name : names) {
        const QIcon icon = ActionIcon(name);
        ASSERT_FALSE(icon.isNull()) << name.toStdString();
        for (int size : {16, 24}) {
            const QPixmap pixmap = icon.pixmap(size, size);
            EXPECT_EQ(pixmap.size(), QSize(size, size)) << name.toStdString();
            EXPECT_TRUE(HasPaint(pixmap)) << name.toStdString() << " at " << size;
        }
    }
    EXPECT_TRUE(ActionIcon("no-such-image").isNull());
    EXPECT_TRUE(HasPaint(ProgramIcon().pixmap(32, 32)));
}

}  // namespace
