// "FEAT" after the login and what it decides against the scripted server:
// "OPTS UTF8 ON", and listings by "MLSD" or "LIST".
#include "support/EngineRecorder.h"
#include "support/ScriptedFtpServer.h"

#include "net/FTPMlsdList.h"
#include "net/FTPUnixList.h"
#include "net/FtpReply.h"

#include <gtest/gtest.h>

namespace {

const QByteArray Utf8Only = "211-Features:\r\n UTF8\r\n211 End\r\n";
const QByteArray MlstOnly = "211-Features:\r\n MLST type*;size*;modify*;\r\n211 End\r\n";
const QByteArray MlstAndUtf8 = "211-Features:\r\n MDTM\r\n MLST type*;size*;\r\n UTF8\r\n211 End\r\n";
const QByteArray MlsdData = "type=cdir; .\r\ntype=file;size=5; a b.txt\r\n";
const QByteArray ListData = "-rw-r--r-- 1 u g 5 Jan 01 2020 a b.txt\r\n";

// A client of its own per row: features belong to one connection.
struct FeatureRig {
    explicit FeatureRig(const QByteArray& featReply)
    {
        SetUpTestClient(Ftp, Server.Port());
        Ftp.ParseList = true;
        if (!featReply.isEmpty()) Server.SetReply("FEAT", featReply);
        Server.SetData("LIST", ListData);
        Server.SetData("MLSD", MlsdData);
    }
    // Logs in and lists once; what went out after "USER" and "PASS".
    QByteArrayList LogInAndList()
    {
        Ftp.Connect();
        Ftp.ListDirectory();
        return Server.MaskedCommands().mid(2);
    }
    bool ListedByMlsd() const { return dynamic_cast<TFTPMlsdList*>(Ftp.DirectoryList()) != nullptr; }

    ScriptedFtpServer Server;
    TFtpClient Ftp;
    EngineRecorder Log{Ftp};
};

}  // namespace

TEST(FtpFeatureNegotiation, FeatDecidesTheUtf8OptionAndTheListingCommand)
{
    const QByteArray mlsdReply = "150 Here it comes\r\n";
    const struct {
        const char* Why;
        QByteArray Feat;
        bool ForceList;
        QByteArray MlsdReply;
        QByteArrayList Commands;
        bool Mlsd;
    } cases[] = {
        {"no FEAT", {}, false, mlsdReply, {"FEAT", "SYST", "PORT *", "LIST"}, false},
        {"no features", "211 No features\r\n", false, mlsdReply, {"FEAT", "SYST", "PORT *", "LIST"}, false},
        {"UTF8 only", Utf8Only, false, mlsdReply, {"FEAT", "OPTS UTF8 ON", "SYST", "PORT *", "LIST"}, false},
        {"MLST only", MlstOnly, false, mlsdReply, {"FEAT", "SYST", "PORT *", "MLSD"}, true},
        {"both", MlstAndUtf8, false, mlsdReply, {"FEAT", "OPTS UTF8 ON", "SYST", "PORT *", "MLSD"}, true},
        // The mode is offered but not sent: it is asked for with what is sent.
        {"mode offered",
         "211-Features:\r\n MLST type*;size*;modify*;perm*;UNIX.mode;\r\n211 End\r\n",
         false,
         mlsdReply,
         {"FEAT", "OPTS MLST type;size;modify;perm;UNIX.mode;", "SYST", "PORT *", "MLSD"},
         true},
        {"mode sent",
         "211-Features:\r\n MLST type*;UNIX.mode*;\r\n211 End\r\n",
         false,
         mlsdReply,
         {"FEAT", "SYST", "PORT *", "MLSD"},
         true},
        {"forced LIST",
         MlstAndUtf8,
         true,
         mlsdReply,
         {"FEAT", "OPTS UTF8 ON", "SYST", "PORT *", "LIST"},
         false},
        {"MLSD not implemented",
         MlstOnly,
         false,
         "502 Not implemented\r\n",
         {"FEAT", "SYST", "PORT *", "MLSD", "PORT *", "LIST"},
         false},
        {"MLSD refused here",
         MlstOnly,
         false,
         "550 No\r\n",
         {"FEAT", "SYST", "PORT *", "MLSD", "PORT *", "LIST"},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        FeatureRig rig(c.Feat);
        rig.Ftp.ForceList = c.ForceList;
        rig.Server.SetReply("MLSD", c.MlsdReply);
        EXPECT_EQ(rig.LogInAndList(), c.Commands);
        // A refused "MLSD" is no failure: the listing is the one by "LIST".
        EXPECT_EQ(rig.Log.Events, (QStringList{"connect", "success 14", "success 4"}));
        EXPECT_EQ(rig.ListedByMlsd(), c.Mlsd);
        ASSERT_NE(rig.Ftp.DirectoryList(), nullptr);
        EXPECT_EQ(rig.Ftp.DirectoryList()->NameList, QByteArrayList{"a b.txt"});
        EXPECT_EQ(rig.Ftp.DirectoryList()->SizeList, QByteArrayList{"5"});
        EXPECT_FALSE(rig.Log.WatchdogFired());
    }
}

TEST(FtpFeatureNegotiation, OnlyAnUnimplementedMlsdIsGivenUpForTheSession)
{
    for (const QByteArray refusal : {"500 Unknown\r\n", "502 Not implemented\r\n", "550 Not here\r\n"}) {
        SCOPED_TRACE(refusal.constData());
        FeatureRig rig(MlstOnly);
        rig.Server.QueueReply("MLSD", refusal);
        rig.Server.SetReply("MLSD", "150 Here it comes\r\n");
        rig.LogInAndList();
        const qsizetype before = rig.Server.Commands().size();
        rig.Ftp.ListDirectory();
        const bool forSession = FtpReply::CodeOf(refusal) <= 504;
        EXPECT_EQ(rig.Server.MaskedCommands().mid(before),
                  (QByteArrayList{"PORT *", forSession ? "LIST" : "MLSD"}));
        EXPECT_EQ(rig.ListedByMlsd(), !forSession);
        EXPECT_EQ(rig.Ftp.DirectoryList()->NameList, QByteArrayList{"a b.txt"});

        // A new connection asks again.
        rig.Ftp.Disconnect();
        EXPECT_FALSE(rig.Ftp.MlsdOffered());
        rig.Server.SetReply("FEAT", "500 Unknown\r\n");
        rig.Ftp.Connect();
        EXPECT_FALSE(rig.Ftp.MlsdOffered());
        rig.Server.SetReply("FEAT", MlstOnly);
        rig.Ftp.Disconnect();
        const qsizetype again = rig.Server.Commands().size();
        rig.Ftp.Connect();
        rig.Ftp.ListDirectory();
        EXPECT_EQ(rig.Server.MaskedCommands().mid(again + 2),
                  (QByteArrayList{"FEAT", "SYST", "PORT *", "MLSD"}));
        EXPECT_FALSE(rig.Log.WatchdogFired());
    }
}

TEST(FtpFeatureNegotiation, RefusedUtf8OptionLeavesTheSessionAsItIs)
{
    FeatureRig rig(MlstAndUtf8);
    // pyftpdlib, which speaks UTF-8 anyway, answers so.
    rig.Server.SetReply("OPTS", "501 Invalid argument.\r\n");
    rig.Ftp.Connect();
    EXPECT_TRUE(rig.Ftp.Connected());
    EXPECT_TRUE(rig.Ftp.Utf8Offered());
    EXPECT_TRUE(rig.Ftp.MlsdOffered());
    EXPECT_EQ(rig.Ftp.Features().Parameters("MLST"), "type*;size*;");
    EXPECT_EQ(rig.Log.Events, QStringList{"connect"});
    EXPECT_EQ(rig.Log.Status.mid(rig.Log.Status.indexOf("FEAT")),
              (QStringList{"FEAT", "211-Features:", " MDTM", " MLST type*;size*;", " UTF8", "211 End",
                           "OPTS UTF8 ON", "501 Invalid argument."}));
    EXPECT_FALSE(rig.Log.WatchdogFired());
}

TEST(FtpFeatureNegotiation, AFeatReplyThatNeverEndsEndsTheSession)
{
    QByteArray endless = "211-Features:\r\n";
    while (endless.size() <= FtpReply::MaxReplySize)
        endless += " X-FEATURE-WITH-A-LONG-NAME-THAT-REPEATS\r\n";
    FeatureRig rig(endless);
    EXPECT_THROW(rig.Ftp.Connect(), EProtocolError);
    EXPECT_FALSE(rig.Ftp.Connected());
    EXPECT_EQ(rig.Ftp.Features().Count(), 0);
    EXPECT_FALSE(rig.Log.WatchdogFired());
}
