#pragma once
#include "net/FtpClient.h"

// The FTP client that can continue an interrupted download or upload from a
// byte offset. The inherited operations are used unchanged: the transferred
// part goes through a temporary file, and "REST" is slipped into the command
// sequence from the status stream, at the moment the transfer command is
// about to be reported, so the server sees "PORT", "REST", then "RETR"/"STOR".
class TResumableFtp : public TFtpClient {
public:
    explicit TResumableFtp(QObject* owner = nullptr);

    // Levels below 2 are ignored: internal steps reported during a resumed
    // transfer would arrive while ReplyCode still holds an earlier code and
    // send "REST" too early.
    void SetReportLevel(qint32 level) override;

    // The user's status handler; every status text reaches it after the
    // resume logic has seen it. (Hides the inherited handler on purpose.)
    TOnStatus OnStatus;

    bool ResumeActive = false;
    bool RestPending = false;
    qint64 RestOffset = 0;
    QString TempFileName;

    // The local file holds the first offset bytes; fetch the rest.
    void ResumeDownload(const QString& localPath, const QByteArray& remoteName, qint64 offset);
    // The server's file holds the first offset bytes; send the rest.
    void ResumeUpload(const QString& localPath, const QByteArray& remoteName, qint64 offset);

    // The folder of the temporary files, ending in "/".
    static QString TemporaryDirectory();

private:
    void StatusHook(QObject* sender, const QString& text);
    void EndResume();
    static void AppendFrom(QFile& source, QFile& target, qint64 position);
};
