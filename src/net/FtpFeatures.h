#pragma once
#include <QByteArray>
#include <QByteArrayList>
#include <QMap>

// What a server announced in its answer to "FEAT" (RFC 2389): each feature
// by its upper-cased name, with its parameters as sent ("MLST" keeps its
// fact list, "type*;size*;modify*;"). Empty for a server that has no "FEAT".
class TFtpFeatures {
public:
    // reply: every line of the answer, the first and the last included.
    static TFtpFeatures FromReply(const QByteArrayList& reply);

    bool Has(const QByteArray& name) const { return FFeatures.contains(name.toUpper()); }
    // The parameters of a feature; empty when it has none or is not offered.
    QByteArray Parameters(const QByteArray& name) const { return FFeatures.value(name.toUpper()); }
    qsizetype Count() const { return FFeatures.size(); }

private:
    QMap<QByteArray, QByteArray> FFeatures;
};
