#pragma once
#include <QByteArray>
#include <QSettings>
#include <QString>

// Reading the settings store: a value that is missing, unreadable or of the
// wrong kind gives the default, silently.
int ReadIntDef(const QSettings& store, const QString& name, int defaultValue);
QString ReadStrDef(const QSettings& store, const QString& name, const QString& defaultValue);
// The bytes of a binary value; empty when missing or not binary.
QByteArray ReadBinary(const QSettings& store, const QString& name);

// Opens the store file for writing, creating it and its folder when missing.
// False when that is impossible.
bool OpenOrCreateStore(const QString& fileName);

// QSettings reads UTF-8 only and drops what follows invalid bytes, so lines an
// older program wrote in Windows-1252 are rewritten as UTF-8 before reading.
void ConvertLegacyText(const QString& fileName);
