#pragma once
#include "sites/SiteFolderModel.h"
#include "sites/SiteListFile.h"

#include <QTreeView>
#include <functional>
#include <memory>

// The folder tree of the site list, which reads its folders and their sites
// from the site list file and writes them back there.
class TDataTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit TDataTreeView(QWidget* parent = nullptr);

    TSiteFolderModel& Model() const { return *FModel; }
    const QString& FileName() const { return FFile->FileName(); }
    void SetFileName(const QString& fileName);
    TSiteListFile& File() const { return *FFile; }

    // Rebuilds the tree from the file. A list without folders gets the first
    // folder "QuilloFTP"; the first folder is the root either way.
    void LoadFromFile();
    // The last load answered the corruption question with Yes.
    bool RemovedCorruptedData() const { return FRemovedCorruptedData; }
    // Writes the list when it differs from what was last read or written (or
    // always, with force); true when the file holds the list.
    bool SaveToFile(bool force = false);

    std::function<void(TFileError error)> OnFileError;
    // Asked once per damage found while loading; true removes the corrupted data.
    std::function<bool(TSiteFolder* corrupted)> OnCorruptedFile;
    // The folder record to write for a folder (by default its sites).
    std::function<TFolderSettings(const TSiteFolder& folder)> OnWriteData;
    // Something dragged from this tree or from sitesView was dropped on target.
    std::function<void(bool fromSites, TSiteFolder* target)> OnDragDrop;
    void SetSitesView(QWidget* sitesView) { SitesView = sitesView; }

    bool IsEditing() const { return state() == EditingState; }
    void CancelEdit();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool Accepts(const QDropEvent* event) const;

    TSiteFolderModel* FModel;
    std::unique_ptr<TSiteListFile> FFile;
    QWidget* SitesView = nullptr;
    QByteArray Saved;  // the list as last read or written
    bool FRemovedCorruptedData = false;
};
