#include "views/tree/Directory.h"

TDirectory::TDirectory(QString name) : Name(std::move(name)) {}

bool TDirectory::IsEmpty() const
{
    return Contents.DirectoryCount() == 0 && Contents.Files.isEmpty();
}
