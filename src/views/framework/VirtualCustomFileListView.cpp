#include "views/framework/VirtualCustomFileListView.h"

#include "platform/HandlerGuard.h"
#include "views/framework/FileListModel.h"
#include "views/framework/ListRules.h"

#include <QApplication>
#include <algorithm>
#include <numeric>

namespace {

bool IsPrintable(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

}  // namespace

TVirtualCustomFileListView::TVirtualCustomFileListView(QWidget* parent) : TCustomFileListView(parent)
{
    ListModel()->SetSource(this);
}

TVirtualCustomFileListView::~TVirtualCustomFileListView()
{
    // The records' own destructors release what they hold; the model must
    // not ask a half-destroyed view for rows.
    ListModel()->SetSource(nullptr);
}

int TVirtualCustomFileListView::RowsAvailable() const
{
    return RecordCount();
}

void TVirtualCustomFileListView::FillRow(int index, TListItem& item)
{
    RunGuarded("File list", [&] {
        PrepareItems(index, index);
        if (Record(index)) FillListItem(index, item);
    });
    if (!ShowIcons()) item.Icon = QIcon();
}

bool TVirtualCustomFileListView::RenameRow(int index, QString& newName)
{
    bool renamed = false;
    RunGuarded("File list", [&] { renamed = RenameItem(index, newName); });
    return renamed;
}

void TVirtualCustomFileListView::ClearItems()
{
    // An open edit closes with the rows, without renaming anything.
    SetItemCount(0);
    for (int i = 0; i < RecordCount(); ++i)
        FreeItem(i);
    ItemList().clear();
    Repaint();
}

void TVirtualCustomFileListView::DeleteItemRecord(int index)
{
    if (index < 0 || index >= RecordCount()) return;
    // The row goes with its record, so the rows after it keep showing theirs.
    ListModel()->RemoveItem(index, [this, index] {
        FreeItem(index);
        ItemList().erase(ItemList().begin() + index);
    });
}

void TVirtualCustomFileListView::SortItems()
{
    TItemList& items = ItemList();
    if (items.empty()) return;
    if (SortType() != stName) UpdateItemInfo(0, int(items.size()) - 1);
    if (!FCompare) return;
    // The rows follow their records, so the selection still names what the
    // user chose.
    ListModel()->MoveItems([this, &items] {
        std::vector<int> order(items.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [this, &items](int a, int b) {
            return SafeCompare(items[size_t(a)].get(), items[size_t(b)].get()) < 0;
        });
        TItemList sorted(items.size());
        std::vector<int> newRow(items.size());
        for (size_t i = 0; i < order.size(); ++i) {
            sorted[i] = std::move(items[size_t(order[i])]);
            newRow[size_t(order[i])] = int(i);
        }
        items = std::move(sorted);
        return newRow;
    });
}

int TVirtualCustomFileListView::SafeCompare(const TFileListItem* a, const TFileListItem* b) const
{
    if (!a || !b) return int(!a) - int(!b);  // released slots last
    try {
        return FCompare(*a, *b);
    } catch (...) {
        return 0;
    }
}

void TVirtualCustomFileListView::PrepareItems(int first, int last)
{
    if (first >= 0 && first <= last && last < RecordCount()) UpdateItemInfo(first, last);
}

int TVirtualCustomFileListView::FindNamePrefix(TFindKind find, const QString& text, int start, bool wrap,
                                               int kindReference) const
{
    if (find != fkString && find != fkPartial) return -1;
    std::function<bool(int)> skip;
    if (kindReference >= 0) {
        const bool referenceIsDirectory = IsDirectoryItem(kindReference);
        skip = [this, referenceIsDirectory](int i) { return IsDirectoryItem(i) != referenceIsDirectory; };
    }
    auto nameAt = [this](int i) { return Record(i) ? Record(i)->ItemName() : QString(); };
    return TListRules::FindPrefix(RecordCount(), nameAt, text, start, wrap, skip);
}

void TVirtualCustomFileListView::keyboardSearch(const QString& search)
{
    if (search.isEmpty() || !IsPrintable(search)) return;
    const int start = TypeAheadStart(search);
    int found = -1;
    RunGuarded("File list", [&] { found = FindItemData(fkPartial, FSearchText, start, true); });
    if (found < 0 || found >= ItemCount()) return;
    const QModelIndex index = ListModel()->index(found, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

// Letters typed in quick succession extend the text and may stay on the
// focused item; a new text starts after it.
int TVirtualCustomFileListView::TypeAheadStart(const QString& search)
{
    const bool extends = !FSearchText.isEmpty() && FSearchClock.isValid() &&
                         FSearchClock.elapsed() < QApplication::keyboardInputInterval();
    FSearchClock.start();
    FSearchText = extends ? FSearchText + search : search;
    const int focused = FocusedItem();
    return extends ? qMax(focused, 0) : focused + 1;
}

void TVirtualCustomFileListView::paintEvent(QPaintEvent* event)
{
    PrepareVisibleItems();
    TCustomFileListView::paintEvent(event);
}

// The derived fields of the rows about to be drawn, in one go.
void TVirtualCustomFileListView::PrepareVisibleItems()
{
    if (ItemCount() == 0) return;
    const int first = ItemAt(QPoint(0, 0));
    if (first < 0) return;
    const int bottom = ItemAt(QPoint(0, viewport()->height() - 1));
    const int last = qMin(bottom < 0 ? ItemCount() - 1 : bottom, RecordCount() - 1);
    RunGuarded("File list", [&] { PrepareItems(first, last); });
}
