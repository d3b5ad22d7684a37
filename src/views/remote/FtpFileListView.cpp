// The remote view: its client commands, navigation, listing and display.
// Creating, renaming, deleting and tree export are in FtpFileListViewChange.cpp.
#include "views/remote/FtpFileListView.h"

#include "platform/RemoteText.h"
#include "views/framework/FileListModel.h"
#include "views/framework/ListRules.h"
#include "views/remote/DragOutData.h"
#include "views/remote/FtpItem.h"
#include "views/remote/FtpListing.h"

#include <QDate>
#include <QDrag>
#include <QIcon>

// Marks the view as running a client command for the scope's lifetime, with
// fresh outcome notes, whatever way the scope is left.
class TFtpFileListView::TCommandScope {
public:
    TCommandScope(TFtpFileListView& view, TCmdType expected) : FView(view)
    {
        FView.FInCommand = true;
        FView.FExpectedType = expected;
        FView.FSuccessNoted = false;
        FView.FFailureNoted = false;
    }
    ~TCommandScope()
    {
        FView.FInCommand = false;
        FView.FSuccessNoted = false;
        FView.FFailureNoted = false;
    }
    TCommandScope(const TCommandScope&) = delete;
    TCommandScope& operator=(const TCommandScope&) = delete;

private:
    TFtpFileListView& FView;
};

namespace {

// The mode's decimal digits are its octal digits; servers want at least
// three of them ("044", not "44": some refuse a shorter mode).
QByteArray ChmodModeText(int mode)
{
    return QByteArray::number(mode).rightJustified(3, '0');
}

TItemInfo InfoOf(const TFtpItem& item)
{
    return {item.Name, item.TypeName, item.Size, item.Date, item.Attributes};
}

}  // namespace

TFtpFileListView::TFtpFileListView(QWidget* parent)
    : TVirtualCustomFileListView(parent), FCurrentYear(QDate::currentDate().year())
{
    AddColumn(QStringLiteral("Attributes"), Qt::AlignLeft);
    SetCompare([this](const TFileListItem& a, const TFileListItem& b) {
        const auto& x = static_cast<const TFtpItem&>(a);
        const auto& y = static_cast<const TFtpItem&>(b);
        return TListRules::CompareItems(TFtpListing::IsDirectoryItem(x), InfoOf(x),
                                        TFtpListing::IsDirectoryItem(y), InfoOf(y), SortType(),
                                        SortDescending());
    });
}

TFtpFileListView::~TFtpFileListView() = default;

bool TFtpFileListView::SetFtpControl(TFtpClient* client)
{
    if ((FFtp && FFtp->Connected()) || (client && client->Connected())) return false;
    FFtp = client;
    if (client) client->ParseList = true;
    return true;
}

bool TFtpFileListView::IsReady() const
{
    return FFtp && FFtp->Connected() && !FInCommand;
}

TFtpItem* TFtpFileListView::Item(int index) const
{
    return static_cast<TFtpItem*>(Record(index));
}

// ---- Client commands ----

TCmdType TFtpFileListView::ExpectedType(TRunKind kind, const QString& name)
{
    switch (kind) {
    case rkChangeDir:
    case rkMakeDir:
    case rkDeleteFile:
    case rkRemoveDir:
    case rkList:
    case rkRename: return TCmdType(kind);
    case rkCommand: return TFtpClient::CommandType(EncodeRemote(name));
    default: return ctCommand;
    }
}

bool TFtpFileListView::RunCommand(TRunKind kind, const QString& name, int number, const QString& newName)
{
    if (!FFtp || FInCommand) return false;
    bool timedOut = false;
    bool succeeded = false;
    {
        TCommandScope scope(*this, ExpectedType(kind, name));
        try {
            CallClient(kind, name, number, newName);
        } catch (...) {
            timedOut = FFtp && FFtp->TimedOut();
        }
        // A failure after a success (a refused "RNFR" followed by an accepted
        // "RNTO") is still a failure.
        succeeded = FSuccessNoted && !FFailureNoted;
    }
    if (timedOut && OnTimeOut) OnTimeOut(this);
    return succeeded;
}

void TFtpFileListView::CallClient(TRunKind kind, const QString& name, int number, const QString& newName)
{
    const QByteArray remote = EncodeRemote(name);
    switch (kind) {
    case rkChangeDir: FFtp->ChangeDirectory(remote); break;
    case rkMakeDir: FFtp->MakeDirectory(remote); break;
    case rkDeleteFile: FFtp->DeleteFile(remote); break;
    case rkRemoveDir: FFtp->RemoveDirectory(remote); break;
    case rkList: FFtp->ListDirectory(); break;
    case rkRename: FFtp->RenameFile(remote, EncodeRemote(newName)); break;
    case rkCommand: FFtp->SendCommand(remote); break;
    case rkTransferType: FFtp->SetTransferType(number); break;
    case rkUpDir: FFtp->SendCommand("CDUP"); break;
    case rkChmod: FFtp->SendCommand("SITE chmod " + ChmodModeText(number) + ' ' + remote); break;
    }
}

void TFtpFileListView::NoteSuccess(TCmdType type)
{
    if (FInCommand && type == FExpectedType) FSuccessNoted = true;
}

void TFtpFileListView::NoteFailure(TCmdType type)
{
    if (FInCommand && type == FExpectedType) FFailureNoted = true;
}

void TFtpFileListView::NoteFailure()
{
    if (FInCommand) FFailureNoted = true;
}

bool TFtpFileListView::RefusedPermanently() const
{
    // RFC 959, 4.2: 5xx is a permanent negative completion. For "CWD" into
    // a link to a file, real servers answer "550 ...: Not a directory".
    return FFtp && FFtp->Connected() && FFtp->ReplyCode() / 100 == 5;
}

// "PWD" runs as a command of its own, so nothing re-enters the view during
// its wait; its exceptions go on to the caller.
QString TFtpFileListView::QueryCurrentDirectory()
{
    if (!FFtp || FInCommand) return {};
    TCommandScope scope(*this, ctCurrentDir);
    return DecodeRemote(FFtp->CurrentDirectory());
}

bool TFtpFileListView::SendCommand(const QString& text)
{
    if (!IsReady()) return false;
    TBusyScope busy(*this);
    return RunCommand(rkCommand, text);
}

bool TFtpFileListView::SetTransferType(bool text)
{
    if (!IsReady()) return false;
    TBusyScope busy(*this);
    return RunCommand(rkTransferType, {}, text ? 1 : 2);
}

// ---- Session ----

bool TFtpFileListView::Open(const QString& startDir)
{
    if (!IsReady()) return false;
    TBusyScope busy(*this);
    const bool entered = startDir.isEmpty() || RunCommand(rkChangeDir, startDir);
    ShowCurrentDirectory();
    DetectServerSystem();
    return entered;
}

void TFtpFileListView::DetectServerSystem()
{
    if (!FFtp) return;
    if (FFtp->Vendor == vnOther) {
        SendCommand(QStringLiteral("SYST"));
        if (DecodeRemote(FFtp->LastReply()).toUpper().contains(QLatin1String("WINDOWS_NT")))
            FFtp->Vendor = vnWindowsNT;
    }
    FServerIgnoresCase = FFtp->Vendor == vnWindowsNT;
}

void TFtpFileListView::Reset()
{
    TCustomFileListView::SetDirectory(QString());
    if (FFtp) FFtp->Vendor = vnNotDetected;
    ClearItems();
    while (IsBusy())
        EndBusy();
}

// ---- Navigation and listing ----

bool TFtpFileListView::SamePath(const QString& a, const QString& b) const
{
    // Only a server that ignores case may treat '/Pub' and '/pub' as one.
    return QString::compare(a, b, FServerIgnoresCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

void TFtpFileListView::SetDirectory(const QString& path)
{
    if (!IsReady() || SamePath(path, Directory())) return;
    TBusyScope busy(*this);
    if (RunCommand(rkChangeDir, path)) ShowCurrentDirectory();
}

bool TFtpFileListView::ShowCurrentDirectory()
{
    if (!IsReady()) return false;
    TBusyScope busy(*this);
    TCustomFileListView::SetDirectory(QueryCurrentDirectory());
    return RefreshList();
}

bool TFtpFileListView::OpenDirectory(const QString& name)
{
    if (!IsReady()) return false;
    TBusyScope busy(*this);
    if (!RunCommand(rkChangeDir, name)) return false;
    ShowCurrentDirectory();
    return true;
}

bool TFtpFileListView::GotoUpperDirectory()
{
    if (!IsReady()) return false;
    TBusyScope busy(*this);
    if (!RunCommand(rkUpDir)) return false;
    ShowCurrentDirectory();
    if (OnGotoUpperDirectory) OnGotoUpperDirectory(this, Directory());
    return true;
}

bool TFtpFileListView::RefreshList()
{
    if (!IsReady()) return false;
    FListed = false;
    ClearItems();
    TBusyScope busy(*this);
    FCurrentYear = QDate::currentDate().year();
    if (!RunCommand(rkTransferType, {}, 1) || !RunCommand(rkList)) {
        Repaint();
        return false;
    }
    BuildItems();
    SortItems();
    FListed = true;
    ListRefreshed();
    return true;
}

void TFtpFileListView::BuildItems()
{
    if (!FFtp || !FFtp->DirectoryList()) return;
    TFtpListing::TItems items = TFtpListing::BuildItems(*FFtp->DirectoryList(), FileAttributes());
    ItemList().reserve(items.size());
    for (auto& item : items)
        ItemList().push_back(std::move(item));
}

void TFtpFileListView::ItemDblClick(Qt::MouseButton button, int item)
{
    if (!IsDirectoryItem(item) || !ChangeDirectoryOnDblClick()) {
        TVirtualCustomFileListView::ItemDblClick(button, item);
        return;
    }
    const QString name = Item(item)->Name;
    const bool isLink = TFtpListing::IsLink(*Item(item));
    if (OpenDirectory(name) || !isLink || !RefusedPermanently()) return;
    // The listing cannot tell where a link leads; the server just said it is
    // no directory. A failed "CWD" lists nothing, so item is still the link.
    if (Item(item) && Item(item)->Name == name) TVirtualCustomFileListView::ItemDblClick(button, item);
}

QMimeData* TFtpFileListView::NewDragData()
{
    const QPointer<TFtpFileListView> self(this);
    return new TDragOutData(
        [self] { return self && self->OnDragOut ? self->OnDragOut(self) : QStringList(); });
}

void TFtpFileListView::startDrag(Qt::DropActions)
{
    const QList<int> selected = SelectedItems();
    // Nothing can be fetched while another command runs or without a site.
    if (selected.isEmpty() || IsBusy() || !IsReady()) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(NewDragData());
    const QIcon icon = ListModel()->index(selected.first(), 0).data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull()) drag->setPixmap(icon.pixmap(32));
    // Files leave the site only as copies.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void TFtpFileListView::HandleKey(int key, Qt::KeyboardModifiers shift)
{
    if (IsReady()) TVirtualCustomFileListView::HandleKey(key, shift);
}

// ---- Records and display ----

bool TFtpFileListView::IsDirectoryItem(int item) const
{
    const TFtpItem* record = Item(item);
    return record && TFtpListing::IsDirectoryItem(*record);
}

TItemInfo TFtpFileListView::GetItemInfo(int item)
{
    TFtpItem* record = Item(item);
    if (!record) return {};
    UpdateItemInfo(item, item);
    return InfoOf(*record);
}

TItemInfo TFtpFileListView::GetItemFacts(int item) const
{
    const TFtpItem* record = Item(item);
    if (!record) return {};
    if (!record->NeedsUpdate) return InfoOf(*record);
    const TDateTime date =
        record->DateText.isEmpty() ? 0 : TFtpListing::ParseListingDate(record->DateText, FCurrentYear);
    return {record->Name, QString(), record->Size, date, record->Attributes};
}

void TFtpFileListView::FreeItem(int index)
{
    if (index >= 0 && index < RecordCount()) ItemList()[size_t(index)].reset();
}

void TFtpFileListView::UpdateItemInfo(int first, int last)
{
    for (int i = qMax(first, 0); i <= last && i < RecordCount(); ++i)
        if (TFtpItem* record = Item(i)) TFtpListing::UpdateItemInfo(*record, FCurrentYear, ShowIcons());
}

void TFtpFileListView::FillListItem(int index, TListItem& item)
{
    TFtpItem* record = Item(index);
    if (!record) return;
    UpdateItemInfo(index, index);
    // Fields derived while icons were off have none: icons switched on again
    // must still show.
    if (ShowIcons() && record->Icon.isNull()) record->Icon = TFtpListing::IconOf(*record);
    item.Caption = record->Name;
    item.Icon = record->Icon;
    item.Ghosted = TFtpListing::IsLink(*record);
    const QString size = record->SizeText.isEmpty() ? QString() : record->SizeText + u' ' + SizeString();
    item.SubItems = {size, record->TypeName, record->DateText, record->Attributes};
    if (!size.isEmpty()) item.ByteCount = record->Size;
}

int TFtpFileListView::FindItemData(TFindKind find, const QString& text, int start, bool wrap)
{
    const QList<int> selected = ChosenItems();
    return FindNamePrefix(find, text, start, wrap, selected.isEmpty() ? -1 : selected.first());
}
