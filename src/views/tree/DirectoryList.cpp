#include "views/tree/DirectoryList.h"

#include "views/tree/Directory.h"

void TDirectoryList::TRelease::operator()(TDirectory* dir) const
{
    if (Owns) delete dir;
}

TDirectoryList::TDirectoryList(bool ownsItems) : FOwnsItems(ownsItems) {}

TDirectoryList::~TDirectoryList() = default;

int TDirectoryList::Add(TDirectory* dir)
{
    if (!dir) return -1;
    FItems.emplace_back(dir, TRelease{FOwnsItems});
    return Count() - 1;
}

int TDirectoryList::Count() const
{
    return int(FItems.size());
}

TDirectory* TDirectoryList::Get(int index) const
{
    return index >= 0 && index < Count() ? FItems[size_t(index)].get() : nullptr;
}

void TDirectoryList::Delete(int index)
{
    if (index >= 0 && index < Count()) FItems.erase(FItems.begin() + index);
}

std::unique_ptr<TDirectory> TDirectoryList::Take(int index)
{
    if (!FOwnsItems || index < 0 || index >= Count()) return nullptr;
    std::unique_ptr<TDirectory> dir(FItems[index].release());
    FItems.erase(FItems.begin() + index);
    return dir;
}

void TDirectoryList::Clear()
{
    FItems.clear();
}
