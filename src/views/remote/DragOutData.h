#pragma once
#include <QMimeData>
#include <QUrl>
#include <functional>
#include <optional>

// What a drag out of the remote pane carries: the mark of the program's own
// item drags (the other pane asks the source view for its selection), and,
// for a desktop file manager, the dragged items as local files
// ("text/uri-list"). Those exist only once downloaded, so they are fetched
// when a drop target first asks for them (a drop on the other pane never
// does) and kept for the rest of the drag.
class TDragOutData : public QMimeData {
    Q_OBJECT
public:
    // The local paths of the dragged items, downloaded; empty when they
    // cannot be had.
    using TFetch = std::function<QStringList()>;

    explicit TDragOutData(TFetch fetch);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    QList<QUrl> Urls() const;

    TFetch FFetch;
    mutable std::optional<QList<QUrl>> FUrls;
    // A target asking again from inside the download's own waits gets
    // nothing rather than a second download.
    mutable bool FFetching = false;
};
