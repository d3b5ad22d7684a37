// The site list window: moving sites and folders by cut and paste (with
// undo) and by drag and drop.
#include "platform/MessageBoxes.h"
#include "sites/SitesModel.h"
#include "sites/frmSiteList.h"

#include <QListView>

namespace {

void ReportRenamedMove(const QString& kind, const QString& oldName, const QString& newName)
{
    ShowMessageBox(QStringLiteral("Destination folder already contains the %1 \"%2\".\r\n"
                                  "Moved %1 was renamed, the new name is: \"%3\"")
                       .arg(kind, oldName, newName),
                   true);
}

}  // namespace

void TfrmSiteList::actCutExecute()
{
    if (CutPending) UndoMove();
    CutPending = true;
    PendingMove = TDragDropData{ActivePane == apFolders ? mkFolder : mkSites, SelectedFolder(), {}};
    CutItems(PendingMove);
    UpdateActions();
}

void TfrmSiteList::actPasteExecute()
{
    if (!CutPending) return;
    PasteItems(PendingMove, SelectedFolder());
    CutPending = false;
    ListChanged();
}

void TfrmSiteList::actUndoExecute()
{
    if (!CutPending) return;
    UndoMove();
    CutPending = false;
    SelectFolder(PendingMove.SourceFolder);
    ListChanged();
}

void TfrmSiteList::UndoMove()
{
    if (PendingMove.MoveKind == mkSites) {
        PasteItems(PendingMove, PendingMove.SourceFolder);
    } else if (PendingMove.SourceFolder) {
        PendingMove.SourceFolder->Cut = false;
        Folders->Model().FolderChanged(PendingMove.SourceFolder);
    }
}

void TfrmSiteList::EndMoveFrom(TSiteFolder* folder)
{
    // Cut sites go back into their folder and go with it; a cut folder
    // inside it stops being cut.
    if (!CutPending || !PendingMove.SourceFolder || !PendingMove.SourceFolder->IsInside(folder)) return;
    UndoMove();
    CutPending = false;
    PendingMove.SourceFolder = nullptr;
}

void TfrmSiteList::CutItems(TDragDropData& move)
{
    if (!move.SourceFolder) return;
    if (move.MoveKind == mkFolder) {
        move.SourceFolder->Cut = true;
        Folders->Model().FolderChanged(move.SourceFolder);
        return;
    }
    QList<int> rows;
    for (const QModelIndex& index : Sites->selectionModel()->selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QList<TSiteData>& sites = move.SourceFolder->Settings.Sites;
    for (int row : rows)
        move.CutSites.append(sites.at(row));
    for (auto row = rows.crbegin(); row != rows.crend(); ++row)
        sites.removeAt(*row);
    SitesModel->Refresh();
    Sites->clearSelection();
}

void TfrmSiteList::PasteItems(TDragDropData& move, TSiteFolder* destination)
{
    if (move.MoveKind == mkFolder) {
        PasteFolder(move, destination);
        return;
    }
    if (!destination) return;
    destination->Settings.Paste(move.CutSites, [](const QString& oldName, const QString& newName) {
        ReportRenamedMove(QStringLiteral("site"), oldName, newName);
    });
    move.CutSites.clear();
    if (destination == SelectedFolder()) SitesModel->Refresh();
}

void TfrmSiteList::PasteFolder(TDragDropData& move, TSiteFolder* destination)
{
    TSiteFolder* source = move.SourceFolder;
    if (source) {
        source->Cut = false;
        Folders->Model().FolderChanged(source);
    }
    if (!source || !destination) {
        ShowMessageBox(QStringLiteral("Invalid move operation source data"), true);
    } else if (destination == source || destination == source->Parent()) {
        ShowMessageBox(QStringLiteral("Destination folder is the same as the source folder"), true);
    } else if (destination->IsInside(source)) {
        ShowMessageBox(QStringLiteral("Destination folder cannot be a sub-folder of the source folder"),
                       true);
    } else {
        if (destination->ChildNamed(source->Name)) {
            const QString oldName = source->Name;
            source->Name = destination->UniqueChildName(oldName);
            Folders->Model().FolderChanged(source);
            ReportRenamedMove(QStringLiteral("folder"), oldName, source->Name);
        }
        Folders->Model().MoveFolder(source, destination);
        Folders->expand(Folders->Model().IndexOf(destination));
    }
}

void TfrmSiteList::FoldersDragDrop(bool fromSites, TSiteFolder* target)
{
    TSiteFolder* selected = SelectedFolder();
    // The first folder stays where it is, as it cannot be cut.
    if (!selected || !target || (!fromSites && selected->IsRoot)) return;
    // A move of its own: a pending cut stays as it is.
    TDragDropData move{fromSites ? mkSites : mkFolder, selected, {}};
    CutItems(move);
    PasteItems(move, target);
    ListChanged();
}
