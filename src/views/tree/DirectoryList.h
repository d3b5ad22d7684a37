#pragma once
#include <memory>
#include <vector>

class TDirectory;

// An ordered list of directories. An owning list (OwnsItems) frees them on
// Delete, Clear and its own destruction; any other list only points at them.
class TDirectoryList {
public:
    explicit TDirectoryList(bool ownsItems);
    ~TDirectoryList();
    TDirectoryList(const TDirectoryList&) = delete;
    TDirectoryList& operator=(const TDirectoryList&) = delete;

    bool OwnsItems() const { return FOwnsItems; }
    // An owning list takes dir over. nullptr is refused (-1).
    int Add(TDirectory* dir);
    int Count() const;
    // nullptr outside the list.
    TDirectory* Get(int index) const;
    // Nothing outside the list.
    void Delete(int index);
    // An owning list hands the directory over and closes the gap; any other
    // list, or an index outside it, gives nullptr and changes nothing.
    std::unique_ptr<TDirectory> Take(int index);
    void Clear();

private:
    struct TRelease {
        bool Owns;
        void operator()(TDirectory* dir) const;
    };

    bool FOwnsItems;
    std::vector<std::unique_ptr<TDirectory, TRelease>> FItems;
};
