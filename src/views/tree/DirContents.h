#pragma once
#include <QStringList>
#include <memory>
#include <vector>

class TDirectory;

// What one directory of an exported tree holds: file names (names only, no
// paths) and the subdirectories, which it owns. No slot is ever empty, so a
// walker never meets a missing directory.
class TDirContents {
public:
    TDirContents();
    ~TDirContents();
    TDirContents(const TDirContents&) = delete;
    TDirContents& operator=(const TDirContents&) = delete;

    // Takes the directory over and gives its index; an empty pointer is refused (-1).
    int AddDirectory(std::unique_ptr<TDirectory> dir);
    int DirectoryCount() const;
    // nullptr for an index outside the list.
    TDirectory* GetDirectory(int index) const;
    // Frees the directory and closes the gap; nothing outside the list.
    void DeleteDirectory(int index);
    // Frees the old directory and keeps dir in its place. Outside the list, or
    // for an empty dir, nothing changes (dir is freed) and the result is false.
    bool ReplaceDirectory(int index, std::unique_ptr<TDirectory> dir);

    QStringList Files;

private:
    bool IsInside(int index) const;

    std::vector<std::unique_ptr<TDirectory>> FDirectories;
};
