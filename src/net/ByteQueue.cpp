#include "net/ByteQueue.h"

#include <cstring>

void TByteQueue::Clear()
{
    Data.clear();
    Start = 0;
}

qsizetype TByteQueue::IndexOf(char ch) const
{
    const void* hit = std::memchr(Front(), ch, static_cast<size_t>(Size()));
    return hit ? static_cast<const char*>(hit) - Front() : -1;
}

QByteArray TByteQueue::Take(qsizetype count)
{
    count = qBound<qsizetype>(0, count, Size());
    QByteArray taken(Front(), count);
    Start += count;
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
