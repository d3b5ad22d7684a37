// The site list window: new folders and sites, renaming in place, editing a
// site and deleting.
#include "platform/MessageBoxes.h"
#include "sites/SitesModel.h"
#include "sites/frmSiteList.h"
#include "sites/frmSiteSettings.h"

#include <QListView>

namespace {

QString AlreadyContains(const QString& kind, const QString& name)
{
    return QStringLiteral("Parent folder already contains the %1 \"%2\", object wasn't renamed")
        .arg(kind, name);
}

// A name with a leading blank or TAB would read back at another level of the
// tree text, one with CR or LF as several folders.
bool StorableFolderName(const QString& name)
{
    const bool leadingSpace = name.startsWith(QLatin1Char(' ')) || name.startsWith(QLatin1Char('\t'));
    return !leadingSpace && !name.contains(QLatin1Char('\r')) && !name.contains(QLatin1Char('\n'));
}

}  // namespace

void TfrmSiteList::actAddFolderExecute()
{
    TSiteFolder* parent = SelectedFolder();
    if (!parent) return;
    Folders->Model().AddFolder(parent, parent->UniqueChildName(QStringLiteral("New folder")));
    if (parent->IsRoot) Folders->expand(Folders->Model().IndexOf(parent));
    ListChanged();
}

void TfrmSiteList::actAddSiteExecute()
{
    TSiteSettings site;
    site.SiteName = QStringLiteral("New site");
    site.NormalLogin = true;
    AddSite(site, SelectedFolder());
}

bool TfrmSiteList::AddSite(TSiteSettings& site, TSiteFolder* folder)
{
    if (!folder) return false;
    if (site.SiteName.isEmpty()) site.SiteName = QStringLiteral("Unnamed site");
    const QString unique = folder->Settings.UniqueName(site.SiteName);
    site.SiteName = unique;
    if (!EditSiteDialog(site, QStringLiteral("Settings for the site \"%1\"").arg(unique), true)) return false;
    if (folder->Settings.Contains(site.SiteName)) {
        ShowMessageBox(AlreadyContains(QStringLiteral("site"), site.SiteName), true);
        site.SiteName = unique;
    }
    TSiteData data(SiteToText(site));
    data.SetExtras(SiteToExtras(site));
    folder->Settings.Sites.append(data);
    folder->Settings.Sort();
    if (folder == SelectedFolder()) {
        SitesModel->Refresh();
        Sites->setCurrentIndex(SitesModel->index(folder->Settings.IndexOf(site.SiteName)));
    }
    ListChanged();
    return true;
}

bool TfrmSiteList::EditSiteDialog(TSiteSettings& site, const QString& caption, bool showPasswordNote)
{
    if (!SiteSettingsDialog) {
        SiteSettingsDialog = new TfrmSiteSettings(this);
        if (Host.CenterForm) SiteSettingsDialog->CenterForm = Host.CenterForm;
    }
    return SiteSettingsDialog->EditSiteDialog(site, caption, showPasswordNote);
}

void TfrmSiteList::actEditSiteExecute()
{
    int row = -1;
    TSiteFolder* folder = FocusedSiteFolder(row);
    if (!folder) return;
    TSiteSettings site = SiteOf(folder->Settings.Sites.at(row));
    const QString oldName = site.SiteName;
    if (!EditSiteDialog(site, QStringLiteral("Settings for the site \"%1\"").arg(oldName), true)) return;
    const int holder = folder->Settings.IndexOf(site.SiteName);
    if (!SameName(site.SiteName, oldName) && holder >= 0 && holder != row) {
        ShowMessageBox(AlreadyContains(QStringLiteral("site"), site.SiteName), true);
        site.SiteName = oldName;
    }
    TSiteData& data = folder->Settings.Sites[row];
    data.SetSiteText(SiteToText(site));
    data.SetExtras(SiteToExtras(site, data.Extras()));
    SitesModel->SiteChanged(row);
    ListChanged();
}

void TfrmSiteList::actRenameItemExecute()
{
    if (ActivePane == apSites) {
        if (Sites->currentIndex().isValid()) Sites->edit(Sites->currentIndex());
        return;
    }
    const TSiteFolder* folder = SelectedFolder();
    if (!folder) return;
    if (folder->IsRoot) {
        ShowMessageBox(QStringLiteral("This folder cannot be renamed"), true);
        return;
    }
    Folders->edit(Folders->currentIndex());
}

bool TfrmSiteList::FoldersEdited(TSiteFolder* folder, const QString& name)
{
    bool accepted = false;
    if (SameName(name, folder->Name)) {
        accepted = true;
    } else if (!StorableFolderName(name)) {
        ShowMessageBox(QStringLiteral("A folder name cannot begin with a blank or a tab or contain a line "
                                      "break, the folder wasn't renamed"),
                       true);
    } else if (folder->Parent()->ChildNamed(name)) {
        ShowMessageBox(AlreadyContains(QStringLiteral("folder"), name), true);
    } else {
        accepted = true;
    }
    if (accepted) {
        folder->Name = name;
        Folders->Model().FolderChanged(folder);
        if (folder == SelectedFolder()) setWindowTitle(QStringLiteral("Site list - ") + name);
    }
    Folders->Model().SortChildren(folder->Parent());
    if (accepted) ListChanged();
    return accepted;
}

bool TfrmSiteList::SitesEdited(int row, const QString& name)
{
    TFolderSettings* folder = SitesModel->Folder();
    if (SameName(name, folder->Sites.at(row).Name())) return false;
    if (name.size() > SiteNameLimit) {
        ShowMessageBox(
            QStringLiteral("A site name can be at most %1 characters long, the site wasn't renamed")
                .arg(SiteNameLimit),
            true);
        return false;
    }
    if (folder->Contains(name)) {
        ShowMessageBox(AlreadyContains(QStringLiteral("site"), name), true);
        return false;
    }
    folder->Sites[row].Rename(name);
    SitesModel->SiteChanged(row);
    SitesModel->Sort();
    ListChanged();
    return true;
}

void TfrmSiteList::actDeleteItemExecute()
{
    if (ActivePane == apSites)
        DeleteSites();
    else
        DeleteFolder();
}

void TfrmSiteList::DeleteSites()
{
    TFolderSettings* folder = SitesModel->Folder();
    QList<int> rows;
    for (const QModelIndex& index : Sites->selectionModel()->selectedIndexes())
        rows.append(index.row());
    if (!folder || rows.isEmpty()) return;
    std::sort(rows.begin(), rows.end());
    const QString what = rows.size() == 1
                             ? QStringLiteral("site \"%1\"?").arg(folder->Sites.at(rows.first()).Name())
                             : QStringLiteral("%1 sites?").arg(rows.size());
    if (!AskYesNo(QStringLiteral("Are you sure you want to delete ") + what, false)) return;
    for (auto row = rows.crbegin(); row != rows.crend(); ++row)
        folder->Sites.removeAt(*row);
    SitesModel->Refresh();
    if (folder->Count() == 0) {
        Folders->setFocus();
        EnterPane(apFolders);
    }
    ListChanged();
}

void TfrmSiteList::DeleteFolder()
{
    TSiteFolder* folder = SelectedFolder();
    if (!folder || folder->IsRoot) return;
    if (CutPending && PendingMove.MoveKind == mkFolder && PendingMove.SourceFolder == folder) {
        if (!AskOkCancel(QStringLiteral("The folder to be deleted is the source folder in a folder move "
                                        "operation.\r\nIf the folder is deleted, the operation will be "
                                        "cancelled.\r\nAre you sure you want to delete this folder?"),
                         false))
            return;
    } else if (!AskYesNo(QStringLiteral("Are you sure you want to delete folder \"%1\" and its contents?")
                             .arg(folder->Name),
                         false)) {
        return;
    }
    EndMoveFrom(folder);
    // The site pane must not show a folder that is going.
    SitesModel->SetFolder(nullptr);
    Folders->Model().RemoveFolder(folder);
    FoldersChange();
    ListChanged();
}
