#include "support/PlainClient.h"
#include "support/PyFtpdServer.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(PyFtpdServer, ServesItsRootToTheUserInActiveMode)
{
    PyFtpdServer server;
    ASSERT_TRUE(server.Start()) << server.ErrorText().toStdString();
    QFile file(server.RootPath() + "/hello.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("hi");
    file.close();

    PlainClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    EXPECT_TRUE(client.ReadReply().startsWith("220"));
    EXPECT_TRUE(client.Command("USER " + server.User()).startsWith("331"));
    EXPECT_TRUE(client.Command("PASS " + server.Password()).startsWith("230"));
    EXPECT_TRUE(client.Port().startsWith("200"));
    EXPECT_TRUE(client.Command("LIST").startsWith("1"));
    const std::unique_ptr<QTcpSocket> data = client.AcceptData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(PlainClient::ReadToEnd(*data).contains(" hello.txt\r\n"));
    EXPECT_TRUE(client.ReadReply().startsWith("226"));
}

TEST(PyFtpdServer, AnonymousLoginOnlyWhenAskedAndReadOnly)
{
    PyFtpdServer closed;
    PyFtpdServer open(true);
    ASSERT_TRUE(closed.Start()) << closed.ErrorText().toStdString();
    ASSERT_TRUE(open.Start()) << open.ErrorText().toStdString();
    PlainClient refused;
    PlainClient welcome;
    ASSERT_TRUE(refused.Connect(closed.Port()));
    ASSERT_TRUE(welcome.Connect(open.Port()));
    EXPECT_TRUE(refused.ReadReply().startsWith("220"));
    EXPECT_TRUE(welcome.ReadReply().startsWith("220"));
    EXPECT_TRUE(refused.Command("USER anonymous").startsWith("331"));
    EXPECT_TRUE(welcome.Command("USER anonymous").startsWith("331"));
    EXPECT_TRUE(refused.Command("PASS a@b.c").startsWith("530"));
    EXPECT_TRUE(welcome.Command("PASS a@b.c").startsWith("230"));
    EXPECT_TRUE(welcome.Command("MKD forbidden").startsWith("550"));
}
