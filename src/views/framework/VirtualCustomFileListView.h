#pragma once
#include "views/framework/CustomFileListView.h"
#include "views/framework/FileListSource.h"

#include <QElapsedTimer>

// How the list asks for an item by text: the two string kinds (whole text,
// beginning of the text) and the kinds no file list serves.
enum TFindKind { fkString, fkPartial, fkParam, fkNearest };

// A file list view whose rows are its own records, served to the list on
// demand (owner data): the list holds only a count, asks FillListItem for the
// texts, and derived fields are computed (UpdateItemInfo) only for rows that
// are shown or asked for.
class TVirtualCustomFileListView : public TCustomFileListView, private TFileListSource {
    Q_OBJECT
public:
    explicit TVirtualCustomFileListView(QWidget* parent = nullptr);
    ~TVirtualCustomFileListView() override;

    void ClearItems() override;
    // Sorts the records with the installed comparison; for keys other than
    // the name the derived fields of all records are made first. Does not
    // repaint by itself.
    void SortItems() override;
    // Frees the record and takes it out of the list; nothing outside it.
    void DeleteItemRecord(int index);
    // Type-ahead: the index of the item the text finds from start, -1 when none.
    virtual int FindItemData(TFindKind find, const QString& text, int start, bool wrap) = 0;

protected:
    // <0, 0, >0 as a comes before, beside or after b.
    using TItemCompare = std::function<int(const TFileListItem& a, const TFileListItem& b)>;

    void SetCompare(TItemCompare compare) { FCompare = std::move(compare); }
    // Releases one record, leaving its slot empty.
    virtual void FreeItem(int index) = 0;
    virtual void FillListItem(int index, TListItem& item) = 0;
    // Before a range of rows is shown: UpdateItemInfo when it lies in the list.
    virtual void PrepareItems(int first, int last);
    virtual void UpdateItemInfo(int first, int last) = 0;

    // The shared type-ahead rule for FindItemData: names beginning with text
    // in any letter case, from start, wrapping when asked. With kindReference
    // >= 0, items whose directory state differs from that item's are passed
    // over. Kinds other than the two string kinds find nothing.
    int FindNamePrefix(TFindKind find, const QString& text, int start, bool wrap, int kindReference) const;

    void keyboardSearch(const QString& search) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int RowsAvailable() const override;
    void FillRow(int index, TListItem& item) override;
    bool RenameRow(int index, QString& newName) override;
    int SafeCompare(const TFileListItem* a, const TFileListItem* b) const;
    int TypeAheadStart(const QString& search);
    void PrepareVisibleItems();

    TItemCompare FCompare;
    QString FSearchText;
    QElapsedTimer FSearchClock;
};
