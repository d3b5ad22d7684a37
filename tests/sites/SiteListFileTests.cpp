// The site list file: its layout, damaged files, and how it is written.
#include "SiteListFixture.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QByteArray Commented = "Box\r\nftp.example.org\r\n1\r\njoe\r\npw\r\n/l\r\n/r\r\nfirst\r\nsecond\r\n";
const QString ReadError = QStringLiteral("An error occurred while reading site list file");
const QString Corrupted =
    QStringLiteral("The file that contains the site list has been corrupted\r\nRemove corrupted data?");

TEST(SiteListFormat, WritesTheDesignedLayoutAndReadsItBackByteForByte)
{
    const QByteArray tree =
        "QuilloFTP\r\n\tWork\r\n\t\t\xC3\x9C"
        "bersicht\r\n\tHome\r\n";
    const QByteArray file =
        FileBytes(tree, {Record({Commented}), Record({"a\r\n", "b"}), Record({""}), Record({})});
    TSiteFolder top;
    TSiteListReader reader;
    reader.Read(file, top);
    EXPECT_FALSE(reader.DamageReported());
    EXPECT_EQ(Outline(top), QString::fromUtf8("QuilloFTP[Box]\n\tWork[a,]\n\t\t\xC3\x9C"
                                              "bersicht[]\n\tHome[]"));
    EXPECT_EQ(EncodeSiteList(top), file);
}

TEST(SiteListFormat, TheLongestSiteTheDialogMakesIsRead)
{
    // Every field at the dialog's limit, in characters of three UTF-8 bytes.
    const auto wide = [](int count) { return QString(count, QChar(0x20AC)); };
    TSiteSettings site;
    site.SiteName = wide(100);
    site.Address = wide(100);
    site.UserName = wide(50);
    site.Password = wide(50);
    site.LocalStartupDir = wide(200);
    site.RemoteStartupDir = wide(200);
    site.Comments = wide(5000) + "\r\n";
    site.NormalLogin = true;
    const QByteArray text = SiteToText(site);
    ASSERT_GT(text.size(), 5701);
    TSiteFolder top;
    TSiteListReader reader;
    reader.Read(FileBytes("A\r\n", {Record({text})}), top);
    EXPECT_FALSE(reader.DamageReported());
    ASSERT_EQ(top.Child(0)->Settings.Count(), 1);
    EXPECT_EQ(TextToSite(top.Child(0)->Settings.Sites[0].SiteText()), site);
}

TEST(SiteListFormat, TreeTextLevels)
{
    const struct {
        QByteArray text;
        const char* outline;
        const char* error;
    } cases[] = {
        {"A\r\n\tB\r\n\t\tC\r\n\tD\r\nE\r\n", "A[]\n\tB[]\n\t\tC[]\n\tD[]\nE[]", ""},
        // An indented first line is still a top-level folder; blanks count
        // as TABs; a lone CR or LF ends a line too.
        {"  A\n B\rC", "A[]\n\tB[]\nC[]", ""},
        {"A\r\n\tB\r\n\t\tC\r\nD", "A[]\n\tB[]\n\t\tC[]\nD[]", ""},
        {QByteArrayLiteral("A\r\nB\0C\r\n"), "A[]\nB[]", ""},
        {"Caf\xE9\r\n", "Caf\xC3\xA9[]", ""},  // 8-bit names of older lists
        {"A\r\n\t\tB\r\nC\r\n", "A[]", "Invalid level (2) for item \"B\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.constData());
        TSiteFolder top;
        TSiteFolder* last = nullptr;
        QString error;
        const bool ok = BuildFolderTree(c.text, top, last, error);
        EXPECT_EQ(ok, !*c.error);
        EXPECT_EQ(error, QString::fromUtf8(c.error));
        EXPECT_EQ(Outline(top), QString::fromUtf8(c.outline));
    }
}

TEST(SiteListFormat, AHugeTreeTextBuildsNoMoreThanTheFolderLimit)
{
    const QByteArray tree(MaxFolderCount + 1, '\n');
    TSiteFolder top;
    TSiteListReader reader;
    int questions = 0;
    reader.OnCorruptedFile = [&](TSiteFolder*) { return ++questions, false; };
    reader.Read(Int32(qint32(tree.size())) + tree, top);
    EXPECT_EQ(top.ChildCount(), MaxFolderCount);
    EXPECT_EQ(questions, 1);
}

// Each damaged file with either answer to the corruption question: what is
// asked (once per load), what the list shows, and what becomes of the file.
// The backup keeps the last intact list, and an earlier damaged copy stays.
TEST_F(SiteListTest, DamagedFilesLoadWithTheirMessagesAndEitherAnswer)
{
    const QByteArray tree = "A\r\nB\r\n";
    const struct {
        const char* name;
        QByteArray bytes;
        bool damaged;  // false: nothing asked
        const char* outlineIfNo;
        const char* outlineIfYes;
    } cases[] = {
        {"one byte", "\x01", false, "QuilloFTP[]", ""},
        {"three bytes", "\x01\x02\x03", false, "QuilloFTP[]", ""},
        {"empty", "", false, "QuilloFTP[]", ""},
        {"no tree text", Int32(0), false, "QuilloFTP[]", ""},
        {"zeroed tree length", Int32(0) + tree + Record({"s\r\n"}) + Record({}), true, "QuilloFTP[]",
         "QuilloFTP[]"},
        {"short tree text", Int32(50) + "A\r\n", true, "QuilloFTP[]", "QuilloFTP[]"},
        {"negative tree length", Int32(-5) + tree, true, "QuilloFTP[]", "QuilloFTP[]"},
        {"level jump", FileBytes("A\r\n\t\tB\r\n", {Record({"s\r\n"})}), true, "A[s]", "A[]"},
        {"negative site count", FileBytes(tree, {Int32(-1), Record({"t\r\n"})}), true, "A[]\nB[t]",
         "A[]\nB[]"},
        {"negative site length",
         FileBytes(tree, {Int32(2) + Int32(3) + "s\r\n" + Int32(-1), Record({"t\r\n"})}), true, "A[s]\nB[t]",
         "A[s]\nB[]"},
        {"oversized site length",
         FileBytes(tree, {Int32(2) + Int32(3) + "s\r\n" + Int32(MaxSiteTextLength + 1), Record({"t\r\n"})}),
         true, "A[s]\nB[t]", "A[s]\nB[]"},
        // Every folder after the damage fails too: still one question.
        {"truncated site", FileBytes(tree, {Int32(1) + Int32(9) + "s\r\n"}), true, "A[]\nB[]", "A[]\nB[]"},
        {"bytes after the last folder", FileBytes(tree, {Record({"s\r\n"}), Record({}), "xyz"}), true,
         "A[s]\nB[]", "A[s]\nB[]"},
    };
    const QByteArray intact = FileBytes("Old\r\n", {Record({})});
    const QByteArray earlier = "an earlier damaged list";
    for (const auto& c : cases) {
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (yes ? ", Yes" : ", No"));
            if (yes && !c.damaged) continue;
            // With Yes an earlier incident left its copy, so this one's copy
            // takes the next free name.
            const QString copy = FileName() + (yes ? ".damaged.2" : ".damaged");
            for (const char* suffix : {".damaged", ".damaged.2"})
                QFile::remove(FileName() + suffix);
            if (yes) {
                ASSERT_TRUE(testfiles::Write(FileName() + ".damaged", earlier));
            }
            ASSERT_TRUE(testfiles::Write(FileName() + ".bak", intact));
            ASSERT_TRUE(testfiles::Write(FileName(), c.bytes));
            Dialogs.Asked.clear();
            if (c.damaged) Dialogs.Answer(yes ? mrYes : mrNo);
            Open();
            QStringList expected;
            if (c.damaged) expected << ReadError << Corrupted;
            const QString kept = QStringLiteral("The damaged site list file was kept as \"%1\".").arg(copy);
            if (yes) expected << kept;
            EXPECT_EQ(AskedTexts(), expected);
            EXPECT_EQ(Shown(), QLatin1String(yes ? c.outlineIfYes : c.outlineIfNo));
            // Yes writes the list at once and keeps the damaged file; No
            // leaves the file alone until the list changes.
            if (yes)
                EXPECT_EQ(FileOutline(OnDisk()), Shown());
            else
                EXPECT_EQ(OnDisk(), c.bytes);
            EXPECT_EQ(testfiles::Read(copy), yes ? c.bytes : QByteArray("<missing>"));
            if (!yes && c.damaged) {
                Dialogs.Asked.clear();
                Window->actAddFolder->trigger();
                EXPECT_EQ(AskedTexts(), QStringList{kept});
                EXPECT_EQ(testfiles::Read(copy), c.bytes);
            }
            EXPECT_EQ(testfiles::Read(FileName() + ".bak"), intact);
            if (yes) {
                EXPECT_EQ(testfiles::Read(FileName() + ".damaged"), earlier);
            }
            Window.reset();
        }
    }
}

mode_t Mode(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
}

class UmaskOf {
public:
    explicit UmaskOf(mode_t mask) : Old(::umask(mask)) {}
    ~UmaskOf() { ::umask(Old); }

private:
    mode_t Old;
};

TEST_F(SiteListTest, EveryChangeReplacesTheFileAtOnceKeepingTheOldOneReadableByTheOwnerOnly)
{
    const UmaskOf umask(022);
    const QByteArray before = FileBytes("Sites\r\n", {Record({"s\r\n"})});
    ASSERT_TRUE(testfiles::Write(FileName(), before));
    Open();
    Window->actAddFolder->trigger();
    EXPECT_EQ(FileOutline(OnDisk()), "Sites[s]\n\tNew folder[]");
    EXPECT_EQ(testfiles::Read(FileName() + ".bak"), before);
    EXPECT_EQ(Mode(FileName()), 0600u);
    EXPECT_EQ(Mode(FileName() + ".bak"), 0600u);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"Sites.dat", "Sites.dat.bak", "store.ini"}));
}

// Lowers the largest file this process may write, so a write fails half-way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : Handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &Old);
        const rlimit limit{bytes, Old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &Old);
        std::signal(SIGXFSZ, Handler);
    }

private:
    rlimit Old{};
    void (*Handler)(int);
};

TEST_F(SiteListTest, AWriteThatFailsHalfWayLeavesThePreviousFileIntact)
{
    const QByteArray before = FileBytes("Sites\r\n", {Record({Commented})});
    ASSERT_TRUE(testfiles::Write(FileName(), before));
    Open();
    {
        const FileSizeLimit limit(rlim_t(before.size() + 8));
        Window->actAddFolder->trigger();
    }
    EXPECT_EQ(AskedTexts(), QStringList{"An error occurred while writing to site list file"});
    EXPECT_EQ(OnDisk(), before);
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"Sites.dat", "Sites.dat.bak", "store.ini"}));
    // The next change that can be written is.
    Window->actAddFolder->trigger();
    EXPECT_EQ(FileOutline(OnDisk()), "Sites[Box]\n\tNew folder[]\n\tNew folder (2)[]");
}

// A file that cannot be read, or whose old version cannot be kept as the
// backup, is left as it is: the list is not written over it.
TEST_F(SiteListTest, AFileThatCannotBeReadOrBackedUpIsNeverReplaced)
{
    const QString open = QStringLiteral("Failed to open the site list file");
    const QString tooLarge = QStringLiteral(
        "The site list file is larger than 16 MB, far more than any site list holds: it was not read and "
        "will not be replaced");
    const QString writeError = QStringLiteral("An error occurred while writing to site list file");
    const struct {
        const char* name;
        std::function<bool(const QString& file)> make;
        QString failure;  // told at the load (unless the file was read) and at the write
        bool read;
    } cases[] = {
        {"larger than the limit",
         [](const QString& file) {
             QFile big(file);
             return big.open(QIODevice::WriteOnly) && big.resize(MaxSiteListFileSize + 1);
         },
         tooLarge, false},
        // A device or FIFO could block the read or never end.
        {"no regular file", [](const QString& file) { return QFile::link("/dev/null", file); }, open, false},
        {"backup cannot be replaced",
         [](const QString& file) {
             return testfiles::Write(file, FileBytes("Sites\r\n", {Record({})})) &&
                    QDir().mkpath(file + ".bak") && testfiles::Write(file + ".bak/keep", "x");
         },
         writeError, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(FileName() + ".bak").removeRecursively();
        QFile::remove(FileName());
        ASSERT_TRUE(c.make(FileName()));
        const QByteArray before = OnDisk();
        Dialogs.Asked.clear();
        Open();
        Window->actAddFolder->trigger();
        EXPECT_EQ(AskedTexts(), c.read ? QStringList{c.failure} : QStringList({c.failure, c.failure}));
        EXPECT_EQ(OnDisk(), before);
        EXPECT_FALSE(QFileInfo(FileName() + ".bak").isFile());
        Window.reset();
    }
}

TEST_F(SiteListTest, AFileChangedByAnotherRunningCopyIsReplacedOnlyWhenTheUserSaysSo)
{
    Open();
    std::unique_ptr<TfrmSiteList> other = NewWindow();
    other->actAddFolder->trigger();
    const QByteArray theirs = OnDisk();
    const QString question = QStringLiteral(
                                 "The site list file \"%1\" has been changed by another program since "
                                 "it was read.\r\nDo you want to replace it with this site list?")
                                 .arg(FileName());
    Dialogs.Answer(mrNo);
    Window->actAddFolder->trigger();
    EXPECT_EQ(OnDisk(), theirs);
    Dialogs.Answer(mrYes);
    Window->actAddFolder->trigger();
    EXPECT_EQ(AskedTexts(), QStringList({question, question}));
    EXPECT_EQ(FileOutline(OnDisk()), "QuilloFTP[]\n\tNew folder[]\n\tNew folder (2)[]");
    EXPECT_EQ(testfiles::Read(FileName() + ".bak"), theirs);
    other.reset();  // it changed nothing since its write: nothing more to write
    EXPECT_EQ(Dialogs.Asked.size(), 2u);
}

TEST_F(SiteListTest, AnOlderListIsWrittenAgainOnlyAfterAChangeAndThenAsUtf8)
{
    const QByteArray older =
        FileBytes("Caf\xE9\r\n", {Record({"Na\xEFve\r\nhost\r\n0\r\n\r\n\r\n\r\n\r\n"})});
    ASSERT_TRUE(testfiles::Write(FileName(), older));
    Open();
    EXPECT_EQ(Shown(), QString::fromUtf8("Caf\xC3\xA9[Na\xC3\xAFve]"));
    Window->SaveSiteList(true);
    Window.reset();
    EXPECT_EQ(OnDisk(), older);

    Open();
    Window->actAddFolder->trigger();
    EXPECT_TRUE(OnDisk().startsWith(Int32(20) + "Caf\xC3\xA9\r\n\tNew folder\r\n"));
    // A site's text stays as it was stored until the site is edited.
    EXPECT_TRUE(OnDisk().contains("Na\xEFve\r\nhost"));
}

}  // namespace
