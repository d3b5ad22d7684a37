#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// The binary records of the settings store, byte for byte (integers are
// 32-bit little-endian), and the text-extension list's stored form.

inline constexpr const char* DefaultEmailAddress = "quilloftp@example.org";
inline constexpr qsizetype ConnectionRecordSize = 169;
inline constexpr qsizetype MainSizeRecordSize = 9;
inline constexpr qsizetype SiteListRecordSize = 12;
// ProxyAddress and EmailAddress hold at most this many bytes of UTF-8.
inline constexpr qsizetype ShortTextLimit = 75;

// Connection parameters and the anonymous password ("Connection").
struct TConnectionSettings {
    qint32 Retries = 0;      // reconnect attempts after a failed connection
    qint32 RetryDelay = 20;  // seconds between attempts
    qint32 DefaultPort = 21;
    qint32 ProxyPort = 0;
    bool UseProxy = false;
    QString ProxyAddress;
    QString EmailAddress = QString::fromLatin1(DefaultEmailAddress);

    bool operator==(const TConnectionSettings&) const = default;
};

// A text longer than ShortTextLimit bytes is cut at a character boundary.
QByteArray PackConnection(const TConnectionSettings& connection);
// False, leaving connection alone, unless record has exactly 169 bytes.
bool UnpackConnection(const QByteArray& record, TConnectionSettings& connection);

// "MainSize": width, height, maximized.
QByteArray PackMainSize(qint32 width, qint32 height, bool maximized);
bool UnpackMainSize(const QByteArray& record, qint32& width, qint32& height, bool& maximized);

// "Sitelist": width, height, selected folder index.
QByteArray PackSiteList(qint32 width, qint32 height, qint32 selection);
bool UnpackSiteList(const QByteArray& record, qint32& width, qint32& height, qint32& selection);

// The 21 extensions of text files a fresh store starts with.
QStringList DefaultTextExtensions();
// "Ext": every entry followed by CR LF. Reading ends a line at CR, LF or CR LF.
QString JoinTextExtensions(const QStringList& extensions);
QStringList SplitTextExtensions(const QString& text);
