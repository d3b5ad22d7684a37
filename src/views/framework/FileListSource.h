#pragma once
#include "views/framework/ListItem.h"

// What TFileListModel asks of the view behind it. The rows are the view's
// records; the model itself holds only the row count it was given.
class TFileListSource {
public:
    virtual int RowsAvailable() const = 0;
    // The row's texts, with its derived fields computed first when needed.
    virtual void FillRow(int index, TListItem& item) = 0;
    // The end of an in-place edit of the row's caption. newName may be set
    // back to the old caption, which undoes the edit.
    virtual bool RenameRow(int index, QString& newName) = 0;

protected:
    ~TFileListSource() = default;
};
