#include "net/ResumableFtp.h"

#include <QDir>
#include <QFileInfo>
#include <exception>

namespace {

constexpr qint64 CopyChunk = 1 << 16;

[[noreturn]] void ThrowFileError(const QString& what, const QFile& file)
{
    throw Exception(QStringLiteral("%1 \"%2\". %3").arg(what, file.fileName(), file.errorString()));
}

// Copies source from its current position to its end into target.
void CopyRest(QFile& source, QFile& target)
{
    QByteArray chunk;
    for (;;) {
        chunk = source.read(CopyChunk);
        if (chunk.isEmpty()) {
            if (source.error() != QFileDevice::NoError)
                ThrowFileError(QStringLiteral("Cannot read file"), source);
            return;
        }
        if (target.write(chunk) != chunk.size()) ThrowFileError(QStringLiteral("Cannot write file"), target);
    }
}

// Whether two paths name the same file, also when one of them reaches its
// folder through a link or a "." or ".." step.
bool SameFile(const QString& a, const QString& b)
{
    if (a.compare(b, Qt::CaseInsensitive) == 0) return true;
    const QFileInfo first(a);
    const QFileInfo second(b);
    const QString folder = first.absoluteDir().canonicalPath();
    return !folder.isEmpty() && folder == second.absoluteDir().canonicalPath() &&
           first.fileName() == second.fileName();
}

}  // namespace

TResumableFtp::TResumableFtp(QObject* owner) : TFtpClient(owner)
{
    TSocketSession::OnStatus = [this](QObject* sender, const QString& text) { StatusHook(sender, text); };
}

void TResumableFtp::SetReportLevel(qint32 level)
{
    if (level < 2) return;
    TFtpClient::SetReportLevel(level);
}

QString TResumableFtp::TemporaryDirectory()
{
    if (!FPrivateFolder) {
        // A folder of our own (mkdtemp: mode 0700): names in the shared
        // temporary folder are there for anyone to guess and plant links on.
        auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quilloftp-XXXXXX"));
        if (!folder->isValid())
            throw Exception(QStringLiteral("Cannot create a temporary folder in \"%1\". %2")
                                .arg(QDir::tempPath(), folder->errorString()));
        FPrivateFolder = std::move(folder);
    }
    return FPrivateFolder->path() + QLatin1Char('/');
}

// The temporary file must never be the local file itself: the transfer
// truncates the temporary file and the clean-up deletes it.
QString TResumableFtp::TemporaryFileFor(const QString& localPath, const QByteArray& remoteName)
{
    const QString path = TemporaryDirectory() + QFile::decodeName(remoteName);
    return SameFile(path, localPath) ? path + QStringLiteral("_Tmp") : path;
}

void TResumableFtp::StatusHook(QObject* sender, const QString& text)
{
    if (OnStatus) OnStatus(sender, text);
}

void TResumableFtp::BeforeTransferCommand(TCmdType type)
{
    if (!RestPending || (type != ctDownload && type != ctUpload)) return;
    RestPending = false;
    SendCommand("REST " + QByteArray::number(RestOffset));
    // 350 (RFC 959): the next transfer starts at the marker. Anything else
    // would move the whole file to the offset.
    if (FReplyCode != 350) throw EResumeError(QStringLiteral("Resuming failed"));
}

void TResumableFtp::BeginResume(qint64 offset)
{
    ResumeActive = true;
    RestOffset = offset;
    RestPending = true;  // due right before this transfer's command
}

void TResumableFtp::EndResume()
{
    ResumeActive = false;
    RestPending = false;
}

void TResumableFtp::AppendFrom(QFile& source, QFile& target, qint64 position)
{
    // A refused transfer command leaves no temporary file: nothing arrived.
    if (!source.exists()) return;
    if (!source.isOpen() && !source.open(QIODevice::ReadOnly))
        ThrowFileError(QStringLiteral("Cannot open file"), source);
    if (!target.isOpen()) ThrowFileError(QStringLiteral("Cannot open file"), target);
    if (!target.seek(position)) ThrowFileError(QStringLiteral("Cannot write file"), target);
    CopyRest(source, target);
    if (!target.flush()) ThrowFileError(QStringLiteral("Cannot write file"), target);
}

void TResumableFtp::ResumeDownload(const QString& localPath, const QByteArray& remoteName, qint64 offset,
                                   qint64 wholeSize)
{
    CheckLocalName(remoteName);
    TempFileName = TemporaryFileFor(localPath, remoteName);
    BeginResume(offset);

    QFile local(localPath);
    QFile temp(TempFileName);
    std::exception_ptr failure;
    try {
        // The local file holds the first offset bytes; without them the gap
        // would be filled with zeros.
        if (!local.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
            ThrowFileError(QStringLiteral("Cannot open file"), local);
        if (local.size() < offset) throw EResumeError(QStringLiteral("Resuming failed"));
        // A file left over by an earlier run would otherwise be merged when
        // nothing arrives this time (a refused "REST" or "RETR").
        QFile::remove(TempFileName);
        RetrieveChecked(remoteName, TempFileName, {offset, wholeSize});
    } catch (...) {
        failure = std::current_exception();
    }
    // Whatever arrived, even before a failure, belongs after the offset.
    try {
        AppendFrom(temp, local, offset);
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    local.close();
    temp.close();
    if (QFile::exists(TempFileName)) QFile::remove(TempFileName);
    EndResume();
    if (failure) std::rethrow_exception(failure);
}

void TResumableFtp::ResumeUpload(const QString& localPath, const QByteArray& remoteName, qint64 offset)
{
    CheckLocalName(remoteName);
    TempFileName = TemporaryFileFor(localPath, remoteName);
    BeginResume(offset);
    try {
        QFile local(localPath);
        if (!local.open(QIODevice::ReadOnly)) ThrowFileError(QStringLiteral("Cannot open file"), local);
        if (offset >= local.size()) throw EResumeError(QStringLiteral("Resuming failed"));
        QFile temp(TempFileName);
        if (!temp.open(QIODevice::WriteOnly | QIODevice::Truncate))
            ThrowFileError(QStringLiteral("Cannot create file"), temp);
        if (!local.seek(offset)) ThrowFileError(QStringLiteral("Cannot read file"), local);
        CopyRest(local, temp);
    } catch (...) {
        if (QFile::exists(TempFileName)) QFile::remove(TempFileName);
        EndResume();
        throw;
    }
    try {
        StoreFile(TempFileName, remoteName);
    } catch (...) {
        QFile::remove(TempFileName);
        EndResume();
        throw;
    }
    QFile::remove(TempFileName);
    EndResume();
}
