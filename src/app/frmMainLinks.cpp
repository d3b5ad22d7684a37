// Internet links: the link dialog, connecting to a link, the file it names
// and the unattended command-line session.
#include "app/frmMain.h"

#include "app/HelpWindow.h"
#include "app/InternetLink.h"
#include "app/StatusLog.h"
#include "app/frmURL.h"
#include "platform/Exception.h"
#include "platform/MessageBoxes.h"
#include "transfer/frmTransfer.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <utility>

void TfrmMain::actConnectToURLExecute()
{
    if (!ConfirmNewConnection()) return;
    QString link;
    bool normalLogin = false;
    if (!AskForLink(link, normalLogin)) return;
    ConfirmLinkDownload = false;  // the user typed this link
    // Already asked: an attempt that is still unwinding must not ask again.
    NewConnectionConfirmed = true;
    ConnectToLink(link, normalLogin);
    NewConnectionConfirmed = false;
}

bool TfrmMain::AskForLink(QString& link, bool& normalLogin)
{
    if (!URLDialog) {
        URLDialog = new TfrmURL(this);
        URLDialog->CenterForm = [this](QWidget& form) { CenterForm(this, form); };
        URLDialog->ShowSyntaxHelp = [this] {
            if (!HelpWindow) HelpWindow = new THelpWindow(this);
            HelpWindow->ShowTopic(QStringLiteral("URLSYNTAX"));
        };
    }
    return URLDialog->AskForLink(link, normalLogin);
}

bool TfrmMain::ConnectToLink(const QString& link, bool normalLogin)
{
    TSiteSettings site;
    QString fileName;
    if (!ParseLink(link, site, fileName)) {
        if (QuitAfterLink)
            QuitUnattended(QStringLiteral("Invalid Internet link"));
        else
            ShowMessageBox(QStringLiteral("Invalid Internet link"), true);
        return false;
    }
    if (normalLogin) {
        site.NormalLogin = true;  // whatever the link lacks, the login prompt asks
    } else if (!site.NormalLogin) {
        site.UserName = QStringLiteral("anonymous");
        site.Password = Settings().ConnectionSettings.EmailAddress;
    }
    // An unattended run has nobody to ask and nothing to stay for: a link
    // without a file, or a login it would have to ask for, ends it at once.
    if (QuitAfterLink && fileName.isEmpty()) {
        QuitUnattended(QStringLiteral("The Internet link names no file"));
        return false;
    }
    if (QuitAfterLink && (site.UserName.isEmpty() || site.Password.isEmpty())) {
        QuitUnattended(QStringLiteral("The Internet link lacks a user name or password"));
        return false;
    }
    LinkFile.Clear();
    LinkSessionOpened = false;  // a session that stands now is ended for this link
    LinkFile.Pending = !fileName.isEmpty();
    LinkFile.FileName = fileName;
    LinkFailure.clear();
    LinkFileArrived = false;
    if (ConnectToSite(site, QString())) return true;
    // With retries set, the link's file waits for the next attempt.
    if (ConnectionState == csConnecting) return true;
    EndLinkAttempts();
    return false;
}

void TfrmMain::EndLinkAttempts()
{
    // A cancelled attempt unwinding after the link's own connection was
    // queued behind it leaves the file to that connection.
    if (PendingConnect) return;
    LinkFile.Clear();
    if (!QuitAfterLink) return;
    // A refused certificate or failed encryption is named: the user can
    // then trust the certificate in a window, or change the site, and run again.
    if (!UnattendedFailure.isEmpty())
        QuitUnattended(UnattendedFailure);
    else
        QuitUnattended(QStringLiteral("Could not connect to \"%1\"").arg(CurrentSite.Address));
}

void TfrmMain::DownloadLinkFile()
{
    // Taken at once: a file left pending would be looked for on whatever
    // site the user connects to next.
    const bool pending = LinkFile.Pending;
    const QString name = LinkFile.FileName;
    LinkFile.Clear();
    if (!pending || !IsConnected()) return;
    if (!LinkFolderEntered) {
        LinkFailure = QStringLiteral("The folder \"%1\" in the Internet link could not be opened")
                          .arg(CurrentSite.RemoteStartupDir);
        LogError(LinkFailure);
        if (QuitAfterLink) DisconnectFromSite();
        return;
    }
    const int item = RemoteDir->FindItem(name, !RemoteDir->ServerIgnoresCase());
    // A folder of that name is no file to fetch.
    if (item < 0 || RemoteDir->IsDirectoryItem(item)) {
        LinkFailure = QStringLiteral("The file \"%1\" in the Internet link could not be found").arg(name);
        LogError(LinkFailure);
        if (QuitAfterLink) DisconnectFromSite();
        return;
    }
    const QString folder = LocalDir->Directory();
    if (std::exchange(ConfirmLinkDownload, false) && !QuitAfterLink) {
        // A web page must not drop files into the user's folders unasked, nor
        // a hidden one (".profile") at all: one hasty "Yes" would replace a
        // file the user never sees.
        SelectRemoteItems({name});
        if (name.startsWith(u'.')) {
            LogError(
                QStringLiteral("The hidden file \"%1\" in the Internet link is not downloaded").arg(name));
            return;
        }
        if (!AskYesNo(LinkDownloadQuestion(name, folder), false)) return;
    }
    // The download asks nothing: a file of that name is replaced only once
    // the new one is complete, so no resume or overwrite question arises.
    OpenAfterDownload.OpenMode = omNone;
    LinkTarget = name;
    LinkFileArrived = false;
    LinkDownloadRunning = true;
    if (DownloadItemTo(item, folder)) return;
    LinkDownloadRunning = false;
    LinkFailure = QStringLiteral("The file \"%1\" could not be downloaded").arg(name);
    if (QuitAfterLink) DisconnectFromSite();
}

// The question before a link from elsewhere drops a file into a folder:
// it says so when a file already there would be replaced.
QString TfrmMain::LinkDownloadQuestion(const QString& name, const QString& folder) const
{
    QString question = QStringLiteral("Download the file \"%1\" into the folder \"%2\"?").arg(name, folder);
    if (QFileInfo::exists(QDir(folder).filePath(name)))
        question += QStringLiteral("\r\nThe file of that name in the folder will be replaced.");
    return question;
}

void TfrmMain::LinkDownloadFinished()
{
    if (!LinkDownloadRunning) return;
    LinkDownloadRunning = false;
    LinkFileArrived = frmTransfer->LastJobFilesDone() > 0;
    if (!LinkFileArrived)
        LinkFailure = QStringLiteral("The file \"%1\" could not be downloaded").arg(LinkTarget);
    // The transfer window is still ending its job below us.
    if (QuitAfterLink) QTimer::singleShot(0, this, [this] { DisconnectFromSite(); });
}

void TfrmMain::EndUnattendedSession(bool sessionStood)
{
    // A failed attempt ends through ConnectToLink, without a log.
    if (!QuitAfterLink || !sessionStood) return;
    QString failure = LinkFileArrived ? QString() : LinkFailure;
    if (failure.isEmpty() && !LinkFileArrived)
        failure = QStringLiteral("The session ended before the file arrived");
    if (!LinkLogFile.isEmpty()) {
        try {
            Status->SaveLogTo(LinkLogFile);  // written beside and renamed into place
        } catch (const Exception& error) {
            if (failure.isEmpty()) failure = error.Message();
        }
    }
    QuitUnattended(failure);
}

void TfrmMain::QuitUnattended(const QString& failure)
{
    QuitAfterLink = false;  // the program ends once
    if (!failure.isEmpty()) std::fprintf(stderr, "quilloftp: %s\n", failure.toUtf8().constData());
    const int status = failure.isEmpty() ? 0 : 1;
    if (Terminate)
        Terminate(status);
    else
        QCoreApplication::exit(status);
}
