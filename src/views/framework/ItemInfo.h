#pragma once
#include "platform/DateTime.h"

#include <QString>

// How both panes hand one item to their callers. For an index outside the
// item list every field is empty or zero.
struct TItemInfo {
    QString Name;
    QString TypeName;
    quint64 Size = 0;
    TDateTime Date = 0;
    QString Attributes;
};
