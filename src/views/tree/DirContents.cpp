#include "views/tree/DirContents.h"

#include "views/tree/Directory.h"

TDirContents::TDirContents() = default;
TDirContents::~TDirContents() = default;

int TDirContents::AddDirectory(std::unique_ptr<TDirectory> dir)
{
    if (!dir) return -1;
    FDirectories.push_back(std::move(dir));
    return DirectoryCount() - 1;
}

int TDirContents::DirectoryCount() const
{
    return int(FDirectories.size());
}

TDirectory* TDirContents::GetDirectory(int index) const
{
    return IsInside(index) ? FDirectories[size_t(index)].get() : nullptr;
}

void TDirContents::DeleteDirectory(int index)
{
    if (IsInside(index)) FDirectories.erase(FDirectories.begin() + index);
}

bool TDirContents::ReplaceDirectory(int index, std::unique_ptr<TDirectory> dir)
{
    if (!dir || !IsInside(index)) return false;
    FDirectories[size_t(index)] = std::move(dir);
    return true;
}

bool TDirContents::IsInside(int index) const
{
    return index >= 0 && index < DirectoryCount();
}
