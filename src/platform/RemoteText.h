#pragma once
#include <QByteArray>
#include <QString>

// Remote names and protocol text are bytes. The program shows them as UTF-8,
// but a name that is not valid UTF-8 must still go back to the server byte
// for byte. DecodeRemote maps each byte of an invalid sequence to a lone low
// surrogate U+DC80+byte (valid UTF-8 never decodes to one), and EncodeRemote
// maps those back, so EncodeRemote(DecodeRemote(b)) == b for any bytes b.
QString DecodeRemote(const QByteArray& bytes);
QByteArray EncodeRemote(const QString& text);
