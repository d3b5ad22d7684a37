#pragma once
#include "sites/SiteFolder.h"

#include <QByteArray>
#include <QString>
#include <functional>

// The site list file: a 32-bit little-endian length and the tree text (one
// line per folder in pre-order: a TAB per level, the name, CR LF), then one
// record per folder in the same order (a site count, and per site a length
// and its stored text). Names are written as UTF-8 and read as UTF-8, or as
// Windows-1252 where they are not valid UTF-8.
//
// After the last folder record may follow the extras block, which holds
// what a site's stored text has no field for (its Extras):
// SiteExtrasMagic, an entry count, and per entry the folder's index (in the
// order of the tree text), the site's index in that folder's record, a
// length and the extras text. Only sites with extras have an entry, and a
// list without any is written without the block, exactly in the old layout.
// A reader of the old layout stops after the last folder record and never
// sees the block; the entries follow the site by its place in the records,
// which a rename or a move rewrites, so the extras stay with their site.

enum TFileError { feCreate, feOpen, feRead, feWrite, feTooLarge };

// The longest site text read. The site dialog allows 5,715 characters with
// the separators, and none takes more than three bytes in UTF-8 (a character
// outside the 16-bit range is two units of the dialog's limit and four
// bytes), so 3 x 5,715 covers every text the program can write, and every
// 8-bit text of an older list (at most 5,701 bytes) written again as UTF-8.
inline constexpr qint32 MaxSiteTextLength = 3 * 5715;

// The most folders read from one file. Real lists hold dozens, but one byte
// per line makes a folder, so a small damaged or crafted file could
// otherwise build millions of them.
inline constexpr int MaxFolderCount = 100000;

inline constexpr char SiteExtrasMagic[] = "QFTPEXT1";  // 8 bytes, no terminator in the file
// The longest extras text of one site: a few short "key=value" lines.
inline constexpr qint32 MaxSiteExtrasLength = 4096;

QByteArray TreeText(const TSiteFolder& top);

// The whole file. recordOf gives the folder record to write for a folder
// (by default its sites as they are).
QByteArray EncodeSiteList(const TSiteFolder& top,
                          const std::function<TFolderSettings(const TSiteFolder&)>& recordOf = {});

// Builds the folders of a tree text under top, which is empty. Lines end at
// CR LF, CR or LF, a NUL ends the text; a line's level is its number of
// leading TABs or blanks. False on a line more than one level deeper than
// the folder before or beyond MaxFolderCount lines, with the folders built so far left in place and last
// set to the last of them (nullptr when none).
bool BuildFolderTree(const QByteArray& text, TSiteFolder& top, TSiteFolder*& last, QString& error);

// Reads a whole file into top, asking the caller about damage as it goes.
class TSiteListReader {
public:
    // Told of every failure, before the question.
    std::function<void(TFileError error)> OnFileError;
    // Asked after the first failure with the folder it hit (nullptr: none
    // built yet); true removes the corrupted data: every later folder of this
    // load stays empty. False goes on with the next folder from where the
    // data stands; later failures of the same load are not reported again.
    // Bytes left over after the last folder are damage too.
    std::function<bool(TSiteFolder* corrupted)> OnCorruptedFile;

    void Read(const QByteArray& file, TSiteFolder& top);

    bool DamageReported() const { return FDamageReported; }
    bool RemoveCorruptedData() const { return FRemoveCorruptedData; }

private:
    void Corrupted(TSiteFolder* folder);
    void ReadTree(TSiteFolder& top);
    bool ReadFolder(TSiteFolder& folder);
    // All or nothing: a block that does not read to its end in one piece
    // gives no site any extras.
    bool ReadExtras(const std::vector<TSiteFolder*>& folders);
    // Takes count bytes; a short read takes what is there and fails.
    bool Take(qsizetype count, QByteArray& bytes);
    bool TakeInt(qint32& value);

    QByteArray File;
    qsizetype Position = 0;
    bool FDamageReported = false;
    bool FRemoveCorruptedData = false;
};
