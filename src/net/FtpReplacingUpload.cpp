// An upload over an existing remote file. "STOR" empties the file before the
// first byte arrives, so a failed, skipped or cancelled upload straight onto
// it would destroy the user's file. The bytes go to a hidden name in the same
// folder instead, which takes the file's name once it is complete.
#include "net/FtpClient.h"

#include "net/FtpReply.h"
#include "platform/RemoteText.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

QByteArray TFtpClient::TemporaryUploadName(const QByteArray& remoteName, quint64 random)
{
    const qsizetype slash = remoteName.lastIndexOf('/');
    QByteArray base = remoteName.mid(slash + 1);
    if (base.size() > MaxTemporaryBaseLength) {
        // Cut before a whole character: a server that checks its names as
        // UTF-8 would refuse half of one.
        qsizetype cut = MaxTemporaryBaseLength;
        while (cut > 0 && (static_cast<unsigned char>(base.at(cut)) & 0xC0) == 0x80)
            --cut;
        base.truncate(cut);
    }
    return remoteName.left(slash + 1) + '.' + base + ".qftp-part-" +
           QByteArray::number(random, 16).rightJustified(16, '0');
}

void TFtpClient::StoreFileReplacing(const QString& localPath, const QByteArray& remoteName)
{
    const QByteArray name =
        remoteName.isEmpty() ? QFile::encodeName(QFileInfo(localPath).fileName()) : remoteName;
    const QByteArray temp = TemporaryUploadName(name, QRandomGenerator::system()->generate64());
    FStrandedUpload.clear();
    for (const QByteArray& command : {"STOR " + temp, "RNFR " + temp, "RNTO " + name, "DELE " + name})
        CheckCommandText(command);

    FData.CommandSent = false;
    FData.Succeeded = false;
    FHeld = {};
    FHeld.Active = true;
    try {
        StoreFile(localPath, temp);
    } catch (...) {
        FHeld = {};
        if (FData.CommandSent) RemoveTemporaryUpload(temp, false);
        throw;
    }
    const THeldOutcome upload = std::exchange(FHeld, {});
    if (upload.Failed) {
        if (FData.CommandSent) RemoveTemporaryUpload(temp, false);
        FailReplacement(upload.Line, upload.Code, upload.UnsupportedCheck);
        return;
    }
    if (!FData.Succeeded) return;  // there was no connection to upload over

    bool originalDeleted = false;
    bool placed = false;
    try {
        placed = MoveUploadIntoPlace(temp, name, originalDeleted);
    } catch (const EAbortError&) {
        // The command that was cut short may still be answered.
        AbandonUpload(temp, originalDeleted, true);
        throw;
    } catch (...) {
        AbandonUpload(temp, originalDeleted, false);
        throw;
    }
    if (!placed) {
        const QByteArray refusal = FLastReply;
        const qint16 code = FReplyCode;
        AbandonUpload(temp, originalDeleted, false);
        FailReplacement(refusal, code, false);
        return;
    }
    if (OnSuccess) OnSuccess(ctUpload);
}

void TFtpClient::AbandonUpload(const QByteArray& temp, bool originalDeleted, bool replyMayFollow) noexcept
{
    if (!originalDeleted) {
        RemoveTemporaryUpload(temp, replyMayFollow);
        return;
    }
    // The old file is gone, and the new one exists only under the temporary
    // name: removing that would lose both.
    FStrandedUpload = temp;
    try {
        ReportStatus(slProtocol, QStringLiteral("The uploaded file stays as \"%1\"").arg(DecodeRemote(temp)));
    } catch (...) {}
}

bool TFtpClient::MoveUploadIntoPlace(const QByteArray& temp, const QByteArray& name, bool& originalDeleted)
{
    FRenamingUpload = true;
    const auto done = qScopeGuard([this] { FRenamingUpload = false; });
    const TRenameResult first = QuietRename(temp, name);
    if (first == TRenameResult::Done) return true;
    // Some servers refuse to rename onto an existing name (RFC 959 leaves it
    // to them) and say so with a 5xx to "RNTO": the old file must go first.
    if (first != TRenameResult::ToRefused || FReplyCode / 100 != 5) return false;
    QuietCommand("DELE " + name);
    if (FtpReply::IsRefusal(FReplyCode, 300, 599)) return false;
    originalDeleted = true;
    return QuietRename(temp, name) == TRenameResult::Done;
}

TFtpClient::TRenameResult TFtpClient::QuietRename(const QByteArray& from, const QByteArray& to)
{
    QuietCommand("RNFR " + from);
    // 350 is the expected answer; 351 is accepted too (as RenameFile does).
    if (FtpReply::IsRefusal(FReplyCode, 352, 599)) return TRenameResult::FromRefused;
    QuietCommand("RNTO " + to);
    if (FtpReply::IsRefusal(FReplyCode, 301, 599)) return TRenameResult::ToRefused;
    return TRenameResult::Done;
}

void TFtpClient::QuietCommand(const QByteArray& command)
{
    if (!BeginOperation()) throw Exception(QStringLiteral("Not Connected"));
    DropStaleInput();
    ReportStatus(slProtocol, DecodeRemote(command));
    Transaction(command);
}

void TFtpClient::RemoveTemporaryUpload(const QByteArray& temp, bool replyMayFollow) noexcept
{
    // Best effort: whatever stopped the upload is what the caller hears about.
    try {
        if (!FConnected) return;
        // After a cancel the answer to the interrupted command may still be
        // on its way; it must not pass for the answer to "DELE".
        if (replyMayFollow || FCancelRequested) DrainAfterAbort();
        QuietCommand("DELE " + temp);
    } catch (...) {}
}

void TFtpClient::FailReplacement(const QByteArray& line, qint16 code, bool unsupportedCheck)
{
    // The handlers see the reply that ended the upload, not the clean-up's.
    FLastReply = line;
    FReplyCode = code;
    Failure(ctUpload, unsupportedCheck, line);
}
