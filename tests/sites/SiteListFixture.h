#pragma once
// What the site list tests share: file bytes made by hand, a window on a
// file of its own, and the list written as one line per folder.
#include "settings/Settings.h"
#include "sites/SiteListFormat.h"
#include "sites/frmSiteList.h"
#include "support/TestFiles.h"
#include "support/dialogs/ScriptedDialogs.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>

inline QByteArray Int32(qint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    return QByteArray(raw, 4);
}

// A folder record: the count, then each text with its length.
inline QByteArray Record(const QByteArrayList& sites)
{
    QByteArray bytes = Int32(qint32(sites.size()));
    for (const QByteArray& site : sites)
        bytes += Int32(qint32(site.size())) + site;
    return bytes;
}

inline QByteArray FileBytes(const QByteArray& tree, const QByteArrayList& records)
{
    return Int32(qint32(tree.size())) + tree + records.join();
}

// "name[site,site]" per folder in tree order, a TAB per level.
inline QString Outline(const TSiteFolder& top)
{
    QStringList lines;
    for (const TSiteFolder* folder : top.Descendants()) {
        QStringList sites;
        for (const TSiteData& site : folder->Settings.Sites)
            sites.append(site.Name());
        lines.append(QString(folder->Level(), u'\t') + folder->Name + u'[' + sites.join(u',') + u']');
    }
    return lines.join(u'\n');
}

// The outline of what a file holds, read without questions.
inline QString FileOutline(const QByteArray& bytes)
{
    TSiteFolder top;
    TSiteListReader reader;
    reader.Read(bytes, top);
    return Outline(top);
}

class SiteListTest : public ::testing::Test {
protected:
    QString FileName() const { return Dir.filePath(QStringLiteral("Sites.dat")); }
    QByteArray OnDisk() const { return testfiles::Read(FileName()); }
    void Open() { Window = NewWindow(); }
    std::unique_ptr<TfrmSiteList> NewWindow()
    {
        TSiteListHost host;
        host.ConnectToSite = [this](const TSiteSettings& site, const QString& folder) {
            Connected.append({site, folder});
            return true;
        };
        return std::make_unique<TfrmSiteList>(Settings, host, FileName());
    }
    QString Shown() const { return Outline(Window->Folders->Model().Top()); }
    // The folder at this path of names ("A/B").
    TSiteFolder* Folder(const QString& path) const
    {
        TSiteFolder* folder = &Window->Folders->Model().Top();
        for (const QString& name : path.split(u'/'))
            folder = folder ? folder->ChildNamed(name) : nullptr;
        EXPECT_TRUE(folder) << path.toStdString();
        return folder;
    }
    QStringList AskedTexts() const
    {
        QStringList texts;
        for (const TBoxRequest& request : Dialogs.Asked)
            texts.append(request.Text);
        return texts;
    }

    QTemporaryDir Dir;
    TScriptedDialogs Dialogs;
    TSettings Settings{Dir.filePath(QStringLiteral("store.ini"))};
    QList<std::pair<TSiteSettings, QString>> Connected;
    std::unique_ptr<TfrmSiteList> Window;
};

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
