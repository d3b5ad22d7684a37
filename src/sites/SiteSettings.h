#pragma once
#include "sites/SiteData.h"

#include <QByteArray>
#include <QString>

// One FTP site: what is needed to connect to it and which directories to
// open there. Only Comments may hold line breaks: each of its lines ends in CR LF.
// The longest site name the site dialog takes; a rename in place keeps to it
// too, so the site list file always holds what it writes.
inline constexpr int SiteNameLimit = 100;

// How a site's data connections open: as the settings say, or its own way.
enum TDataConnection : quint8 { dcDefault, dcPassive, dcActive };

// Whether and how a site's sessions are encrypted with TLS.
enum TSiteEncryption : quint8 {
    enExplicitIfAvailable,  // "AUTH TLS"; plain FTP when the server refuses it
    enRequireExplicit,      // "AUTH TLS" or no session
    enImplicit,             // TLS from the first byte (port 990 unless the address names one)
    enPlainOnly,            // never encrypted
};

class TSiteSettings {
public:
    QString SiteName;
    QString Address;
    QString UserName;
    QString Password;  // kept and stored in plain text
    QString Comments;
    QString LocalStartupDir;
    QString RemoteStartupDir;
    bool NormalLogin = false;  // false: anonymous login
    TDataConnection DataConnection = dcDefault;
    bool ForceList = false;  // listings use "LIST" even where "MLSD" is offered
    TSiteEncryption Encryption = enExplicitIfAvailable;

    // Copies every field; from nullptr it does nothing.
    void Assign(const TSiteSettings* source);
    bool operator==(const TSiteSettings&) const = default;
};

// The stored text of a site (UTF-8): name, address, login type ("1" normal,
// "0" anonymous), user name, password, local and remote start-up directory,
// each followed by CR LF, then the comments. A CR LF inside one of the first
// seven fields would shift every later field, so it is stored as a blank.
QByteArray SiteToText(const TSiteSettings& site);

// Reads a stored text. A login type that is not a number means anonymous, any
// number but 0 normal. Where a separator is missing, the field takes the rest
// of the text and the later fields stay empty. 8-bit texts of older site
// lists are read as Windows-1252.
TSiteSettings TextToSite(const QByteArray& text);

// The settings the stored text has no field for, as lines "key=value" (UTF-8,
// each ending in CR LF); a setting at its default has no line. Lines of
// previous with keys this program does not know are kept after them, so a
// later version's settings survive an edit here.
QByteArray SiteToExtras(const TSiteSettings& site, const QByteArray& previous = {});

// Reads those lines into site. An unknown key, a line without "=" or a value
// that is not one of the key's own reads as nothing: the setting keeps its default.
void ExtrasToSite(const QByteArray& extras, TSiteSettings& site);

// A site of the site list: its stored text and its extras read together.
TSiteSettings SiteOf(const TSiteData& data);
