#pragma once
#include "net/FtpClient.h"

#include <QTemporaryDir>

// The FTP client that can continue an interrupted download or upload from a
// byte offset. The inherited operations are used unchanged: the transferred
// part goes through a temporary file in a folder of the client's own, and
// "REST" goes out once "PORT" has been answered, right before the transfer
// command, so the server sees "PORT", "REST", then "RETR"/"STOR".
class TResumableFtp : public TFtpClient {
public:
    explicit TResumableFtp(QObject* owner = nullptr);

    // Levels below 2 are ignored, so the log always shows the protocol.
    void SetReportLevel(qint32 level) override;

    // The user's status handler; every status text reaches it after the
    // resume logic has seen it. (Hides the inherited handler on purpose.)
    TOnStatus OnStatus;

    bool ResumeActive = false;
    bool RestPending = false;
    qint64 RestOffset = 0;
    QString TempFileName;

    // The local file holds the first offset bytes; fetch the rest. A missing
    // or shorter local file fails before anything is sent. With wholeSize
    // (the size a listing gave) a binary download that ends short fails.
    void ResumeDownload(const QString& localPath, const QByteArray& remoteName, qint64 offset,
                        qint64 wholeSize = -1);
    // The server's file holds the first offset bytes; send the rest.
    void ResumeUpload(const QString& localPath, const QByteArray& remoteName, qint64 offset);

    // The client's own folder for temporary files (mode 0700, made on first
    // use in the system's temporary folder, removed with the client), ending
    // in "/".
    QString TemporaryDirectory();

protected:
    void BeforeTransferCommand(TCmdType type) override;

private:
    void StatusHook(QObject* sender, const QString& text);
    void BeginResume(qint64 offset);
    QString TemporaryFileFor(const QString& localPath, const QByteArray& remoteName);
    void EndResume();
    static void AppendFrom(QFile& source, QFile& target, qint64 position);

    std::unique_ptr<QTemporaryDir> FPrivateFolder;
};
