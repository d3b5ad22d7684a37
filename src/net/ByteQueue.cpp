#include "net/ByteQueue.h"

#include <cstring>

void TByteQueue::Clear()
{
    Data.clear();
    Start = 0;
    Scanned = 0;
}

qsizetype TByteQueue::IndexOf(char ch) const
{
    const void* hit = std::memchr(Front(), ch, static_cast<size_t>(Size()));
    return hit ? static_cast<const char*>(hit) - Front() : -1;
}

qsizetype TByteQueue::LineEnd() const
{
    const void* hit = std::memchr(Front() + Scanned, '\n', static_cast<size_t>(Size() - Scanned));
    if (!hit) {
        Scanned = Size();
        return -1;
    }
    Scanned = static_cast<const char*>(hit) - Front();
    return Scanned;
}

QByteArray TByteQueue::Take(qsizetype count)
{
    count = qBound<qsizetype>(0, count, Size());
    QByteArray taken(Front(), count);
    Start += count;
    Scanned = qMax<qsizetype>(0, Scanned - count);
    Compact();
    return taken;
}

void TByteQueue::Compact()
{
    if (Start == Data.size()) {
        Data.resize(0);  // keeps the capacity for the next chunk
        Start = 0;
    } else if (Start > 65536 && Start > Data.size() / 2) {
        Data.remove(0, Start);
        Start = 0;
    }
}
