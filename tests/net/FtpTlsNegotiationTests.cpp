// How the login negotiates encryption with servers that do not, or only
// seem to, speak TLS: whatever they answer, no login name or password goes
// out in clear text unless the site allows plain FTP.
#include "support/EngineRecorder.h"
#include "support/ScriptedFtpServer.h"

#include <gtest/gtest.h>

namespace {

enum class TOutcome { LoggedIn, TlsError, ProtocolError, AnyFailure };

bool SentLogin(const QByteArrayList& commands)
{
    for (const QByteArray& line : commands)
        if (line.startsWith("USER") || line.startsWith("PASS")) return true;
    return false;
}

}  // namespace

TEST(FtpTlsNegotiation, NoLoginLeavesInClearTextUnlessTheSiteAllowsIt)
{
    const struct {
        const char* Why;
        TFtpEncryption Encryption;
        QByteArray AuthReply;  // empty: the standing "500 Unknown"
        TOutcome Outcome;
    } cases[] = {
        {"refused, plain allowed", TFtpEncryption::ExplicitIfAvailable, "502 Not here\r\n",
         TOutcome::LoggedIn},
        {"unknown command, plain allowed", TFtpEncryption::ExplicitIfAvailable, {}, TOutcome::LoggedIn},
        {"refused, required", TFtpEncryption::RequireExplicit, "502 Not here\r\n", TOutcome::TlsError},
        {"policy refusal, required", TFtpEncryption::RequireExplicit, "431 Not now\r\n", TOutcome::TlsError},
        {"neither yes nor no", TFtpEncryption::ExplicitIfAvailable, "200 Sure\r\n", TOutcome::TlsError},
        // Clear text after the "yes" could be an attacker's, posing as the server.
        {"clear text after yes", TFtpEncryption::RequireExplicit, "234 Go\r\n230 Logged in\r\n",
         TOutcome::TlsError},
        // The server agrees, then answers the handshake in clear text.
        {"yes without TLS", TFtpEncryption::RequireExplicit, "234 Go\r\n", TOutcome::AnyFailure},
        {"yes without TLS, plain allowed", TFtpEncryption::ExplicitIfAvailable, "234 Go\r\n",
         TOutcome::AnyFailure},
        // Implicit TLS on a port that speaks plain FTP.
        {"implicit to a plain server", TFtpEncryption::Implicit, {}, TOutcome::AnyFailure},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        ScriptedFtpServer server;
        if (!c.AuthReply.isEmpty()) server.SetReply("AUTH", c.AuthReply);
        TFtpClient ftp;
        SetUpTestClient(ftp, server.Port());
        ftp.TimeOut = 3000;
        ftp.Encryption = c.Encryption;
        EngineRecorder log(ftp);
        TOutcome outcome = TOutcome::LoggedIn;
        try {
            ftp.Connect();
        } catch (const ETlsError&) {
            outcome = TOutcome::TlsError;
        } catch (const EProtocolError&) {
            outcome = TOutcome::ProtocolError;
        } catch (const Exception&) {
            outcome = TOutcome::AnyFailure;
        }
        EXPECT_FALSE(log.WatchdogFired());
        if (c.Outcome == TOutcome::AnyFailure)
            EXPECT_NE(outcome, TOutcome::LoggedIn);
        else
            EXPECT_EQ(outcome, c.Outcome);
        const QByteArrayList commands = server.Commands();
        if (c.Encryption != TFtpEncryption::Implicit) {
            ASSERT_FALSE(commands.isEmpty());
            EXPECT_EQ(commands.first(), "AUTH TLS");
        }
        EXPECT_EQ(SentLogin(commands), c.Outcome == TOutcome::LoggedIn) << commands.join(" | ").toStdString();
        EXPECT_EQ(log.Status.join('\n').contains("Warning: the server does not offer encryption"),
                  c.Outcome == TOutcome::LoggedIn);
        EXPECT_FALSE(ftp.Encrypted());
    }
}

TEST(FtpTlsNegotiation, PlainOnlySitesNeverAskForEncryption)
{
    ScriptedFtpServer server;
    TFtpClient ftp;
    SetUpTestClient(ftp, server.Port());
    ftp.Encryption = TFtpEncryption::PlainOnly;
    EngineRecorder log(ftp);
    ftp.Connect();
    EXPECT_EQ(server.Commands().mid(0, 2), (QByteArrayList{"USER alice", "PASS s3cret"}));
}
