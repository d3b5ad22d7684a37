#include "sites/DataTreeView.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QTimer>

TDataTreeView::TDataTreeView(QWidget* parent)
    : QTreeView(parent), FModel(new TSiteFolderModel(this)), FFile(std::make_unique<TSiteListFile>(QString()))
{
    setModel(FModel);
    setHeaderHidden(true);
    // A long name scrolls sideways rather than being cut short.
    setTextElideMode(Qt::ElideNone);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
}

void TDataTreeView::SetFileName(const QString& fileName)
{
    FFile = std::make_unique<TSiteListFile>(fileName);
    FFile->OnFileError = [this](TFileError error) {
        if (OnFileError) OnFileError(error);
    };
}

void TDataTreeView::LoadFromFile()
{
    auto top = std::make_unique<TSiteFolder>();
    TSiteListReader reader;
    reader.OnFileError = OnFileError;
    reader.OnCorruptedFile = OnCorruptedFile;
    QByteArray bytes;
    switch (FFile->Read(bytes)) {
    case TSiteListFile::rrOpenFailed:
        if (OnFileError) OnFileError(FFile->ReadError());
        break;
    case TSiteListFile::rrRead: reader.Read(bytes, *top); break;
    default: break;
    }
    if (top->ChildCount() == 0) top->AddChild(std::make_unique<TSiteFolder>(QStringLiteral("QuilloFTP")));
    top->Child(0)->IsRoot = true;
    FModel->Reset(std::move(top));
    // A list read from an older file is not written again until it changes.
    Saved = EncodeSiteList(FModel->Top());
    if (reader.DamageReported()) FFile->KeepDamagedCopy();
    FRemovedCorruptedData = reader.RemoveCorruptedData();
}

bool TDataTreeView::SaveToFile(bool force)
{
    const QByteArray bytes = EncodeSiteList(FModel->Top(), OnWriteData);
    if (!force && bytes == Saved) return true;
    if (!FFile->Write(bytes)) return false;
    Saved = bytes;
    return true;
}

void TDataTreeView::CancelEdit()
{
    if (QWidget* editor = indexWidget(currentIndex()))
        emit itemDelegate()->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

bool TDataTreeView::Accepts(const QDropEvent* event) const
{
    // Folders and sites of this window only: the data names no folder, the
    // selection does.
    return (event->source() == this || (SitesView && event->source() == SitesView)) &&
           event->mimeData()->hasFormat(QLatin1String(SiteListDragType));
}

void TDataTreeView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!Accepts(event)) {
        event->ignore();
        return;
    }
    QTreeView::dragEnterEvent(event);
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void TDataTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    QTreeView::dragMoveEvent(event);  // scrolls and opens folders while hovering
    if (Accepts(event) && indexAt(event->position().toPoint()).isValid()) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TDataTreeView::dropEvent(QDropEvent* event)
{
    const QPersistentModelIndex target = indexAt(event->position().toPoint());
    const bool fromSites = event->source() != this;
    if (!Accepts(event) || !target.isValid()) {
        event->ignore();
        return;
    }
    // The move is made here, so the dragging view must not remove anything.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    // Its messages wait until the drag has ended.
    QTimer::singleShot(0, this, [this, target, fromSites] {
        if (target.isValid() && OnDragDrop) OnDragDrop(fromSites, FModel->Folder(target));
    });
}
