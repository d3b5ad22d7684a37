// The status log: colours, trimming, line splitting, following the newest
// line, and saving through the scripted input box.
#include "app/StatusLog.h"

#include "platform/Exception.h"
#include "support/TestFiles.h"
#include "support/dialogs/ScriptedDialogs.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class StatusLogTest : public ::testing::Test {
protected:
    StatusLogTest() { Log.Clear(); }

    TStatusLog Log;
};

TEST(StatusLogStart, OpensWithTheVersionAndWelcomeLines)
{
    TStatusLog log;
    EXPECT_EQ(log.Lines(), QStringList({"QuilloFTP 1.01 - 12.5.2000", "Welcome to QuilloFTP.",
                                        "You can connect to a site from the \"Site\"-menu."}));
    EXPECT_EQ(log.focusPolicy(), Qt::ClickFocus) << "the log is not a tab stop";
}

TEST_F(StatusLogTest, EachOperationWritesItsColour)
{
    Log.LogError("error");
    Log.LogInfo("info");
    Log.LogReply("reply");
    Log.LogSuccess("success");
    ASSERT_EQ(Log.Lines(), QStringList({"error", "info", "reply", "success"}));
    EXPECT_EQ(Log.LineColour(0), QColor(255, 0, 0));
    EXPECT_EQ(Log.LineColour(1), QColor(0, 0, 0));
    EXPECT_EQ(Log.LineColour(2), QColor(0, 0, 255));
    EXPECT_EQ(Log.LineColour(3), QColor(0, 128, 0));
}

TEST_F(StatusLogTest, TrimsBlanksAndControlCharactersAtBothEndsOnly)
{
    Log.LogInfo("   Disconnecting...  \t");
    Log.LogInfo(QString("\x01\x1b text\x7f"));
    Log.LogInfo("  two  inner  blanks ");
    EXPECT_EQ(Log.Lines(), QStringList({"Disconnecting...", "text", "two  inner  blanks"}));
}

TEST_F(StatusLogTest, SplitsSeveralLinesIntoLinesOfOneColour)
{
    Log.LogReply("230-Welcome\r\n230-to the mirror\r\n230 Login successful.\r\n");
    Log.LogSuccess("LF only\nfrom Linux\n");
    Log.LogError("a\r\n\r\n  \r\nb");  // empty and blank lines between vanish in the trim
    Log.LogInfo("bare\rCR");           // a CR alone does not break the line
    EXPECT_EQ(Log.Lines(), QStringList({"230-Welcome", "230-to the mirror", "230 Login successful.",
                                        "LF only", "from Linux", "a", "b", "bare CR"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Log.LineColour(i), LogReplyColour) << i;
    for (int i = 3; i < 5; ++i)
        EXPECT_EQ(Log.LineColour(i), LogSuccessColour) << i;
    for (int i = 5; i < 7; ++i)
        EXPECT_EQ(Log.LineColour(i), LogErrorColour) << i;
}

TEST_F(StatusLogTest, EmptyLineAfterClearStaysALine)
{
    Log.LogInfo("old");
    Log.Clear();
    EXPECT_TRUE(Log.Lines().isEmpty());
    Log.LogInfo("");
    Log.LogError("next");
    EXPECT_EQ(Log.Lines(), QStringList({"", "next"}));
    EXPECT_EQ(Log.LineColour(1), LogErrorColour);
}

TEST(StatusLogScrolling, FollowsTheNewestLineUnlessTheUserClickedIntoIt)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    auto* log = new TStatusLog(&window);
    layout->addWidget(other);
    layout->addWidget(log);
    window.resize(300, 120);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QScrollBar* bar = log->verticalScrollBar();
    for (int i = 0; i < 30; ++i)
        log->LogInfo(QString("line %1").arg(i));
    log->Flush();  // lines reach the document together, a moment later
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    QTest::mouseClick(log->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(log->hasFocus());
    bar->setValue(0);
    log->LogReply("211-Status\r\n211-of the site\r\n211 End");
    log->Flush();
    EXPECT_EQ(bar->value(), 0) << "the line the user reads stays in view";
    EXPECT_EQ(log->Lines().mid(33), QStringList({"211-Status", "211-of the site", "211 End"}));
    EXPECT_EQ(log->LineColour(35), LogReplyColour);

    QTest::mouseClick(other, Qt::LeftButton);
    ASSERT_FALSE(log->hasFocus());
    log->LogInfo("after");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() == bar->maximum(); }, 5000))
        << "the waiting line arrives by itself, and the log follows it";
}

class SaveLogTest : public StatusLogTest {
protected:
    SaveLogTest()
    {
        Log.LogInfo("first");
        Log.LogReply("226 Größe ok");
    }

    QString PathOf(const char* name) const { return Dir.filePath(QLatin1String(name)); }

    QTemporaryDir Dir;
    TScriptedDialogs Dialogs;
};

TEST_F(SaveLogTest, WritesCrLfLinesAndReplacesAnExistingFile)
{
    const QString path = PathOf("log.txt");
    ASSERT_TRUE(testfiles::Write(path, QByteArray(200, 'x')));
    Log.SaveLogTo(path);
    EXPECT_EQ(testfiles::Read(path), QString("first\r\n226 Größe ok\r\n").toUtf8());
}

TEST_F(SaveLogTest, UnwritableFileRaises)
{
    EXPECT_THROW(Log.SaveLogTo(PathOf("no/such/folder/log.txt")), Exception);
    EXPECT_THROW(Log.SaveLogTo(Dir.path()), Exception);
}

TEST_F(SaveLogTest, CommandAsksForTheNameAndSaves)
{
    QString logName = PathOf("old.txt");
    const QString entered = PathOf("new.txt");
    Dialogs.AnswerInput(entered);
    EXPECT_TRUE(SaveLogInteractively(Log, logName));
    ASSERT_EQ(Dialogs.InputsAsked.size(), 1u);
    EXPECT_EQ(Dialogs.InputsAsked[0].Caption, "QuilloFTP");
    EXPECT_EQ(Dialogs.InputsAsked[0].Prompt, "Enter the name for the log file:");
    EXPECT_EQ(logName, entered);
    EXPECT_EQ(testfiles::Read(entered), QString("first\r\n226 Größe ok\r\n").toUtf8());
    EXPECT_TRUE(Dialogs.Asked.empty());
}

TEST_F(SaveLogTest, CancelKeepsTheNameAndWritesNothing)
{
    QString logName = PathOf("kept.txt");
    Dialogs.CancelInput();
    EXPECT_FALSE(SaveLogInteractively(Log, logName));
    EXPECT_EQ(logName, PathOf("kept.txt"));
    EXPECT_TRUE(QDir(Dir.path()).isEmpty());
    EXPECT_TRUE(Dialogs.Asked.empty());
}

TEST_F(SaveLogTest, FailureShowsTheErrorBoxAndKeepsTheEnteredName)
{
    QString logName = PathOf("old.txt");
    const QString entered = PathOf("missing/log.txt");
    Dialogs.AnswerInput(entered);
    EXPECT_FALSE(SaveLogInteractively(Log, logName));
    EXPECT_EQ(logName, entered);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Kind, bkMessage);
    EXPECT_EQ(Dialogs.Asked[0].Text, "An error occurred while saving the log file");
    EXPECT_TRUE(Dialogs.Asked[0].Alert);
    EXPECT_EQ(Log.Lines(), QStringList({"first", "226 Größe ok"})) << "the log is unaffected";
}

}  // namespace
