#pragma once
#include "views/framework/ItemInfo.h"
#include "views/framework/SortType.h"

#include <QString>
#include <functional>

// The rules of a file list that need no window: unique names, type-ahead
// matching and the order of items.
class TListRules {
public:
    TListRules() = delete;

    // name itself when taken(name) is false; otherwise name + format with
    // n = 2, 3, ... in place of its "%d" (appended when format has none),
    // the first such candidate that is not taken.
    static QString MakeUniqueName(const QString& name, QString format,
                                  const std::function<bool(const QString&)>& taken);

    // Type-ahead: the first index from start upwards whose name, upper-cased
    // in the user's locale, begins with the upper-cased text. At the end it
    // goes on at 0 when wrap is set; it gives up after the index just before
    // start. Candidates that skip refuses are passed over. -1 when none.
    static int FindPrefix(int count, const std::function<QString(int)>& nameAt, const QString& text,
                          int start, bool wrap, const std::function<bool(int)>& skip = {});

    // Directories first, then the key ascending: the name case-sensitively in
    // the user's locale, the type name without case, the size, the date.
    // Equal keys give 0.
    static int CompareItems(bool aIsDirectory, const TItemInfo& a, bool bIsDirectory, const TItemInfo& b,
                            TSortType key);
};
