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
    // The argument of "OPTS MLST" that adds the file mode to the facts the
    // server sends anyway (RFC 3659, 7.9): "type;size;modify;UNIX.mode;".
    // Empty when the mode is sent already or not offered at all: without it
    // a listing shows no permissions and none can be changed from it.
    QByteArray MlstOptionsWithMode() const;

private:
    QMap<QByteArray, QByteArray> FFeatures;
};
