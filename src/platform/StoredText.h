#pragma once
#include <QByteArray>
#include <QString>

// Texts the program stores (site texts, settings strings) are written as
// UTF-8. Older stores hold 8-bit Windows-1252 text, so reading takes bytes
// that are valid UTF-8 as UTF-8 and anything else as Windows-1252.
QString DecodeStored(const QByteArray& bytes);
QByteArray EncodeStored(const QString& text);
