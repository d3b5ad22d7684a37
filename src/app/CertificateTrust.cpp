#include "app/CertificateTrust.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace {

constexpr qsizetype Sha256Size = 32;

bool IsValidKey(const QString& key)
{
    return !key.isEmpty() && !key.contains(u'\n') && !key.contains(u'\r') && !key.contains(u' ');
}

}  // namespace

TCertificateTrust::TCertificateTrust(const QString& fileName) : FFileName(fileName)
{
    Load();
}

QString TCertificateTrust::Key(const QString& host, quint16 port)
{
    QString name = host.toLower();
    if (name.contains(u':') && !name.startsWith(u'[')) name = u'[' + name + u']';
    return name + u':' + QString::number(port);
}

TCertificateTrustState TCertificateTrust::Lookup(const QString& host, quint16 port,
                                                 const QByteArray& sha256) const
{
    if (!sha256.isEmpty() && SessionEntries.value(Key(host, port)) == sha256)
        return TCertificateTrustState::Trusted;
    const QByteArray stored = Stored(host, port);
    if (stored.isEmpty()) return TCertificateTrustState::Unknown;
    return stored == sha256 ? TCertificateTrustState::Trusted : TCertificateTrustState::Changed;
}

QByteArray TCertificateTrust::Stored(const QString& host, quint16 port) const
{
    return Entries.value(Key(host, port));
}

bool TCertificateTrust::Trust(const QString& host, quint16 port, const QByteArray& sha256)
{
    const QString key = Key(host, port);
    if (sha256.size() != Sha256Size || !IsValidKey(key)) return false;
    Entries.insert(key, sha256);
    return Writable && Save();
}

void TCertificateTrust::TrustForSession(const QString& host, quint16 port, const QByteArray& sha256)
{
    SessionEntries.insert(Key(host, port), sha256);
}

void TCertificateTrust::Load()
{
    QFile file(FFileName);
    if (!file.exists()) return;
    // Only a plain file: opening a FIFO put there would wait for a writer,
    // with the question (or an unattended run) hanging on it.
    if (!QFileInfo(FFileName).isFile()) {
        Writable = false;
        return;
    }
    // Read at most one byte past the limit: a larger file is refused whole,
    // never half read and then written back shorter.
    if (!file.open(QIODevice::ReadOnly)) {
        Writable = false;
        return;
    }
    const QByteArray data = file.read(MaxFileSize + 1);
    if (data.size() > MaxFileSize) {
        Writable = false;
        return;
    }
    for (const QByteArray& rawLine : data.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        const qsizetype space = line.lastIndexOf(' ');
        if (space <= 0) continue;
        const QString key = QString::fromUtf8(line.left(space).trimmed());
        const QByteArray hex = line.mid(space + 1);
        const QByteArray sha256 = QByteArray::fromHex(hex);
        // A line we did not write (a typo, a truncated fingerprint) is ignored.
        if (hex.size() != 2 * Sha256Size || sha256.size() != Sha256Size || sha256.toHex() != hex.toLower() ||
            !IsValidKey(key))
            continue;
        Entries.insert(key, sha256);
    }
}

bool TCertificateTrust::Save() const
{
    QStringList keys = Entries.keys();
    std::sort(keys.begin(), keys.end());
    QByteArray data;
    for (const QString& key : keys)
        data += key.toUtf8() + ' ' + Entries.value(key).toHex().toUpper() + '\n';
    QDir().mkpath(QFileInfo(FFileName).absolutePath());
    // Written beside and renamed into place: a crash leaves the old store whole.
    QSaveFile file(FFileName);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return file.write(data) == data.size() && file.commit();
}
