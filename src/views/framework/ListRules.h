#pragma once
#include "views/framework/ItemInfo.h"
#include "views/framework/SortType.h"

#include <QLocale>
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

    // Directories first, then the key ascending (descending when asked): the
    // name case-sensitively in the user's locale, the type name without case,
    // the size, the date. Directories stay first in either order. Equal keys
    // give 0.
    static int CompareItems(bool aIsDirectory, const TItemInfo& a, bool bIsDirectory, const TItemInfo& b,
                            TSortType key, bool descending = false);

    // The exact size: "1,234,567 bytes" in the locale's digit grouping.
    static QString ByteCountText(quint64 bytes, const QLocale& locale = QLocale());
    // The size in the largest unit that keeps it at 1 or more, for a column
    // too narrow for the whole figure: bytes below 1 kB, then kB, MB and GB
    // (of 1024) with one decimal and the locale's decimal separator, without
    // digit grouping. A value that rounds to 1024.0 is written in the next
    // unit.
    static QString HumanSizeText(quint64 bytes, const QLocale& locale = QLocale());
};
