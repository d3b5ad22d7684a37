#pragma once
#include <QByteArray>
#include <QString>

// One site of the site list: its stored text (see SiteToText) kept byte for
// byte as it was read or made, and the name it is shown, sorted and compared
// by: the text before the first CR LF (empty when the text has none).
class TSiteData {
public:
    explicit TSiteData(const QByteArray& siteText = {});

    const QByteArray& SiteText() const { return FSiteText; }
    const QString& Name() const { return FName; }
    void SetSiteText(const QByteArray& siteText);
    // The site's settings that its stored text has no field for (see
    // SiteToExtras); they travel with the site when it is renamed or moved.
    const QByteArray& Extras() const { return FExtras; }
    void SetExtras(const QByteArray& extras) { FExtras = extras; }
    // Replaces the first line of the text; the other fields stay as stored.
    void Rename(const QString& name);

private:
    QByteArray FSiteText;
    QString FName;
    QByteArray FExtras;
};
