#pragma once
#include <QByteArray>
#include <QString>

// One FTP site: what is needed to connect to it and which directories to
// open there. Only Comments may hold line breaks: each of its lines ends in CR LF.
// The longest site name the site dialog takes; a rename in place keeps to it
// too, so the site list file always holds what it writes.
inline constexpr int SiteNameLimit = 100;

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

    // Copies all eight fields; from nullptr it does nothing.
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
