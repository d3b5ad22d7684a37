#pragma once
#include <QByteArray>
#include <QString>

// Small file helpers shared by the tests that move files around.
namespace testfiles {

// Pseudo-random bytes from a logged seed, so a failure can be replayed.
QByteArray SeededBytes(qsizetype size, quint32 seed);
// The file's bytes, or "<missing>" when it cannot be read.
QByteArray Read(const QString& path);
// Creates or replaces the file; false when that fails.
bool Write(const QString& path, const QByteArray& bytes);

}  // namespace testfiles
