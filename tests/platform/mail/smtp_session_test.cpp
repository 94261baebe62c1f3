#include "smtp_server.h"
#include "smtp_session.h"

#include <gtest/gtest.h>

namespace {

using mailtest::Received;
using mailtest::SmtpServer;
using qm::Delivery;
using qm::MessageType;

const std::vector<std::string> kSearchers = {
    "Ann Lee _ 1 Oak St _ Salem _ MA _ _ (555) 201-0001 _ Verizon _ ann@example.com",
    "Ned Nix _ _ _ _ _ 555 201 0002 _ AT&T _ refused@example.com",
};

qm::MailTransport settingsFor(int port) {
    qm::MailTransport settings;
    settings.smtpHost = "127.0.0.1";
    settings.smtpPort = port;
    settings.senderAddress = "office@title.example";
    return settings;
}

std::string headerOf(const std::string& content, const std::string& name) {
    const std::string key = "\r\n" + name + ": ";
    const size_t start = content.find(key);
    if (start == std::string::npos) {
        return "(none)";
    }
    const size_t from = start + key.size();
    return content.substr(from, content.find("\r\n", from) - from);
}

std::string bodyOf(const std::string& content) {
    return content.substr(content.find("\r\n\r\n") + 4);
}

class SmtpSessionTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server_.running()) << "aiosmtpd did not start"; }
    SmtpServer server_;
};

TEST_F(SmtpSessionTest, EachMessageTypeReachesExactlyItsRecipients) {
    const struct {
        MessageType type;
        std::vector<std::string> rcpt;
        const char* to;
        const char* cc;
    } cases[] = {
        {MessageType::EmailWithTextCopy,
         {"ann@example.com", "5552010001@vtext.com"},
         "ann@example.com",
         "5552010001@vtext.com"},
        {MessageType::EmailOnly, {"ann@example.com"}, "ann@example.com", "(none)"},
        {MessageType::TextOnly, {"5552010001@vtext.com"}, "5552010001@vtext.com", "(none)"},
    };
    qm::SmtpSession session(settingsFor(server_.port()));
    ASSERT_TRUE(session.open()) << session.open().error().message;
    for (const auto& c : cases) {
        const auto delivery =
            qm::planDelivery(kSearchers, "Ann", "Re: 1 Oak St", "Please call.\r\nThanks", c.type);
        ASSERT_TRUE(delivery);
        const qm::Status sent = session.send(*delivery);
        ASSERT_TRUE(sent) << sent.error().message;
    }
    const std::vector<Received> received = server_.received();
    ASSERT_EQ(received.size(), std::size(cases));
    for (size_t i = 0; i < received.size(); ++i) {
        const Received& r = received[i];
        EXPECT_EQ(r.mailFrom, "office@title.example");
        EXPECT_EQ(r.rcptTo, cases[i].rcpt) << i;
        EXPECT_EQ(headerOf(r.content, "To"), cases[i].to) << i;
        EXPECT_EQ(headerOf(r.content, "Cc"), cases[i].cc) << i;
        EXPECT_EQ(headerOf(r.content, "Subject"), "Re: 1 Oak St");
        EXPECT_EQ(bodyOf(r.content), "Please call.\r\nThanks\r\n");
    }
}

TEST_F(SmtpSessionTest, MessagesShareTheOpenConnection) {
    qm::SmtpSession session(settingsFor(server_.port()));
    ASSERT_TRUE(session.open());
    // Dot lines must survive the protocol's end-of-data marker; 8-bit text must pass unchanged.
    const Delivery first{"ann@example.com", "", "SEARCH LIST", ".\r\n.hidden\r\nCaf\xE9\r\n"};
    const Delivery second{"ann@example.com", "", "REMINDER", "Due today"};
    ASSERT_TRUE(session.send(first));
    ASSERT_TRUE(session.send(second));
    const std::vector<Received> received = server_.received();
    ASSERT_EQ(received.size(), 2u);
    // Signed on with one NOOP, and both messages came over that same connection.
    EXPECT_EQ(server_.noopPorts(), std::vector<int>{received[0].clientPort});
    EXPECT_EQ(received[0].clientPort, received[1].clientPort);
    EXPECT_EQ(bodyOf(received[0].content), ".\r\n.hidden\r\nCaf\xC3\xA9\r\n");
    EXPECT_EQ(headerOf(received[1].content, "Subject"), "REMINDER");
    session.close();
    EXPECT_FALSE(session.isOpen());
}

TEST_F(SmtpSessionTest, RefusedRecipientFailsWithTheServersWordsAndTheSessionGoesOn) {
    qm::SmtpSession session(settingsFor(server_.port()));
    ASSERT_TRUE(session.open());
    const auto delivery =
        qm::planDelivery(kSearchers, "Ned", "SEARCH ORDER", "x", MessageType::EmailWithTextCopy);
    ASSERT_TRUE(delivery);
    const qm::Status refused = session.send(*delivery);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("550"), std::string::npos) << refused.error().message;
    EXPECT_NE(refused.error().message.find("Recipient address rejected"), std::string::npos)
        << refused.error().message;
    EXPECT_TRUE(server_.received().empty());

    EXPECT_TRUE(session.send(Delivery{"ann@example.com", "", "S", "after"}));
    EXPECT_EQ(server_.received().size(), 1u);
}

TEST(SmtpSessionFailures, NoServerOrIncompleteSettingsGiveAFailureText) {
    const int unused = mailtest::freePort();
    const struct {
        const char* name;
        qm::MailTransport settings;
        const char* mentions;
    } cases[] = {
        {"nobody listening", settingsFor(unused), "Couldn't connect"},
        {"no server",
         [] {
             auto s = settingsFor(25);
             s.smtpHost.clear();
             return s;
         }(),
         "no server"},
        {"no sender",
         [&] {
             auto s = settingsFor(unused);
             s.senderAddress = " \r\n";
             return s;
         }(),
         "no sender"},
    };
    for (const auto& c : cases) {
        qm::SmtpSession session(c.settings);
        const qm::Status opened = session.open();
        ASSERT_FALSE(opened) << c.name;
        EXPECT_NE(opened.error().message.find(c.mentions), std::string::npos)
            << c.name << ": " << opened.error().message;
        EXPECT_FALSE(session.isOpen());
        const qm::Status sent = session.send(Delivery{"a@x.com", "", "S", "B"});
        ASSERT_FALSE(sent) << c.name;
        EXPECT_FALSE(sent.error().message.empty());
    }
}

TEST(SmtpSessionFailures, ServerGoneAfterSignOnFailsTheNextSend) {
    auto server = std::make_unique<SmtpServer>();
    ASSERT_TRUE(server->running());
    qm::SmtpSession session(settingsFor(server->port()));
    ASSERT_TRUE(session.open());
    server.reset();
    const qm::Status sent = session.send(Delivery{"a@x.com", "", "S", "B"});
    ASSERT_FALSE(sent);
    EXPECT_FALSE(sent.error().message.empty());
}

} // namespace
