#include "RemoteSite.h"

#include "platform/RemoteText.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

TRemoteSite::TRemoteSite(ScriptedFtpServer& server, TResumableFtp& ftp) : FServer(server)
{
    FEntries.insert(QStringLiteral("/"), {kDir, 0, {}});
    ftp.OnStatus = [this](QObject*, const QString& text) { BeforeCommand(text); };
    FServer.SetReply("PWD", "257 \"/\" is current directory\r\n");
    FServer.SetData("LIST", Listing());
}

void TRemoteSite::AddDirectory(const QString& path)
{
    FEntries.insert(path, {kDir, 0, {}});
}

void TRemoteSite::AddFile(const QString& path, quint64 size)
{
    FEntries.insert(path, {kFile, size, {}});
}

void TRemoteSite::AddLink(const QString& path, const QString& target)
{
    FEntries.insert(path, {kLink, 0, target});
}

QStringList TRemoteSite::Names(const QString& dir) const
{
    QStringList names;
    for (auto it = FEntries.begin(); it != FEntries.end(); ++it)
        if (it.key() != "/" && Parent(it.key()) == dir) names << NameOf(it.key());
    names.sort();
    return names;
}

QString TRemoteSite::Parent(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString TRemoteSite::NameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// "." and ".." mean what they mean on a real server.
QString TRemoteSite::Resolve(const QString& name) const
{
    if (name.startsWith(u'/')) return QDir::cleanPath(name);
    return QDir::cleanPath(Cwd + "/" + name);
}

// Status texts of replies begin with their code; everything else the client
// reports at this level is a command about to go out.
void TRemoteSite::BeforeCommand(const QString& command)
{
    if (command.isEmpty() || command.front().isDigit()) return;
    const qsizetype space = command.indexOf(u' ');
    const QByteArray verb = (space < 0 ? command : command.left(space)).toUpper().toLatin1();
    const QString argument = space < 0 ? QString() : command.mid(space + 1);
    const QByteArray reply = Answer(verb, argument);
    if (!reply.isEmpty()) FServer.QueueReply(verb, reply);
}

QByteArray TRemoteSite::Answer(const QByteArray& verb, const QString& argument)
{
    if (verb == "USER") Cwd = QStringLiteral("/");  // every session starts at the root
    if (verb == "CWD") return ChangeDirectory(Resolve(argument));
    if (verb == "CDUP") {
        Cwd = Parent(Cwd);
        return "250 OK\r\n";
    }
    if (verb == "PWD") return "257 \"" + EncodeRemote(Cwd) + "\" is current directory\r\n";
    if (verb == "LIST") {
        if (Unlistable.contains(Cwd)) return "550 Cannot list\r\n";
        FServer.SetData("LIST", Listing());
        return {};
    }
    if (verb == "DELE") return Remove(Resolve(argument), kFile);
    if (verb == "RMD") return Remove(Resolve(argument), kDir);
    if (verb == "MKD") {
        const QString path = Resolve(argument);
        if (Exists(path)) return "550 Exists\r\n";
        AddDirectory(path);
        return "257 \"" + EncodeRemote(path) + "\" created\r\n";
    }
    if (verb == "RNFR") {
        FRenameFrom = Resolve(argument);
        if (Exists(FRenameFrom) && !Refused.contains(FRenameFrom)) return "350 Ready\r\n";
        FRenameFrom.clear();
        return "550 No such file\r\n";
    }
    if (verb == "RNTO") return RenameTo(Resolve(argument));
    return {};
}

QByteArray TRemoteSite::ChangeDirectory(const QString& path)
{
    const auto it = FEntries.constFind(path);
    if (it == FEntries.cend() || Refused.contains(path)) return "550 No such directory\r\n";
    if (it->Kind == kFile) return "550 Not a directory\r\n";
    Cwd = it->Kind == kLink ? it->Target : path;
    return "250 OK\r\n";
}

// A link is removed by DELE like a file; RMD takes only an empty directory.
QByteArray TRemoteSite::Remove(const QString& path, TKind kind)
{
    const auto it = FEntries.constFind(path);
    if (it == FEntries.cend() || Refused.contains(path)) return "550 Refused\r\n";
    const bool fits = kind == kDir ? it->Kind == kDir && Names(path).isEmpty() : it->Kind != kDir;
    if (!fits) return "550 Refused\r\n";
    FEntries.remove(path);
    return "250 OK\r\n";
}

QByteArray TRemoteSite::RenameTo(const QString& path)
{
    if (FRenameFrom.isEmpty()) return AcceptOrphanRename ? "250 OK\r\n" : "503 RNFR first\r\n";
    // As real servers do: a file takes the place of another without a word.
    const bool replaces =
        Exists(path) && FEntries.value(path).Kind != kDir && FEntries.value(FRenameFrom).Kind != kDir;
    if (!Exists(FRenameFrom) || (Exists(path) && !replaces) || path == FRenameFrom)
        return "553 Not renamed\r\n";
    FEntries.remove(path);
    QMap<QString, TEntry> moved;
    for (auto it = FEntries.begin(); it != FEntries.end();) {
        if (it.key() == FRenameFrom || it.key().startsWith(FRenameFrom + "/")) {
            moved.insert(path + it.key().mid(FRenameFrom.size()), it.value());
            it = FEntries.erase(it);
        } else {
            ++it;
        }
    }
    FEntries.insert(moved);
    FRenameFrom.clear();
    return "250 OK\r\n";
}

// Unix long form, as most servers send it: a total line, "." and "..", then
// the entries in name order.
QByteArray TRemoteSite::Listing() const
{
    const QByteArray dots =
        "drwxr-xr-x   4 ftp  ftp      4096 Mar  3  1999 .\r\n"
        "drwxr-xr-x   9 ftp  ftp      4096 Mar  3  1999 ..\r\n";
    QByteArray data = "total 8\r\n";
    if (!DotsLast) data += dots;
    for (const QString& name : Names(Cwd)) {
        const TEntry& entry = FEntries[Resolve(name)];
        const QByteArray bytes = EncodeRemote(name);
        switch (entry.Kind) {
        case kDir: data += "drwxr-xr-x   2 ftp  ftp      4096 Jan 12 12:30 " + bytes; break;
        case kFile:
            data += "-rw-r--r--   1 ftp  ftp  " + QByteArray::number(entry.Size).rightJustified(8) +
                    " Feb  5  2001 " + bytes;
            break;
        case kLink:
            data += "lrwxrwxrwx   1 ftp  ftp        11 Jan 12  2001 " + bytes + " -> " +
                    EncodeRemote(entry.Target);
            break;
        }
        data += "\r\n";
    }
    if (DotsLast) data += dots;
    return data;
}

TWatchdog::TWatchdog(TFtpClient& client, int ms)
{
    FTimer.setSingleShot(true);
    QObject::connect(&FTimer, &QTimer::timeout, [this, &client] {
        FFired = true;
        client.Abort();
        client.Cancel();
    });
    FTimer.start(ms);
}

void ForwardOutcomes(TFtpClient& client, TFtpFileListView& view, QStringList* events)
{
    client.OnSuccess = [&view, events](TCmdType type) {
        if (events) *events << QStringLiteral("success %1").arg(int(type));
        view.NoteSuccess(type);
    };
    client.OnFailure = [&view, events](bool& handled, TCmdType type) {
        if (events) *events << QStringLiteral("failure %1").arg(int(type));
        handled = true;
        view.NoteFailure(type);
    };
}

QStringList Captions(const TFtpFileListView& view)
{
    QStringList rows;
    for (int row = 0; row < view.model()->rowCount(); ++row)
        rows << view.model()->index(row, 0).data().toString();
    return rows;
}

void EndCaptionEdit(TFtpFileListView& view, const QString& text)
{
    // Closed editors linger until deleted later: ask for the current one.
    const QModelIndex current = view.model()->index(view.currentIndex().row(), 0);
    auto* editor = qobject_cast<QLineEdit*>(view.indexWidget(current));
    ASSERT_TRUE(editor);
    if (!text.isEmpty()) editor->setText(text);
    QTest::keyClick(editor, text.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&view] { return !view.IsEditing(); }, 5000));
}
