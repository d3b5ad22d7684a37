#pragma once
#include <QByteArray>
#include <QProcess>
#include <QStringList>

// One run of the built ftpbench program, bounded in time.
struct BenchRun {
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

inline BenchRun RunFtpBench(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(QFTP_FTPBENCH), arguments);
    BenchRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(5000);
        run.Err = "ftpbench did not finish in time";
        return run;
    }
    run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = process.readAllStandardOutput();
    run.Err = process.readAllStandardError();
    return run;
}
