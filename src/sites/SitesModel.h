#pragma once
#include "sites/FolderSettings.h"

#include <QAbstractListModel>
#include <QIcon>
#include <functional>

// The sites of the selected folder for the site pane. It holds nothing of
// its own: each row is the folder's site at that index, named on demand.
class TSitesModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TSitesModel(QObject* parent = nullptr);

    TFolderSettings* Folder() const { return FFolder; }
    // Shows another folder's sites (nullptr: none).
    void SetFolder(TFolderSettings* folder);
    // After the folder's sites changed in number or order.
    void Refresh();
    void SiteChanged(int row);
    // Sorts the folder; the selection and an open editor follow their sites.
    void Sort();

    void SetIcon(const QIcon& icon) { SiteIcon = icon; }

    // An in-place edit ended with a new text; true when the site took it.
    std::function<bool(int row, const QString& name)> OnRename;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

private:
    TFolderSettings* FFolder = nullptr;
    QIcon SiteIcon;
};
