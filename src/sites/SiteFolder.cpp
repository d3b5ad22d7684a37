#include "sites/SiteFolder.h"

TSiteFolder::TSiteFolder(const QString& name) : Name(name) {}

int TSiteFolder::Level() const
{
    int level = -1;
    for (const TSiteFolder* folder = FParent; folder; folder = folder->FParent)
        ++level;
    return level;
}

TSiteFolder* TSiteFolder::AddChild(std::unique_ptr<TSiteFolder> child)
{
    InsertChild(ChildCount(), std::move(child));
    return FChildren.back().get();
}

std::unique_ptr<TSiteFolder> TSiteFolder::TakeChild(int row)
{
    std::unique_ptr<TSiteFolder> child = std::move(FChildren.at(size_t(row)));
    FChildren.erase(FChildren.begin() + row);
    child->FParent = nullptr;
    child->FRow = 0;
    Renumber(row);
    return child;
}

void TSiteFolder::InsertChild(int row, std::unique_ptr<TSiteFolder> child)
{
    child->FParent = this;
    FChildren.insert(FChildren.begin() + row, std::move(child));
    Renumber(row);
}

void TSiteFolder::Renumber(int from)
{
    for (size_t row = size_t(from); row < FChildren.size(); ++row)
        FChildren[row]->FRow = int(row);
}

TSiteFolder* TSiteFolder::ChildNamed(const QString& name) const
{
    for (const auto& child : FChildren)
        if (SameName(child->Name, name)) return child.get();
    return nullptr;
}

QString TSiteFolder::UniqueChildName(const QString& base) const
{
    return MakeUniqueItemName(base, [this](const QString& name) { return ChildNamed(name) != nullptr; });
}

bool TSiteFolder::IsInside(const TSiteFolder* ancestor) const
{
    for (const TSiteFolder* folder = this; folder; folder = folder->FParent)
        if (folder == ancestor) return true;
    return false;
}

TSiteFolder* TSiteFolder::Next(const TSiteFolder* top) const
{
    if (!FChildren.empty()) return FChildren.front().get();
    for (const TSiteFolder* folder = this; folder != top && folder->FParent; folder = folder->FParent) {
        const int row = folder->Row();
        if (row + 1 < folder->FParent->ChildCount()) return folder->FParent->Child(row + 1);
    }
    return nullptr;
}

std::vector<TSiteFolder*> TSiteFolder::Descendants() const
{
    std::vector<TSiteFolder*> folders;
    for (TSiteFolder* folder = FChildren.empty() ? nullptr : FChildren.front().get(); folder;
         folder = folder->Next(this))
        folders.push_back(folder);
    return folders;
}
