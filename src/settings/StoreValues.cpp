#include "settings/StoreValues.h"

#include "platform/StoredText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

int ReadIntDef(const QSettings& store, const QString& name, int defaultValue)
{
    // The INI file keeps integers as text; within one run they stay numbers.
    const QVariant value = store.value(name);
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        bool ok = false;
        const int number = value.toString().toInt(&ok);
        return ok ? number : defaultValue;
    }
    default: return defaultValue;
    }
}

QString ReadStrDef(const QSettings& store, const QString& name, const QString& defaultValue)
{
    const QVariant value = store.value(name);
    return value.typeId() == QMetaType::QString ? value.toString() : defaultValue;
}

QByteArray ReadBinary(const QSettings& store, const QString& name)
{
    const QVariant value = store.value(name);
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

bool OpenOrCreateStore(const QString& fileName)
{
    if (!QDir().mkpath(QFileInfo(fileName).absolutePath())) return false;
    QFile file(fileName);
    return file.open(QIODevice::ReadWrite);
}

void ConvertLegacyText(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray original = file.readAll();
    file.close();
    QList<QByteArray> lines = original.split('\n');
    for (QByteArray& line : lines)
        line = EncodeStored(DecodeStored(line));
    const QByteArray converted = lines.join('\n');
    if (converted == original) return;
    QSaveFile out(fileName);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(converted);
        out.commit();
    }
}
