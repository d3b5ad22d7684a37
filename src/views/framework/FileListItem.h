#pragma once
#include <QString>

// Base of the records a file list view keeps, one per row (the remote entry,
// the local shell item). The framework owns them through this base and never
// needs the concrete type.
class TFileListItem {
public:
    virtual ~TFileListItem() = default;
    // The name that find, unique names and trees use: the remote Name, the
    // local FileName. It must not need the derived fields.
    virtual QString ItemName() const = 0;
};
