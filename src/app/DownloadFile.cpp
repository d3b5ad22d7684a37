#include "app/DownloadFile.h"

#include "platform/MessageBoxes.h"

#include <QFileInfo>

void TDownloadFile::Clear()
{
    Pending = false;
    FileName.clear();
}

void TDownloadFile::OpenFile()
{
    Pending = false;
    if (OpenMode == omNone || !QFileInfo(FileName).isFile()) return;
    const auto& opener = OpenMode == omAssociated ? OpenAssociated : OpenInViewer;
    if (opener && opener(FileName)) return;
    ShowMessageBox(QStringLiteral("Failed to open the temporary file %1").arg(FileName), true);
}
