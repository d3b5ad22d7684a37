#pragma once
#include "sites/DataTreeView.h"
#include "sites/SiteSettings.h"

#include <QIcon>
#include <QWidget>
#include <functional>

class QAction;
class QListView;
class QMenu;
class QToolBar;
class TSettings;
class TSitesModel;
class TfrmSiteSettings;

// What the site list window needs of the main window.
struct TSiteListHost {
    // Connects to a site; folderName is the caption of its folder.
    std::function<bool(const TSiteSettings& site, const QString& folderName)> ConnectToSite;
    // Places a form over the main window.
    std::function<void(QWidget& form)> CenterForm;
    // The main window's status bar text (empty: cleared).
    std::function<void(const QString& text)> ShowStatus;
    // The program's images by name (see ActionIcon).
    std::function<QIcon(const QString& name)> Icon;
};

// The site list window: folders on the left, the sites of the selected
// folder on the right; sites and folders are made, renamed, edited,
// deleted, moved (cut and paste, drag and drop), found and connected to.
// It lives as long as the program and is hidden, never closed. Every change
// of the list is written to the file at once.
class TfrmSiteList : public QWidget {
    Q_OBJECT
public:
    // Loads the list from fileName.
    TfrmSiteList(TSettings& settings, TSiteListHost host, const QString& fileName, QWidget* parent = nullptr);
    // Writes the list unless SaveSiteList(true) did, and keeps the window's
    // size and selected folder in the settings.
    ~TfrmSiteList() override;

    enum TActivePane { apFolders, apSites };
    enum TMoveKind { mkFolder, mkSites };
    struct TDragDropData {
        TMoveKind MoveKind = mkSites;
        TSiteFolder* SourceFolder = nullptr;
        QList<TSiteData> CutSites;
    };

    TDataTreeView* Folders;
    QListView* Sites;
    QToolBar* tbrSiteList;
    QMenu* pmnSiteList;
    QAction* actAddFolder;
    QAction* actAddSite;
    QAction* actRenameItem;
    QAction* actEditSite;
    QAction* actDeleteItem;
    QAction* actConnect;
    QAction* actExit;
    QAction* actFindFirst;
    QAction* actFindNext;
    QAction* actCut;
    QAction* actPaste;
    QAction* actUndo;

    TActivePane ActivePane = apFolders;
    bool CutPending = false;
    TDragDropData PendingMove;
    QString SearchText;

    // For the main window.
    // Adds site to folder through the site dialog; false when cancelled or
    // failed. The site's name is then the one it was stored under.
    bool AddSite(TSiteSettings& site, TSiteFolder* folder);
    bool EditSiteDialog(TSiteSettings& site, const QString& caption, bool showPasswordNote);
    // Connects to the first site named siteName in the first folder (in tree
    // order) named folderName that holds one; false when there is none.
    bool ConnectByName(const QString& folderName, const QString& siteName);
    // Ends a pending cut as Undo would and writes the list if it changed;
    // final marks the list as saved for good (the program is closing).
    void SaveSiteList(bool final);
    TSiteFolder* SelectedFolder() const;
    TSiteFolder* FirstFolder() const;
    void SelectFolder(TSiteFolder* folder);

    // Drag and drop onto a folder: sites from the site pane, or the selected folder.
    void FoldersDragDrop(bool fromSites, TSiteFolder* target);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building and life (frmSiteList.cpp).
    void CreateActions();
    void CreateToolbarAndMenu();
    void CreatePanes();
    void LoadSiteList();
    void RestoreSelection();
    QAction* NewAction(const char* name, const QString& caption, const QString& hint, const QKeySequence& key,
                       const char* icon, void (TfrmSiteList::*handler)());
    bool IsEditing() const;
    void UpdateActions();
    void FoldersChange();
    void EnterPane(TActivePane pane);
    TSiteFolder* FocusedSiteFolder(int& row) const;
    void FocusSite(int row);
    void ListChanged();
    void FoldersFileError(TFileError error);
    bool FoldersCorruptedFile();
    TFolderSettings FoldersWriteData(const TSiteFolder& folder) const;
    void actExitExecute();
    void actConnectExecute();
    void ConnectSite(TSiteFolder* folder, int row);
    void actFindFirstExecute();
    void actFindNextExecute();
    bool FindSite(const QString& text, TSiteFolder* start);

    // Making, renaming, editing and deleting (frmSiteListEdit.cpp).
    void actAddFolderExecute();
    void actAddSiteExecute();
    void actEditSiteExecute();
    void actRenameItemExecute();
    void actDeleteItemExecute();
    void DeleteSites();
    void DeleteFolder();
    bool FoldersEdited(TSiteFolder* folder, const QString& name);
    bool SitesEdited(int row, const QString& name);

    // Moving (frmSiteListMove.cpp).
    void actCutExecute();
    void actPasteExecute();
    void actUndoExecute();
    void CutItems(TDragDropData& move);
    void PasteItems(TDragDropData& move, TSiteFolder* destination);
    void PasteFolder(TDragDropData& move, TSiteFolder* destination);
    void UndoMove();
    // Before a folder goes: a pending move from inside it ends.
    void EndMoveFrom(TSiteFolder* folder);

    TSettings& Settings;
    TSiteListHost Host;
    TSitesModel* SitesModel;
    TfrmSiteSettings* SiteSettingsDialog = nullptr;
    bool SavedFinal = false;
};
