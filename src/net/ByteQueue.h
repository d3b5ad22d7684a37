#pragma once
#include <QByteArray>

// A FIFO of received bytes. Taking from the front only moves a read index;
// the storage is compacted once the consumed part outweighs the rest, so
// reading a long listing line by line stays linear.
class TByteQueue {
public:
    qsizetype Size() const { return Data.size() - Start; }
    bool IsEmpty() const { return Size() == 0; }
    const char* Front() const { return Data.constData() + Start; }

    void Append(const char* bytes, qsizetype count) { Data.append(bytes, count); }
    void Append(const QByteArray& bytes) { Data.append(bytes); }
    void Clear();

    // Index (from the front) of the first occurrence of ch, or -1.
    qsizetype IndexOf(char ch) const;
    // Index (from the front) of the first line feed, or -1. It remembers how
    // far it looked, so a long line arriving in many chunks is scanned once
    // rather than once per chunk.
    qsizetype LineEnd() const;
    // Removes and returns up to count bytes from the front.
    QByteArray Take(qsizetype count);
    QByteArray TakeAll() { return Take(Size()); }

private:
    void Compact();

    QByteArray Data;
    qsizetype Start = 0;
    mutable qsizetype Scanned = 0;  // bytes from the front known to hold no line feed
};
