#include "sites/SiteListFormat.h"

#include "platform/StoredText.h"

#include <QtEndian>

namespace {

void AppendInt(QByteArray& bytes, qint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

void AppendRecord(QByteArray& bytes, const TFolderSettings& record)
{
    AppendInt(bytes, record.Count());
    for (const TSiteData& site : record.Sites) {
        AppendInt(bytes, qint32(site.SiteText().size()));
        bytes += site.SiteText();
    }
}

// The extras block, or nothing when no site has extras. An entry too long
// to be read back is left out rather than make the reader refuse them all.
QByteArray ExtrasBlock(const QList<TFolderSettings>& records)
{
    QByteArray entries;
    qint32 count = 0;
    for (qsizetype folder = 0; folder < records.size(); ++folder) {
        const QList<TSiteData>& sites = records.at(folder).Sites;
        for (qsizetype site = 0; site < sites.size(); ++site) {
            const QByteArray& extras = sites.at(site).Extras();
            if (extras.isEmpty() || extras.size() > MaxSiteExtrasLength) continue;
            AppendInt(entries, qint32(folder));
            AppendInt(entries, qint32(site));
            AppendInt(entries, qint32(extras.size()));
            entries += extras;
            ++count;
        }
    }
    if (count == 0) return {};
    QByteArray block(SiteExtrasMagic, sizeof SiteExtrasMagic - 1);
    AppendInt(block, count);
    return block + entries;
}

// The lines of a tree text, without their ends.
QList<QByteArray> TreeLines(QByteArray text)
{
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0) text.truncate(nul);
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        lines.append(text.sliced(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}

}  // namespace

QByteArray TreeText(const TSiteFolder& top)
{
    QByteArray text;
    for (const TSiteFolder* folder : top.Descendants())
        text += QByteArray(folder->Level(), '\t') + EncodeStored(folder->Name) + "\r\n";
    return text;
}

QByteArray EncodeSiteList(const TSiteFolder& top,
                          const std::function<TFolderSettings(const TSiteFolder&)>& recordOf)
{
    const QByteArray tree = TreeText(top);
    QByteArray bytes;
    AppendInt(bytes, qint32(tree.size()));
    bytes += tree;
    QList<TFolderSettings> records;
    for (const TSiteFolder* folder : top.Descendants())
        records.append(recordOf ? recordOf(*folder) : folder->Settings);
    for (const TFolderSettings& record : records)
        AppendRecord(bytes, record);
    return bytes + ExtrasBlock(records);
}

bool BuildFolderTree(const QByteArray& text, TSiteFolder& top, TSiteFolder*& last, QString& error)
{
    last = nullptr;
    int count = 0;
    for (const QByteArray& line : TreeLines(text)) {
        if (++count > MaxFolderCount) {
            error = QStringLiteral("More than %1 folders").arg(MaxFolderCount);
            return false;
        }
        int level = 0;
        while (level < line.size() && (line[level] == '\t' || line[level] == ' '))
            ++level;
        auto folder = std::make_unique<TSiteFolder>(DecodeStored(line.sliced(level)));
        // A line's level is measured against the depth of the folder before
        // it, so the first line is a top-level folder however it is indented.
        const int lastLevel = last ? last->Level() : 0;
        if (!last) {
            last = top.AddChild(std::move(folder));
        } else if (level == lastLevel) {
            last = last->Parent()->AddChild(std::move(folder));
        } else if (level == lastLevel + 1) {
            last = last->AddChild(std::move(folder));
        } else if (level < lastLevel) {
            TSiteFolder* ancestor = last->Parent();
            while (ancestor->Level() > level)
                ancestor = ancestor->Parent();
            last = ancestor->Parent()->AddChild(std::move(folder));
        } else {
            error = QStringLiteral("Invalid level (%1) for item \"%2\"").arg(level).arg(folder->Name);
            return false;
        }
    }
    return true;
}

void TSiteListReader::Read(const QByteArray& file, TSiteFolder& top)
{
    File = file;
    Position = 0;
    FDamageReported = false;
    FRemoveCorruptedData = false;
    // A file too short for its first length holds no list and is no damage.
    if (File.size() < 4) return;
    ReadTree(top);
    const std::vector<TSiteFolder*> folders = top.Descendants();
    for (TSiteFolder* folder : folders) {
        if (FRemoveCorruptedData) break;
        if (!ReadFolder(*folder)) Corrupted(folder);
    }
    // The sites' extras, if any, follow the folder records (the layout is
    // described in SiteListFormat.h). Anything else there is damage: a
    // zeroed tree length or a wrong site count leaves bytes unread, and the
    // list would otherwise load short with no word of it. A damaged block
    // only costs the extras: the sites themselves are read by then.
    if (!FRemoveCorruptedData && Position < File.size() && !ReadExtras(folders))
        Corrupted(folders.empty() ? nullptr : folders.back());
}

void TSiteListReader::Corrupted(TSiteFolder* folder)
{
    // One question per load: answering No must not bring it back for every
    // folder after the damage.
    if (FDamageReported) return;
    FDamageReported = true;
    if (OnFileError) OnFileError(feRead);
    if (OnCorruptedFile && OnCorruptedFile(folder)) FRemoveCorruptedData = true;
}

void TSiteListReader::ReadTree(TSiteFolder& top)
{
    qint32 length = 0;
    TakeInt(length);
    if (length == 0) return;
    QByteArray text;
    TSiteFolder* last = nullptr;
    QString error;
    // A negative length reads nothing and fails where it stands.
    const bool ok = length > 0 && Take(length, text) && BuildFolderTree(text, top, last, error);
    if (!ok) Corrupted(last);
}

bool TSiteListReader::ReadFolder(TSiteFolder& folder)
{
    qint32 count = 0;
    if (!TakeInt(count) || count < 0) return false;
    for (qint32 i = 0; i < count; ++i) {
        qint32 length = 0;
        QByteArray text;
        if (!TakeInt(length) || length < 0 || length > MaxSiteTextLength || !Take(length, text)) return false;
        // Sites read before a failure stay.
        folder.Settings.Sites.append(TSiteData(text));
    }
    return true;
}

bool TSiteListReader::ReadExtras(const std::vector<TSiteFolder*>& folders)
{
    const QByteArrayView magic(SiteExtrasMagic, sizeof SiteExtrasMagic - 1);
    QByteArray bytes;
    if (!Take(magic.size(), bytes) || bytes != magic) return false;
    qint32 count = 0;
    if (!TakeInt(count) || count <= 0) return false;
    struct TEntry {
        TSiteData* Site;
        QByteArray Extras;
    };
    std::vector<TEntry> entries;
    for (qint32 i = 0; i < count; ++i) {
        qint32 folder = -1;
        qint32 site = -1;
        qint32 length = -1;
        if (!TakeInt(folder) || !TakeInt(site) || !TakeInt(length)) return false;
        if (folder < 0 || size_t(folder) >= folders.size() || site < 0 ||
            site >= folders[size_t(folder)]->Settings.Count() || length <= 0 ||
            length > MaxSiteExtrasLength || !Take(length, bytes))
            return false;
        entries.push_back({&folders[size_t(folder)]->Settings.Sites[site], bytes});
    }
    if (Position != File.size()) return false;
    for (const TEntry& entry : entries)
        entry.Site->SetExtras(entry.Extras);
    return true;
}

bool TSiteListReader::Take(qsizetype count, QByteArray& bytes)
{
    const qsizetype available = qMin(count, File.size() - Position);
    bytes = File.sliced(Position, available);
    Position += available;
    return available == count;
}

bool TSiteListReader::TakeInt(qint32& value)
{
    QByteArray raw;
    if (!Take(4, raw)) return false;
    value = qFromLittleEndian<qint32>(raw.constData());
    return true;
}
