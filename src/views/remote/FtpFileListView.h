#pragma once
#include "net/FtpClient.h"
#include "views/framework/VirtualCustomFileListView.h"

#include <QPointer>

class QMimeData;
class TFtpItem;

// The remote pane: the current directory of the connected site, listed,
// browsed and changed through the bound FTP client. Every client command
// runs through RunCommand, which counts as a success only when the owner
// forwards the client's OnSuccess for exactly that command (NoteSuccess), and
// no failure for it (NoteFailure). While a command runs the view is not ready
// and every operation started meanwhile does nothing.
class TFtpFileListView : public TVirtualCustomFileListView {
    Q_OBJECT
public:
    // The client commands RunCommand issues; the numbers are the designed ones.
    enum TRunKind : int {
        rkChmod = -3,         // "SITE chmod " + number + " " + name
        rkUpDir = -2,         // "CDUP"
        rkTransferType = -1,  // number 1 "TYPE A", 2 "TYPE I"
        rkChangeDir = 0,
        rkMakeDir = 1,
        rkDeleteFile = 2,
        rkRemoveDir = 3,
        rkList = 4,
        rkRename = 5,    // name to newName
        rkCommand = 14,  // name as a raw command
    };

    explicit TFtpFileListView(QWidget* parent = nullptr);
    ~TFtpFileListView() override;

    TFtpClient* FtpControl() const { return FFtp; }
    // Refused (false) while the current or the new client is connected;
    // the new client is made to parse its listings.
    bool SetFtpControl(TFtpClient* client);
    bool RecursiveDeletions() const { return FRecursiveDeletions; }
    void SetRecursiveDeletions(bool value) { FRecursiveDeletions = value; }
    bool ConfirmDeletions() const { return FConfirmDeletions; }
    void SetConfirmDeletions(bool value) { FConfirmDeletions = value; }
    // The server compares names without regard to case (Windows NT).
    bool ServerIgnoresCase() const { return FServerIgnoresCase; }
    // Whether the items shown are the listing of Directory(): false after a
    // listing that failed (the view is then empty, which proves nothing).
    bool Listed() const { return FListed; }
    int CurrentYear() const { return FCurrentYear; }

    // A client command failed while the client's TimedOut flag was set.
    TNotifyEvent OnTimeOut;
    // A drop target outside the program asks for the dragged items as
    // local files: their paths once downloaded, or none.
    using TDragOutEvent = std::function<QStringList(TCustomFileListView* Sender)>;
    TDragOutEvent OnDragOut;

    // A client is bound and connected, and no command of this view runs.
    bool IsReady() const;
    // Runs one client command; true when the client reported its success.
    // Client exceptions end here. Refused while another command runs.
    bool RunCommand(TRunKind kind, const QString& name = {}, int number = 0, const QString& newName = {});
    // For the owner's OnSuccess / OnFailure handlers: the outcome of a
    // client command. Only the type of the running command counts; outside
    // a command they do nothing. NoteFailure() fails whatever runs (stop).
    void NoteSuccess(TCmdType type);
    void NoteFailure(TCmdType type);
    void NoteFailure();
    // The last command was refused for good (a 5xx reply) and the connection
    // stands: for "CWD" into a link, the link leads to a file or nowhere.
    bool RefusedPermanently() const;

    // The first directory after login: startDir when it can be entered,
    // else the login directory. False when startDir could not be entered.
    bool Open(const QString& startDir);
    // "PWD" becomes Directory, then the list is fetched; the result is the
    // listing's. A client exception from "PWD" reaches the caller.
    bool ShowCurrentDirectory();
    // After a disconnection: no directory, no items, not busy.
    void Reset();
    bool SendCommand(const QString& text);
    // "TYPE A" for text, "TYPE I" otherwise.
    bool SetTransferType(bool text);
    // "SITE chmod" with mode in decimal for the item or every selected item,
    // stopping at the first failure; the list is fetched again on success.
    bool ChangeMode(int item, bool selected, int mode);
    void DetectServerSystem();

    // Changes to an absolute or relative remote path and lists it.
    void SetDirectory(const QString& path) override;
    // "TYPE A" then the listing. A failure leaves the view empty.
    bool RefreshList() override;
    TItemInfo GetItemInfo(int item) override;
    // GetItemInfo without the type name, whose look-up in the MIME database
    // costs more than the rest: what a transfer needs of each file.
    TItemInfo GetItemFacts(int item) const;
    bool GotoUpperDirectory() override;
    bool OpenDirectory(const QString& name) override;
    int CreateDirectory(const QString& name, bool refresh, bool makeUnique) override;
    bool RenameItem(int item, QString& newName) override;
    bool DeleteItems(int item, bool selected) override;
    // "d" or "l", or a directory this view has just made.
    bool IsDirectoryItem(int item) const override;
    // Nothing (nullptr) when recursion is asked for and the view is not
    // ready, and when any directory of the walk cannot be entered or listed:
    // never a tree with directories left out. A link at the top whose "CWD"
    // is refused with 5xx goes as a file; one that leads back to a directory
    // the walk is in (same "PWD") is left out. Names that would be paths
    // ("/", NUL, ".", "..") never become entries.
    std::unique_ptr<TDirectory> GetDirectoryTree(bool recursive, bool selectedOnly) override;
    // The remote tree of one directory item, walked with "CWD", the listing,
    // "PWD" and "CDUP" (a link is left by "CWD" to the directory it is in);
    // nullptr when the walk fails. Links below the top are files. The view's
    // items stay as they are.
    std::unique_ptr<TDirectory> GetItemTree(int item, bool recursive) override;
    // An entry without listing; an entry with "d" attributes counts as a
    // directory until the next listing, with a blank Attributes column.
    void AddItem(const TItemInfo& info) override;
    int FindItemData(TFindKind find, const QString& text, int start, bool wrap) override;
    // What a drag of the selection carries (see TDragOutData); the caller owns it.
    QMimeData* NewDragData();

protected:
    // A directory is entered; a link too, unless the server refuses that
    // for good: then it leads to a file, which goes to OnItemDblClick.
    void ItemDblClick(Qt::MouseButton button, int item) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void HandleKey(int key, Qt::KeyboardModifiers shift) override;
    void FreeItem(int index) override;
    void FillListItem(int index, TListItem& item) override;
    void UpdateItemInfo(int first, int last) override;

private:
    class TCommandScope;
    // What a deletion needs of an item, taken before any command runs: the
    // walk lists directories again, and indices do not survive that.
    struct TDoomedEntry {
        QString Name;
        bool IsDirectory = false;
        bool IsLink = false;
    };

    TFtpItem* Item(int index) const;
    int IndexOf(const TFtpItem* record) const;  // -1 when it is gone
    int OtherItemNamed(const QString& name, int except) const;
    static TCmdType ExpectedType(TRunKind kind, const QString& name);
    void CallClient(TRunKind kind, const QString& name, int number, const QString& newName);
    QString QueryCurrentDirectory();
    void BuildItems();
    bool SamePath(const QString& a, const QString& b) const;
    TDoomedEntry Doomed(int index) const;
    QList<int> TargetItems(int item, bool selected) const;
    bool DeleteEntry(const TDoomedEntry& entry);
    bool DeleteTree(const QString& name);
    bool RemoveRecordNamed(const QString& name);
    // What a tree walk made of one directory entry (FtpFileListViewTree.cpp).
    struct TWalked {
        enum TKind { wkTree, wkAsFile, wkLeftOut, wkFailed } Kind = wkFailed;
        std::unique_ptr<TDirectory> Tree;
    };
    // above: the "PWD" paths of the directories the walk is in, outermost first.
    TWalked WalkDirectory(const QString& name, bool recursive, bool isLink, QStringList& above);
    TWalked ListEntered(const QString& name, bool recursive, QStringList& above);
    static bool AddWalked(TDirectory& tree, const QString& name, TWalked walked);
    // A command of a walk: none goes out once the connection is gone, where
    // each would only ask for a connection again.
    bool WalkCommand(TRunKind kind, const QString& name = {}, int number = 0);

    QPointer<TFtpClient> FFtp;
    bool FInCommand = false;
    bool FSuccessNoted = false;
    bool FFailureNoted = false;
    TCmdType FExpectedType = ctCommand;
    int FCurrentYear = 0;
    bool FServerIgnoresCase = false;
    bool FListed = false;
    bool FRecursiveDeletions = true;
    bool FConfirmDeletions = true;
};
