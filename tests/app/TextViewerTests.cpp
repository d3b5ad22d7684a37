// The program's own text viewer: what it shows and how find moves.
#include "app/TextViewer.h"
#include "support/TestFiles.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(TextViewer, ShowsUtf8OrOlderEightBitTextAndRefusesWhatItCannotRead)
{
    QTemporaryDir dir;
    const struct {
        const char* Name;
        QByteArray Bytes;
        QString Shown;
    } cases[] = {
        {"utf8.txt", "caf\xc3\xa9\n", QStringLiteral("caf\u00e9\n")},
        {"cp1252.txt", "caf\xe9 \x80\n", QStringLiteral("caf\u00e9 \u20ac\n")},
        {"crlf.txt", "a\r\nb\r\n", QStringLiteral("a\nb\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = dir.filePath(QLatin1String(c.Name));
        ASSERT_TRUE(testfiles::Write(path, c.Bytes));
        TTextViewer viewer;
        ASSERT_TRUE(viewer.LoadFile(path));
        EXPECT_EQ(viewer.memText->toPlainText(), c.Shown);
        EXPECT_EQ(viewer.windowTitle(), QLatin1String(c.Name) + QStringLiteral(" - QuilloFTP"));
        EXPECT_TRUE(viewer.memText->isReadOnly());
    }
    TTextViewer viewer;
    EXPECT_FALSE(viewer.LoadFile(dir.filePath("missing.txt")));
}

TEST(TextViewer, FindGoesOnFromTheLastPlaceAndRoundTheEnd)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    ASSERT_TRUE(testfiles::Write(path, "alpha Beta\nbeta gamma\n"));
    TTextViewer viewer;
    ASSERT_TRUE(viewer.LoadFile(path));
    viewer.show();
    viewer.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer, 5000)) << "shortcuts reach an active window only";
    QTest::keySequence(&viewer, QKeySequence::Find);
    EXPECT_TRUE(viewer.panFind->isVisible()) << "Ctrl+F opens the find bar";
    viewer.edFind->setText("beta");
    // Forward twice, round to the first, then back round to the last.
    const struct {
        bool Backward;
        int Start;
    } steps[] = {{false, 6}, {false, 11}, {false, 6}, {true, 11}};
    for (const auto& step : steps) {
        ASSERT_TRUE(viewer.FindNext(step.Backward));
        EXPECT_EQ(viewer.memText->textCursor().selectionStart(), step.Start);
    }
    QTest::keyClick(viewer.memText, Qt::Key_F3);
    EXPECT_EQ(viewer.memText->textCursor().selectionStart(), 6) << "F3 finds the next";
    viewer.edFind->setText("delta");
    EXPECT_FALSE(viewer.FindNext());
    EXPECT_EQ(viewer.lblFindResult->text(), "Not found");
    EXPECT_EQ(viewer.memText->textCursor().selectionStart(), 6) << "the last find stays selected";
}

}  // namespace
