#include "views/remote/DragOutData.h"

#include "views/framework/FileListModel.h"

#include <QScopeGuard>

namespace {

const QString UriList = QStringLiteral("text/uri-list");

}  // namespace

TDragOutData::TDragOutData(TFetch fetch) : FFetch(std::move(fetch))
{
    setData(TFileListModel::ItemsMimeType, {});
}

QStringList TDragOutData::formats() const
{
    return {TFileListModel::ItemsMimeType, UriList};
}

bool TDragOutData::hasFormat(const QString& mimeType) const
{
    return formats().contains(mimeType);
}

QVariant TDragOutData::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (mimeType != UriList) return QMimeData::retrieveData(mimeType, type);
    const QList<QUrl> urls = Urls();
    if (urls.isEmpty()) return {};
    if (type.id() == QMetaType::QByteArray || type.id() == QMetaType::QString) {
        // RFC 2483: one URI a line, each ended by CR LF.
        QByteArray text;
        for (const QUrl& url : urls)
            text += url.toEncoded() + "\r\n";
        if (type.id() == QMetaType::QString) return QString::fromUtf8(text);
        return text;
    }
    QVariantList list;
    for (const QUrl& url : urls)
        list << url;
    return list;
}

QList<QUrl> TDragOutData::Urls() const
{
    if (FUrls) return *FUrls;
    if (FFetching || !FFetch) return {};
    FFetching = true;
    const auto done = qScopeGuard([this] { FFetching = false; });
    QList<QUrl> urls;
    for (const QString& path : FFetch())
        urls << QUrl::fromLocalFile(path);
    FUrls = urls;
    return urls;
}
