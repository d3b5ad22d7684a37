#include "views/framework/CustomFileListView.h"

#include "platform/HandlerGuard.h"
#include "views/framework/ComboBoxEx.h"
#include "views/framework/FileListDelegate.h"
#include "views/framework/FileListModel.h"
#include "views/framework/ListRules.h"
#include "views/tree/Directory.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <iterator>
#include <optional>

namespace {

// The sort keys of the columns every file list begins with, in order.
constexpr TSortType ColumnKeys[] = {stName, stSize, stType, stDate};

void ShowInControl(QWidget* control, const QString& text)
{
    if (auto* history = qobject_cast<TComboBoxEx*>(control)) {
        history->ShowText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (combo->isEditable())
            combo->setEditText(text);
        else
            combo->setCurrentText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (control->metaObject()->indexOfProperty("text") >= 0) {
        control->setProperty("text", text);
    }
}

// The local files of a desktop drag, in drop order, with their whole paths.
QStringList LocalFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) files << url.toLocalFile();
    return files;
}

// The keys HandleKey answers; they go no further once it has run.
bool IsViewKey(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Delete:
    case Qt::Key_F2:
    case Qt::Key_F5: return true;
    case Qt::Key_A: return event->modifiers() & Qt::ControlModifier;
    default: return false;
    }
}

TCustomFileListView* SourceView(const QDropEvent* event)
{
    if (!event->mimeData() || !event->mimeData()->hasFormat(TFileListModel::ItemsMimeType)) return nullptr;
    return qobject_cast<TCustomFileListView*>(event->source());
}

}  // namespace

TCustomFileListView::TBusyScope::TBusyScope(TCustomFileListView& view) : FView(view)
{
    FView.BeginBusy();
}

TCustomFileListView::TBusyScope::~TBusyScope()
{
    RunGuarded("File list", [this] { FView.EndBusy(); });
}

TCustomFileListView::TCustomFileListView(QWidget* parent)
    : QTreeView(parent), FModel(new TFileListModel(this)), FPendingEdit(new QTimer(this))
{
    FModel->SetColumns({{QStringLiteral("Name"), Qt::AlignLeft},
                        {QStringLiteral("Size"), Qt::AlignRight},
                        {QStringLiteral("Type"), Qt::AlignLeft},
                        {QStringLiteral("Date"), Qt::AlignLeft}});
    setModel(FModel);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(SelectRows);
    SetMultiSelect(true);
    // F2 comes through HandleKey, so HandleKeyPresses governs it too.
    setEditTriggers(SelectedClicked);
    header()->setStretchLastSection(false);
    setItemDelegate(new TFileListDelegate(this));
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    ShowSortIndicator();
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int column) { RunGuarded("File list", [&] { ColumnClicked(column); }); });
    setDropIndicatorShown(false);
    // The selection is dragged onto the other pane (or, from the remote
    // pane, out to the desktop).
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    FPendingEdit->setObjectName(QStringLiteral("PendingEdit"));
    FPendingEdit->setSingleShot(true);
    connect(FPendingEdit, &QTimer::timeout, this,
            [this] { RunGuarded("File list", [this] { PendingEditDue(); }); });
    // A new listing is other items: an edit asked for before it is void.
    connect(FModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] { CancelPendingEdit(); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { FListingSelection = false; });
}

TCustomFileListView::~TCustomFileListView() = default;

void TCustomFileListView::SetShowIcons(bool value)
{
    FShowIcons = value;
    Repaint();
}

void TCustomFileListView::SetFileAttributes(TFileAttributes value)
{
    if (value == FFileAttributes) return;
    FFileAttributes = value;
    Refresh();
}

void TCustomFileListView::SetSortType(TSortType value)
{
    ChangeSort(value, FSortDescending);
}

void TCustomFileListView::SetSortDescending(bool value)
{
    ChangeSort(FSortType, value);
}

void TCustomFileListView::ChangeSort(TSortType key, bool descending)
{
    if (key == FSortType && descending == FSortDescending) return;
    FSortType = key;
    FSortDescending = descending;
    ShowSortIndicator();
    SortItems();
    // Rows show whatever record now sits at their index.
    Repaint();
}

bool TCustomFileListView::SortTypeOfColumn(int column, TSortType& key)
{
    if (column < 0 || column >= int(std::size(ColumnKeys))) return false;
    key = ColumnKeys[column];
    return true;
}

// A click sorts by the column, or reverses the order when the list is
// sorted by it already. Not while busy: an operation under way may hold
// item indices across its waits.
void TCustomFileListView::ColumnClicked(int column)
{
    TSortType key = stName;
    if (!IsBusy() && SortTypeOfColumn(column, key)) {
        ChangeSort(key, key == FSortType && !FSortDescending);
        if (OnSortChange) OnSortChange(this);
    }
    // The header moves its arrow on every click by itself.
    ShowSortIndicator();
}

void TCustomFileListView::ShowSortIndicator()
{
    const auto column = std::find(std::begin(ColumnKeys), std::end(ColumnKeys), FSortType) - ColumnKeys;
    header()->setSortIndicator(int(column), FSortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TCustomFileListView::SetSizeString(const QString& value)
{
    FSizeString = value;
    Repaint();
}

bool TCustomFileListView::MultiSelect() const
{
    return selectionMode() == ExtendedSelection;
}

void TCustomFileListView::SetMultiSelect(bool value)
{
    setSelectionMode(value ? ExtendedSelection : SingleSelection);
}

void TCustomFileListView::SetColumns(const QList<TListColumn>& columns)
{
    FModel->SetColumns(columns);
    ShowSortIndicator();
    FOwnerColumns = true;
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].Width > 0) header()->resizeSection(i, columns[i].Width);
}

void TCustomFileListView::AddColumn(const QString& caption, Qt::Alignment alignment)
{
    FModel->AddColumn({caption, alignment});
}

void TCustomFileListView::BeginBusy()
{
    CancelPendingEdit();
    if (++FBusyCount != 1) return;
    FSavedCursor = GetCurrentCursor();
    SetCurrentCursor(Qt::WaitCursor);
    if (OnBusy) OnBusy(this);
}

void TCustomFileListView::EndBusy()
{
    if (FBusyCount <= 0 || --FBusyCount > 0) return;
    SetCurrentCursor(FSavedCursor);
    if (OnReady) OnReady(this);
}

void TCustomFileListView::Refresh()
{
    if (HasWindow()) RefreshList();
}

int TCustomFileListView::FindItem(const QString& name, bool caseSensitive) const
{
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (int i = 0; i < RecordCount(); ++i)
        if (FItems[size_t(i)] && QString::compare(FItems[size_t(i)]->ItemName(), name, cs) == 0) return i;
    return -1;
}

bool TCustomFileListView::IsDirectoryName(const QString& name, bool caseSensitive) const
{
    const int item = FindItem(name, caseSensitive);
    return item >= 0 && IsDirectoryItem(item);
}

bool TCustomFileListView::IsFileName(const QString& name, bool caseSensitive) const
{
    const int item = FindItem(name, caseSensitive);
    return item >= 0 && !IsDirectoryItem(item);
}

QString TCustomFileListView::MakeUniqueName(const QString& name, const QString& format) const
{
    return TListRules::MakeUniqueName(
        name, format, [this](const QString& candidate) { return FindItem(candidate, false) >= 0; });
}

int TCustomFileListView::ItemCount() const
{
    return FModel->ItemCount();
}

QList<int> TCustomFileListView::SelectedItems() const
{
    QList<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows << row;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int TCustomFileListView::SelCount() const
{
    return int(SelectedItems().size());
}

int TCustomFileListView::FocusedItem() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

int TCustomFileListView::ItemAt(QPoint viewportPos) const
{
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() : -1;
}

TFileListItem* TCustomFileListView::Record(int index) const
{
    return index >= 0 && index < RecordCount() ? FItems[size_t(index)].get() : nullptr;
}

void TCustomFileListView::SetItemCount(int count)
{
    FModel->SetItemCount(count);
}

void TCustomFileListView::GrowItemCount(int added)
{
    FModel->AppendItems(added);
}

void TCustomFileListView::RedrawItem(int item)
{
    FModel->RedrawItem(item);
}

void TCustomFileListView::Repaint()
{
    viewport()->update();
}

void TCustomFileListView::SetDirectory(const QString& path)
{
    CancelPendingEdit();
    const QString old = FDirectory;
    FDirectory = path;
    if (OnDirectoryChange) OnDirectoryChange(this, old);
    if (FDirectoryControl) ShowInControl(FDirectoryControl, path);
}

QCursor TCustomFileListView::GetCurrentCursor() const
{
    return cursor();
}

void TCustomFileListView::SetCurrentCursor(const QCursor& cursor)
{
    setCursor(cursor);
}

void TCustomFileListView::SortItems() {}

void TCustomFileListView::ListRefreshed()
{
    SetItemCount(RecordCount());
    ShowFirstItem();
    Repaint();
    if (OnRefreshList) OnRefreshList(this);
}

// The first item is focused and selected, so Enter acts on it at once.
void TCustomFileListView::ShowFirstItem()
{
    if (ItemCount() == 0) return;
    const QModelIndex first = FModel->index(0, 0);
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    FListingSelection = true;
    scrollTo(first);
}

QList<int> TCustomFileListView::ChosenItems() const
{
    return FListingSelection ? QList<int>() : SelectedItems();
}

void TCustomFileListView::DirectoryCreated(const QString& name, bool refreshed)
{
    if (!refreshed) return;
    selectionModel()->clear();
    // Where letter case tells names apart, another case is another item,
    // and opening that one would invite renaming the wrong directory.
    int item = FindItem(name, true);
    if (item < 0) item = FindItem(name, false);
    if (item < 0 || item >= ItemCount()) return;
    const QModelIndex index = FModel->index(item, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    BeginRename(item);
}

bool TCustomFileListView::ConfirmDeletion(int count, const QString& name, bool isDir)
{
    bool canDelete = true;
    if (OnDeleting) OnDeleting(this, count, name, isDir, canDelete);
    return canDelete;
}

void TCustomFileListView::ItemsDeleted()
{
    SetItemCount(RecordCount());
    Repaint();
    if (OnDeleteItem) OnDeleteItem(this);
}

void TCustomFileListView::HandleDroppedFiles(const QStringList&) {}

void TCustomFileListView::ItemClick(Qt::MouseButton button, int item)
{
    if (OnItemClick) OnItemClick(this, button, item);
}

void TCustomFileListView::ItemDblClick(Qt::MouseButton button, int item)
{
    if (OnItemDblClick) OnItemDblClick(this, button, item);
}

void TCustomFileListView::ClearItems()
{
    SetItemCount(0);
    FItems.clear();
    Repaint();
}

void TCustomFileListView::BeginRename(int item)
{
    if (item < 0 || item >= ItemCount() || !CanEdit(item)) return;
    const QModelIndex index = FModel->index(item, 0);
    scrollTo(index);
    edit(index);
}

bool TCustomFileListView::CanEdit(int)
{
    return !IsBusy();
}

// Qt's own wait edits whatever item is current when it ends, which after a
// quick Enter is an item of the directory just opened; this one edits only
// the item clicked, and anything happening meanwhile calls it off.
void TCustomFileListView::StartPendingEdit(const QModelIndex& index)
{
    FPendingIndex = index;
    FPendingRecord = Record(index.row());
    FPendingEdit->start(QApplication::doubleClickInterval());
}

void TCustomFileListView::CancelPendingEdit()
{
    FPendingEdit->stop();
    FPendingIndex = QPersistentModelIndex();
    FPendingRecord = nullptr;
}

void TCustomFileListView::PendingEditDue()
{
    const QModelIndex index = FPendingIndex;
    const TFileListItem* record = FPendingRecord;
    CancelPendingEdit();
    if (!index.isValid() || !record || Record(index.row()) != record) return;
    if (currentIndex().row() != index.row() || !selectionModel()->isSelected(index)) return;
    if (state() == NoState) edit(index);
}

std::unique_ptr<TDirectory> TCustomFileListView::GetDirectoryTree(bool recursive, bool selectedOnly)
{
    auto tree = std::make_unique<TDirectory>();
    tree->Path = FDirectory;
    std::optional<TBusyScope> busy;
    if (recursive) busy.emplace(*this);
    QList<int> items = selectedOnly ? SelectedItems() : QList<int>();
    if (!selectedOnly)
        for (int i = 0; i < RecordCount(); ++i)
            items << i;
    for (int item : items)
        if (item < RecordCount()) AddToTree(*tree, item, recursive);
    return tree;
}

void TCustomFileListView::AddToTree(TDirectory& tree, int item, bool recursive)
{
    const QString name = GetItemInfo(item).Name;
    if (!IsDirectoryItem(item))
        tree.Contents.Files << name;
    else
        tree.Contents.AddDirectory(recursive ? GetItemTree(item, true) : std::make_unique<TDirectory>(name));
}

void TCustomFileListView::WindowCreated()
{
    const int columns = FModel->columnCount();
    if (FOwnerColumns || columns == 0) return;
    const int width = viewport()->width() / columns;
    for (int i = 0; i < columns; ++i)
        header()->resizeSection(i, width);
}

// ---- Keys and mouse ----

void TCustomFileListView::HandleKey(int key, Qt::KeyboardModifiers shift)
{
    const QList<int> selected = SelectedItems();
    switch (key) {
    case Qt::Key_Backspace: GotoUpperDirectory(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (selected.size() == 1) ItemDblClick(Qt::LeftButton, selected.first());
        break;
    case Qt::Key_Delete:
        if (selected.size() == 1)
            DeleteItems(selected.first(), false);
        else if (selected.size() > 1)
            DeleteItems(-1, true);
        break;
    case Qt::Key_A:
        if ((shift & Qt::ControlModifier) && ItemCount() > 0) {
            TBusyScope busy(*this);
            selectAll();
        }
        break;
    case Qt::Key_F2:
        if (FocusedItem() >= 0) BeginRename(FocusedItem());
        break;
    case Qt::Key_F5: Refresh(); break;
    default: break;
    }
}

void TCustomFileListView::keyPressEvent(QKeyEvent* event)
{
    CancelPendingEdit();
    QTreeView::keyPressEvent(event);
    if (IsEditing() || IsBusy() || !FHandleKeyPresses) return;
    RunGuarded("File list", [&] { HandleKey(event->key(), event->modifiers()); });
    if (IsViewKey(event)) event->accept();
}

bool TCustomFileListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (!index.isValid() || !CanEdit(index.row())) return false;
    if (trigger != SelectedClicked) return QTreeView::edit(index, trigger, event);
    // The row a listing selected is no choice of the user's: clicking it
    // chooses it, and only a second click asks for its name.
    if (FListingSelection) {
        FListingSelection = false;
        return false;
    }
    // A second click may still make a double-click: wait for it first.
    if (!(editTriggers() & SelectedClicked) || !(index.flags() & Qt::ItemIsEditable)) return false;
    StartPendingEdit(index);
    return true;
}

void TCustomFileListView::mousePressEvent(QMouseEvent* event)
{
    CancelPendingEdit();
    QTreeView::mousePressEvent(event);
    const int item = ItemAt(event->position().toPoint());
    if (IsBusy() || event->button() != Qt::LeftButton || item < 0) return;
    RunGuarded("File list", [&] { ItemClick(Qt::LeftButton, item); });
}

void TCustomFileListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    CancelPendingEdit();
    QTreeView::mouseDoubleClickEvent(event);
    const int item = ItemAt(event->position().toPoint());
    if (IsBusy() || event->button() != Qt::LeftButton || item < 0) return;
    RunGuarded("File list", [&] { ItemDblClick(Qt::LeftButton, item); });
}

void TCustomFileListView::showEvent(QShowEvent* event)
{
    QTreeView::showEvent(event);
    if (FWindowCreated) return;
    FWindowCreated = true;
    WindowCreated();
}

// ---- Drops ----

bool TCustomFileListView::AcceptsDragFrom(TCustomFileListView* source, QPoint pos)
{
    bool accept = false;
    if (OnDragOver) RunGuarded("File list", [&] { OnDragOver(this, source, pos, accept); });
    return accept;
}

void TCustomFileListView::DroppedFrom(TCustomFileListView* source, QPoint pos)
{
    if (OnDragDrop) OnDragDrop(this, source, pos);
}

void TCustomFileListView::FilesDropped(const QStringList& files)
{
    bool handle = FHandleFileDrops;
    if (OnFileDrop) OnFileDrop(this, files, handle);
    if (handle) HandleDroppedFiles(files);
}

bool TCustomFileListView::WantsDrop(const QDropEvent* event)
{
    if (TCustomFileListView* source = SourceView(event))
        return AcceptsDragFrom(source, event->position().toPoint());
    return FAcceptShellFiles && !LocalFiles(event->mimeData()).isEmpty();
}

// Accepts the drag or drop as a copy, or refuses it.
bool TCustomFileListView::AcceptDrag(QDropEvent* event)
{
    // Dropped files are only ever copied: a move would let the desktop delete
    // the originals.
    const bool accept = (event->possibleActions() & Qt::CopyAction) && WantsDrop(event);
    event->setDropAction(accept ? Qt::CopyAction : Qt::IgnoreAction);
    event->setAccepted(accept);
    return accept;
}

void TCustomFileListView::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void TCustomFileListView::dragMoveEvent(QDragMoveEvent* event)
{
    AcceptDrag(event);
}

void TCustomFileListView::dropEvent(QDropEvent* event)
{
    if (!AcceptDrag(event)) return;
    // The owner's work (a whole transfer) runs after the drag has ended, so
    // the program the files came from is not held up meanwhile.
    const QPoint pos = event->position().toPoint();
    if (QPointer<TCustomFileListView> source = SourceView(event)) {
        QMetaObject::invokeMethod(
            this,
            [this, source, pos] {
                if (source) RunGuarded("File list", [&] { DroppedFrom(source, pos); });
            },
            Qt::QueuedConnection);
        return;
    }
    const QStringList files = LocalFiles(event->mimeData());
    QMetaObject::invokeMethod(
        this, [this, files] { RunGuarded("File list", [&] { FilesDropped(files); }); }, Qt::QueuedConnection);
}
