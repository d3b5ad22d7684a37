#include "net/FtpFeatures.h"

#include "net/FtpReply.h"

TFtpFeatures TFtpFeatures::FromReply(const QByteArrayList& reply)
{
    TFtpFeatures features;
    // Only "211" lists features; a 5xx says there are none, and a one-line
    // "211" says so too (RFC 2389, 3.2).
    if (reply.size() < 3 || FtpReply::CodeOf(reply.first()) != 211) return features;
    for (qsizetype i = 1; i + 1 < reply.size(); ++i) {
        const QByteArray& line = reply[i];
        // A feature line begins with a space; anything else is the server's
        // prose, not a feature.
        if (!line.startsWith(' ')) continue;
        const QByteArray text = line.trimmed();
        if (text.isEmpty()) continue;
        const qsizetype space = text.indexOf(' ');
        const QByteArray name = (space < 0 ? text : text.left(space)).toUpper();
        if (!features.FFeatures.contains(name))
            features.FFeatures.insert(name, space < 0 ? QByteArray() : text.mid(space + 1));
    }
    return features;
}

QByteArray TFtpFeatures::MlstOptionsWithMode() const
{
    // "type*;size*;modify*;perm*;UNIX.mode;": a "*" marks what is sent.
    QByteArray options;
    bool modeOffered = false;
    for (const QByteArray& fact : Parameters("MLST").split(';')) {
        if (fact.isEmpty()) continue;
        const bool enabled = fact.endsWith('*');
        const QByteArray name = enabled ? fact.chopped(1) : fact;
        if (name.compare("UNIX.mode", Qt::CaseInsensitive) == 0) {
            if (enabled) return {};
            modeOffered = true;
            options += name + ';';
        } else if (enabled) {
            options += name + ';';
        }
    }
    return modeOffered ? options : QByteArray();
}
