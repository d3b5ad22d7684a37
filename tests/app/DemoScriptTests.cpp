// scripts/demo, which scripts/run --demo uses, with a stand-in for the program:
// the stand-in reaches the demo server through the link it is given, and the
// server and its sample tree are gone when the stand-in ends.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Logs in anonymously through the link, lists the root, uploads a file, and
// writes what it saw to STANDIN_OUT; ends with status 7.
const char* const StandIn = R"(#!/usr/bin/python3
import ftplib, io, os, re, sys
link = re.fullmatch(r"-URLftp://127\.0\.0\.1:(\d+)/", sys.argv[1])
ftp = ftplib.FTP()
ftp.connect("127.0.0.1", int(link.group(1)), timeout=10)
ftp.login("anonymous", "demo@example.org")
names = ftp.nlst()
ftp.storbinary("STOR uploads/new.txt", io.BytesIO(b"uploaded"))
names += ftp.nlst("uploads")
ftp.quit()
with open(os.environ["STANDIN_OUT"], "w") as out:
    out.write(link.group(1) + "\n" + "\n".join(names) + "\n")
sys.exit(7)
)";

TEST(DemoScript, ServesTheSampleTreeThroughTheLinkAndStopsWithTheProgram)
{
    QTemporaryDir dir;
    const QString standIn = dir.filePath("standin");
    QFile script(standIn);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(StandIn);
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(dir.path()).mkdir("tmp");

    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", dir.filePath("tmp"));
    environment.insert("STANDIN_OUT", dir.filePath("seen"));
    demo.setProcessEnvironment(environment);
    demo.start(QStringLiteral(QFTP_SOURCE_DIR "/scripts/demo"), {standIn});
    ASSERT_TRUE(demo.waitForFinished(60000)) << demo.readAllStandardError().toStdString();
    EXPECT_EQ(demo.exitCode(), 7) << demo.readAllStandardError().toStdString();

    QFile seenFile(dir.filePath("seen"));
    ASSERT_TRUE(seenFile.open(QIODevice::ReadOnly)) << demo.readAllStandardError().toStdString();
    const QStringList seen = QString::fromUtf8(seenFile.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(seen.isEmpty());
    for (const char* name :
         {"readme.txt", "notes.md", "picture.bin", "Folder with spaces", "nested", "new.txt"})
        EXPECT_TRUE(seen.contains(name)) << name;

    // The sample tree is private and gone; so is the server.
    EXPECT_TRUE(QDir(dir.filePath("tmp")).isEmpty());
    QTcpSocket probe;
    probe.connectToHost("127.0.0.1", seen.first().toUShort());
    EXPECT_FALSE(probe.waitForConnected(5000));
}

}  // namespace
