// The site list window: its parts, its life, which actions are enabled,
// connecting and finding.
#include "sites/frmSiteList.h"

#include "platform/MessageBoxes.h"
#include "settings/Settings.h"
#include "sites/SitesModel.h"
#include "sites/frmSiteSettings.h"

#include <QAction>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString Caption = QStringLiteral("Site list");

QGroupBox* NewGroup(const QString& caption, const QString& name, QWidget* view)
{
    auto* group = new QGroupBox(caption);
    group->setObjectName(name);
    group->setMinimumSize(140, 100);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(view);
    return group;
}

}  // namespace

TfrmSiteList::TfrmSiteList(TSettings& settings, TSiteListHost host, const QString& fileName, QWidget* parent)
    : QWidget(parent, Qt::Window), Settings(settings), Host(std::move(host))
{
    setObjectName(QStringLiteral("frmSiteList"));
    setWindowTitle(Caption);
    if (Host.Icon) setWindowIcon(Host.Icon(QStringLiteral("site-list")));
    CreateActions();
    CreatePanes();
    CreateToolbarAndMenu();
    Folders->SetFileName(fileName);
    LoadSiteList();
    EnterPane(apFolders);
    resize(Settings.SiteListWidth, Settings.SiteListHeight);
    if (Host.CenterForm) Host.CenterForm(*this);
    RestoreSelection();
}

TfrmSiteList::~TfrmSiteList()
{
    if (!SavedFinal) SaveSiteList(false);
    Settings.SiteListWidth = width();
    Settings.SiteListHeight = height();
    if (TSiteFolder* selected = SelectedFolder()) {
        const std::vector<TSiteFolder*> all = Folders->Model().Top().Descendants();
        Settings.SiteListSelection = qint32(std::find(all.begin(), all.end(), selected) - all.begin());
    }
    Settings.SaveSiteListSettings();
}

QAction* TfrmSiteList::NewAction(const char* name, const QString& caption, const QString& hint,
                                 const QKeySequence& key, const char* icon, void (TfrmSiteList::*handler)())
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(key);
    // "short|long": the tool tip, then the status bar text.
    const QStringList parts = hint.split(QLatin1Char('|'));
    action->setToolTip(parts.value(0, caption).remove(QLatin1Char('&')));
    action->setStatusTip(parts.value(1));
    if (icon && Host.Icon) action->setIcon(Host.Icon(QLatin1String(icon)));
    addAction(action);
    connect(action, &QAction::triggered, this, [this, handler] {
        // While a name is edited in place the keys belong to the edit; only
        // Close acts, by cancelling the edit.
        if (handler != &TfrmSiteList::actExitExecute && IsEditing()) return;
        (this->*handler)();
    });
    return action;
}

void TfrmSiteList::CreateActions()
{
    using T = TfrmSiteList;
    actAddFolder = NewAction("actAddFolder", QStringLiteral("New &folder"),
                             QStringLiteral("New folder|Creates a new folder to the current folder"),
                             QKeySequence(Qt::SHIFT | Qt::Key_Insert), "new-folder", &T::actAddFolderExecute);
    actAddSite = NewAction("actAddSite", QStringLiteral("New &site"),
                           QStringLiteral("New site|Creates a new site to the current folder"),
                           Qt::Key_Insert, "new-site", &T::actAddSiteExecute);
    actRenameItem = NewAction("actRenameItem", QStringLiteral("&Rename"),
                              QStringLiteral("Rename|Renames the selected object"), Qt::Key_F2, "rename",
                              &T::actRenameItemExecute);
    actEditSite = NewAction("actEditSite", QStringLiteral("&Edit site"),
                            QStringLiteral("Edit site|Opens the site data edit window"), Qt::Key_F4,
                            "edit-site", &T::actEditSiteExecute);
    actDeleteItem = NewAction("actDeleteItem", QStringLiteral("&Delete"),
                              QStringLiteral("Delete|Deletes the selected objects"), Qt::Key_Delete, "delete",
                              &T::actDeleteItemExecute);
    actConnect = NewAction("actConnect", QStringLiteral("&Connect"),
                           QStringLiteral("Connect to site|Connects to the selected site"), Qt::Key_F6,
                           "connect-site", &T::actConnectExecute);
    actExit = NewAction("actExit", QStringLiteral("C&lose the site list"),
                        QStringLiteral("Close the site list|Closes the site list"), Qt::Key_Escape, "close",
                        &T::actExitExecute);
    actFindFirst = NewAction(
        "actFindFirst", QStringLiteral("Find site"),
        QStringLiteral(
            "Find site|Searches the list for a site (F3 searches for the next site with the same name)"),
        QKeySequence(Qt::CTRL | Qt::Key_F), "find", &T::actFindFirstExecute);
    actFindNext = NewAction("actFindNext", QStringLiteral("Find next"), QString(), Qt::Key_F3, nullptr,
                            &T::actFindNextExecute);
    actFindNext->setEnabled(false);
    actCut = NewAction("actCut", QStringLiteral("Cut"), QString(), QKeySequence(Qt::CTRL | Qt::Key_X),
                       nullptr, &T::actCutExecute);
    actPaste = NewAction("actPaste", QStringLiteral("Paste"), QString(), QKeySequence(Qt::CTRL | Qt::Key_V),
                         nullptr, &T::actPasteExecute);
    actUndo = NewAction("actUndo", QStringLiteral("Undo"), QString(), QKeySequence(Qt::CTRL | Qt::Key_Z),
                        nullptr, &T::actUndoExecute);
}

void TfrmSiteList::CreateToolbarAndMenu()
{
    tbrSiteList = new QToolBar(this);
    tbrSiteList->setObjectName(QStringLiteral("tbrSiteList"));
    tbrSiteList->setIconSize(QSize(24, 24));
    tbrSiteList->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QAction* action :
         {actAddFolder, actAddSite, static_cast<QAction*>(nullptr), actRenameItem, actEditSite, actDeleteItem,
          static_cast<QAction*>(nullptr), actConnect, actFindFirst, actExit}) {
        if (action)
            tbrSiteList->addAction(action);
        else
            tbrSiteList->addSeparator();
    }
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, tbrSiteList);

    pmnSiteList = new QMenu(this);
    pmnSiteList->setObjectName(QStringLiteral("pmnSiteList"));
    pmnSiteList->addAction(actConnect);
    pmnSiteList->setDefaultAction(actConnect);
    pmnSiteList->addSeparator();
    pmnSiteList->addActions({actRenameItem, actEditSite, actDeleteItem});
    pmnSiteList->addSeparator();
    pmnSiteList->addActions({actAddSite, actAddFolder});
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(Folders), static_cast<QAbstractItemView*>(Sites)}) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& pos) { pmnSiteList->popup(view->viewport()->mapToGlobal(pos)); });
    }
}

void TfrmSiteList::CreatePanes()
{
    Folders = new TDataTreeView;
    Folders->setObjectName(QStringLiteral("Folders"));
    if (Host.Icon)
        Folders->Model().SetIcons(
            Host.Icon(QStringLiteral("folder")), Host.Icon(QStringLiteral("folder-open")),
            Host.Icon(QStringLiteral("sites-root")), Host.Icon(QStringLiteral("sites-root-open")));
    Folders->Model().OnRename = [this](TSiteFolder* folder, const QString& name) {
        return FoldersEdited(folder, name);
    };
    Folders->OnFileError = [this](TFileError error) { FoldersFileError(error); };
    Folders->OnCorruptedFile = [this](TSiteFolder*) { return FoldersCorruptedFile(); };
    Folders->OnWriteData = [this](const TSiteFolder& folder) { return FoldersWriteData(folder); };
    Folders->OnDragDrop = [this](bool fromSites, TSiteFolder* target) { FoldersDragDrop(fromSites, target); };
    connect(Folders->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { FoldersChange(); });

    SitesModel = new TSitesModel(this);
    if (Host.Icon) SitesModel->SetIcon(Host.Icon(QStringLiteral("site")));
    SitesModel->OnRename = [this](int row, const QString& name) { return SitesEdited(row, name); };
    Sites = new QListView;
    Sites->setObjectName(QStringLiteral("Sites"));
    Sites->setModel(SitesModel);
    Sites->setViewMode(QListView::ListMode);
    Sites->setFlow(QListView::TopToBottom);
    Sites->setWrapping(true);
    Sites->setResizeMode(QListView::Adjust);
    Sites->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Sites->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Sites->setDragEnabled(true);
    Sites->setDragDropMode(QAbstractItemView::DragOnly);
    Folders->SetSitesView(Sites);

    for (QWidget* view : {static_cast<QWidget*>(Folders), static_cast<QWidget*>(Sites), Sites->viewport()})
        view->installEventFilter(this);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("splSiteList"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(NewGroup(QStringLiteral("Folders"), QStringLiteral("grpFolders"), Folders));
    splitter->addWidget(NewGroup(QStringLiteral("Sites"), QStringLiteral("grpSites"), Sites));
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(splitter, 1);
}

void TfrmSiteList::LoadSiteList()
{
    Folders->File().OnChangedOnDisk = [this] {
        return AskYesNo(QStringLiteral("The site list file \"%1\" has been changed by another program since "
                                       "it was read.\r\nDo you want to replace it with this site list?")
                            .arg(Folders->FileName()),
                        true);
    };
    Folders->File().OnDamagedCopy = [](const QString& copy) {
        ShowMessageBox(QStringLiteral("The damaged site list file was kept as \"%1\".").arg(copy), false);
    };
    if (Host.ShowStatus) Host.ShowStatus(QStringLiteral("Loading the site list..."));
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    Folders->LoadFromFile();
    QGuiApplication::restoreOverrideCursor();
    if (Host.ShowStatus) Host.ShowStatus(QString());
    if (Folders->RemovedCorruptedData()) Folders->SaveToFile(true);
}

void TfrmSiteList::RestoreSelection()
{
    const std::vector<TSiteFolder*> all = Folders->Model().Top().Descendants();
    qint32 index = Settings.SiteListSelection;
    if (index < 0 || size_t(index) >= all.size()) index = 0;
    const QModelIndex folder = Folders->Model().IndexOf(all.at(size_t(index)));
    Folders->scrollTo(folder);
    Folders->expand(folder);
    Folders->setCurrentIndex(folder);
}

void TfrmSiteList::FoldersFileError(TFileError error)
{
    static const char* const texts[] = {
        "Failed to create the site list file", "Failed to open the site list file",
        "An error occurred while reading site list file", "An error occurred while writing to site list file",
        "The site list file is larger than 16 MB, far more than any site "
        "list holds: it was not read and will not be replaced"};
    ShowMessageBox(QLatin1String(texts[error]), true);
}

bool TfrmSiteList::FoldersCorruptedFile()
{
    return AskYesNo(QStringLiteral("The file that contains the site list has been corrupted\r\n"
                                   "Remove corrupted data?"),
                    true);
}

TFolderSettings TfrmSiteList::FoldersWriteData(const TSiteFolder& folder) const
{
    // Sites cut and not yet pasted are written where Undo would put them.
    TFolderSettings record = folder.Settings;
    if (CutPending && PendingMove.MoveKind == mkSites && PendingMove.SourceFolder == &folder)
        record.Paste(PendingMove.CutSites);
    return record;
}

void TfrmSiteList::SaveSiteList(bool final)
{
    if (final) SavedFinal = true;
    if (CutPending) {
        UndoMove();
        CutPending = false;
    }
    Folders->SaveToFile();
}

void TfrmSiteList::ListChanged()
{
    Folders->SaveToFile();
    UpdateActions();
}

// --- selection and enabled actions ---------------------------------------------

TSiteFolder* TfrmSiteList::SelectedFolder() const
{
    return Folders->Model().Folder(Folders->currentIndex());
}

TSiteFolder* TfrmSiteList::FirstFolder() const
{
    return Folders->Model().FirstFolder();
}

void TfrmSiteList::SelectFolder(TSiteFolder* folder)
{
    const QModelIndex index = Folders->Model().IndexOf(folder);
    Folders->setCurrentIndex(index);
    Folders->scrollTo(index);
}

bool TfrmSiteList::IsEditing() const
{
    return Folders->IsEditing() || Sites->indexWidget(Sites->currentIndex()) != nullptr;
}

void TfrmSiteList::UpdateActions()
{
    const TSiteFolder* selected = SelectedFolder();
    const bool rootLocked = ActivePane == apFolders && selected && selected->IsRoot;
    const bool hasSites = SitesModel->rowCount() > 0;
    const bool emptyList = ActivePane == apSites && !hasSites;
    actConnect->setEnabled(ActivePane == apSites && hasSites);
    actEditSite->setEnabled(ActivePane == apSites && hasSites);
    for (QAction* action : {actRenameItem, actDeleteItem, actCut})
        action->setEnabled(!rootLocked && !emptyList);
}

void TfrmSiteList::FoldersChange()
{
    TSiteFolder* folder = SelectedFolder();
    SitesModel->SetFolder(folder ? &folder->Settings : nullptr);
    setWindowTitle(folder ? Caption + QStringLiteral(" - ") + folder->Name : Caption);
    UpdateActions();
}

void TfrmSiteList::EnterPane(TActivePane pane)
{
    ActivePane = pane;
    if (pane == apSites && !Sites->currentIndex().isValid() && SitesModel->rowCount() > 0)
        Sites->setCurrentIndex(SitesModel->index(0));
    UpdateActions();
}

TSiteFolder* TfrmSiteList::FocusedSiteFolder(int& row) const
{
    TSiteFolder* folder = SelectedFolder();
    row = Sites->currentIndex().row();
    return folder && row >= 0 && row < folder->Settings.Count() ? folder : nullptr;
}

void TfrmSiteList::FocusSite(int row)
{
    const QModelIndex index = SitesModel->index(row);
    Sites->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    Sites->scrollTo(index);
    Sites->setFocus();
    EnterPane(apSites);
}

bool TfrmSiteList::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == Folders) EnterPane(apFolders);
        if (watched == Sites) EnterPane(apSites);
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && (watched == Folders || watched == Sites) &&
            !IsEditing()) {
            actConnect->trigger();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == Sites->viewport() && mouse->button() == Qt::LeftButton &&
            Sites->indexAt(mouse->position().toPoint()).isValid()) {
            EnterPane(apSites);
            actConnect->trigger();
            return true;
        }
        break;
    }
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

bool TfrmSiteList::event(QEvent* event)
{
    // The long part of a hint goes to the main window's status bar.
    if (event->type() == QEvent::StatusTip && Host.ShowStatus) {
        Host.ShowStatus(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QWidget::event(event);
}

// --- closing, connecting, finding ------------------------------------------------

void TfrmSiteList::actExitExecute()
{
    if (Folders->IsEditing()) {
        Folders->CancelEdit();
        return;
    }
    if (QWidget* editor = Sites->indexWidget(Sites->currentIndex())) {
        emit Sites->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        return;
    }
    hide();
}

void TfrmSiteList::actConnectExecute()
{
    int row = -1;
    if (TSiteFolder* folder = FocusedSiteFolder(row)) ConnectSite(folder, row);
}

void TfrmSiteList::ConnectSite(TSiteFolder* folder, int row)
{
    TSiteSettings site = SiteOf(folder->Settings.Sites.at(row));
    if (!site.NormalLogin) {
        site.UserName = QStringLiteral("anonymous");
        site.Password = Settings.ConnectionSettings.EmailAddress;
    }
    if (Settings.GeneralFlags & gfHideSiteList) hide();
    if (Host.ConnectToSite) Host.ConnectToSite(site, folder->Name);
}

bool TfrmSiteList::ConnectByName(const QString& folderName, const QString& siteName)
{
    for (TSiteFolder* folder : Folders->Model().Top().Descendants()) {
        const int row = folder->Settings.IndexOf(siteName);
        if (SameName(folder->Name, folderName) && row >= 0) {
            ConnectSite(folder, row);
            return true;
        }
    }
    return false;
}

void TfrmSiteList::actFindFirstExecute()
{
    QString text;
    if (!InputQuery(QStringLiteral("Enter the name of the site to be searched for:"), text)) return;
    if (!FindSite(text, FirstFolder())) return;
    SearchText = text;
    actFindNext->setEnabled(true);
}

void TfrmSiteList::actFindNextExecute()
{
    const TSiteFolder* selected = SelectedFolder();
    TSiteFolder* start = selected ? selected->Next(&Folders->Model().Top()) : nullptr;
    if (!FindSite(SearchText, start ? start : FirstFolder())) actFindNext->setEnabled(false);
}

bool TfrmSiteList::FindSite(const QString& text, TSiteFolder* start)
{
    // Every folder once, from start to the end and on from the first.
    const TSiteFolder* top = &Folders->Model().Top();
    for (TSiteFolder* folder = start; folder;) {
        if (folder->Settings.Contains(text)) {
            SelectFolder(folder);
            int row = 0;
            while (row < folder->Settings.Count() &&
                   !folder->Settings.Sites.at(row).Name().startsWith(text, Qt::CaseInsensitive))
                ++row;
            FocusSite(row);
            return true;
        }
        folder = folder->Next(top);
        if (!folder) folder = FirstFolder();
        if (folder == start) break;
    }
    return false;
}
