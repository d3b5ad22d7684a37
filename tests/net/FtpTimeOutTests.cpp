// Time-outs of the FTP client against servers that stop answering: a silent
// control connection costs the session, a stalled data connection only the
// transfer.
#include "support/EngineRecorder.h"
#include "support/ScriptedFtpServer.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int TimeOutMs = 300;

// One client against one scripted server, with a short time-out.
struct TimeOutRig {
    TimeOutRig()
    {
        SetUpTestClient(Ftp, Server.Port());
        Ftp.TimeOut = TimeOutMs;
        Ftp.OnDisconnect = [this](QObject*) { ++Disconnects; };
        Server.SetReply("NOOP", "200 NOOP ok\r\n");
        Server.SetData("RETR", testfiles::SeededBytes(200000, 4));
        QByteArray listing;
        for (int i = 0; i < 5000; ++i)
            listing += "-rw-r--r-- 1 u g 5 Jan 01 2020 a.txt\r\n";
        Server.SetData("LIST", listing);
    }
    QString Local(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir Dir;
    ScriptedFtpServer Server;
    TFtpClient Ftp;
    EngineRecorder Log{Ftp};
    int Disconnects = 0;
};

struct SilentCase {
    const char* name;
    std::function<void(TimeOutRig&)> script;
    std::function<void(TimeOutRig&)> run;  // after the login, unless it is the greeting
    bool logIn;
};

TEST(FtpTimeOut, ASilentControlConnectionEndsTheWaitAndTheSession)
{
    const SilentCase cases[] = {
        {"greeting", [](TimeOutRig& r) { r.Server.SetGreeting(""); }, [](TimeOutRig& r) { r.Ftp.Connect(); },
         false},
        {"reply", [](TimeOutRig& r) { r.Server.IgnoreNext("NOOP"); },
         [](TimeOutRig& r) { r.Ftp.SendCommand("NOOP"); }, true},
        {"PORT reply", [](TimeOutRig& r) { r.Server.IgnoreNext("PORT"); },
         [](TimeOutRig& r) { r.Ftp.ListDirectory(); }, true},
        {"transfer command", [](TimeOutRig& r) { r.Server.IgnoreNext("RETR"); },
         [](TimeOutRig& r) { r.Ftp.RetrieveFile("f", r.Local("f")); }, true},
        {"EPSV reply", [](TimeOutRig& r) { r.Server.IgnoreNext("EPSV"); },
         [](TimeOutRig& r) {
             r.Ftp.PassiveMode = true;
             r.Ftp.ListDirectory();
         },
         true},
        // Our passive connection is open while the server keeps silent.
        {"transfer command, passive", [](TimeOutRig& r) { r.Server.IgnoreNext("RETR"); },
         [](TimeOutRig& r) {
             r.Ftp.PassiveMode = true;
             r.Ftp.RetrieveFile("f", r.Local("f"));
         },
         true},
        {"final reply", [](TimeOutRig& r) { r.Server.SendControlAfterBytes(200000, "", true); },
         [](TimeOutRig& r) { r.Ftp.RetrieveFile("f", r.Local("f")); }, true},
    };
    for (const SilentCase& c : cases) {
        SCOPED_TRACE(c.name);
        TimeOutRig rig;
        c.script(rig);
        if (c.logIn) rig.Ftp.Connect();
        try {
            c.run(rig);
            ADD_FAILURE() << "the wait did not end";
        } catch (const ETimeOutError& e) {
            EXPECT_EQ(e.Message(), "No reply from the server within 300 ms");
        }
        EXPECT_FALSE(rig.Ftp.Connected());
        EXPECT_EQ(rig.Disconnects, 1);
        EXPECT_TRUE(rig.Ftp.TimedOut());  // the main window's retry and log rules read it
        EXPECT_FALSE(rig.Log.Events.contains("success 8"));
        EXPECT_FALSE(rig.Log.WatchdogFired());
    }
}

struct StallCase {
    const char* name;
    std::function<void(TimeOutRig&)> run;
};

const StallCase Stalls[] = {
    {"download", [](TimeOutRig& r) { r.Ftp.RetrieveFile("f", r.Local("f")); }},
    {"listing", [](TimeOutRig& r) { r.Ftp.ListDirectory(); }},
    {"upload",
     [](TimeOutRig& r) {
         // Far beyond what the socket buffers of both ends hold.
         ASSERT_TRUE(testfiles::Write(r.Local("up"), testfiles::SeededBytes(24 << 20, 6)));
         r.Ftp.StoreFile(r.Local("up"), "up");
     }},
};

TEST(FtpTimeOut, AStalledDataConnectionFailsOnlyTheTransfer)
{
    for (const bool passive : {false, true})
        for (const StallCase& c : Stalls) {
            SCOPED_TRACE(c.name);
            SCOPED_TRACE(passive ? "passive" : "active");
            TimeOutRig rig;
            rig.Ftp.PassiveMode = passive;
            rig.Ftp.Connect();
            rig.Server.StallDataAfterBytes(1000);
            try {
                c.run(rig);
                ADD_FAILURE() << "the stalled transfer did not end";
            } catch (const ETimeOutError& e) {
                EXPECT_EQ(e.Message(), "The data connection stalled: nothing moved for 300 ms");
            }
            EXPECT_EQ(rig.Ftp.DataConnection(), nullptr);
            EXPECT_EQ(rig.Log.Events.filter("success").size(), 0);
            // The server's late answer was taken, so the next command gets its own.
            EXPECT_TRUE(rig.Log.Status.contains("426 Data connection broken"));
            EXPECT_TRUE(rig.Ftp.Connected());
            EXPECT_EQ(rig.Disconnects, 0);
            rig.Ftp.SendCommand("NOOP");
            EXPECT_EQ(rig.Ftp.LastReply(), "200 NOOP ok\r\n");
            EXPECT_FALSE(rig.Log.WatchdogFired());
        }
}

TEST(FtpTimeOut, AfterAStallAServerThatStaysSilentLosesTheSession)
{
    TimeOutRig rig;
    rig.Ftp.Connect();
    rig.Server.StallDataAfterBytes(1000, /*answer=*/false);
    try {
        rig.Ftp.RetrieveFile("f", rig.Local("f"));
        ADD_FAILURE() << "the stalled transfer did not end";
    } catch (const ETimeOutError& e) {
        EXPECT_EQ(e.Message(), "No reply from the server within 300 ms");
    }
    EXPECT_FALSE(rig.Ftp.Connected());
    EXPECT_EQ(rig.Disconnects, 1);
    EXPECT_FALSE(rig.Log.WatchdogFired());
}

}  // namespace
