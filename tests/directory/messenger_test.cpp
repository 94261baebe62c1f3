#include "dialogs.h"
#include "files.h"
#include "messenger.h"
#include "smtp_server.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using mailtest::SmtpServer;

class MessengerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.dataFolder = data.path() + "/";
        settings.useOutlook = false;
        settings.mail.smtpHost = "127.0.0.1";
        settings.mail.smtpPort = server.port();
        settings.mail.senderAddress = "office@title.example";
        // Sorted rows decide which "Ann" is first: Ann Lee, not Anna Bell.
        ASSERT_TRUE(
            writeWholeFile(settings.dataFolder + "Searchers.lst",
                           "Anna Bell _  _  _  _  _ 555-201-0009 _ Sprint _ anna@example.com\r\n"
                           "Ann Lee _  _  _  _  _ (555) 201-0001 _ Verizon _ ann@example.com\r\n"));
        messenger.setNotice([this](const QString& text) { notices.push_back(text); },
                            [this] { notices.push_back("hidden"); });
    }

    mailtest::TempFolder data;
    SmtpServer server;
    Settings settings;
    ScriptedDialogs dialogs;
    Messenger messenger{settings, dialogs};
    std::vector<QString> notices;
};

TEST_F(MessengerTest, SendMsgReachesTheFirstSearcherByEmailAndText) {
    messenger.signOn(nullptr);
    EXPECT_EQ(notices,
              (std::vector<QString>{"Establishing SMTP Session\nPlease Wait ...", "hidden"}));
    ASSERT_TRUE(
        messenger
            .SendMsg(nullptr, "Ann", "SEARCH ORDER", "12 Oak St", MessageType::EmailWithTextCopy)
            .sent());
    EXPECT_TRUE(dialogs.shown().empty());
    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].rcptTo,
              (std::vector<std::string>{"ann@example.com", "5552010001@vtext.com"}));
    EXPECT_NE(received[0].content.find("Subject: SEARCH ORDER"), std::string::npos);
    EXPECT_NE(received[0].content.find("12 Oak St"), std::string::npos);
}

TEST_F(MessengerTest, ACarrierOutsideTheTableGetsTheBareDigits) {
    ASSERT_TRUE(
        writeWholeFile(settings.dataFolder + "Searchers.lst",
                       "Ned Nix _  _  _  _  _ 555 201 0003 _ Nextel _ ned@example.com\r\n"));
    ASSERT_TRUE(
        messenger.SendMsg(nullptr, "Ned", "REMINDER", "due today", MessageType::EmailWithTextCopy)
            .sent())
        << (dialogs.shown().empty() ? "" : dialogs.shown()[0].text.toStdString());
    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].rcptTo, (std::vector<std::string>{"ned@example.com", "5552010003"}));
}

// Each outcome, shown by SendMsg only when nothing was sent and never by the quiet variant.
TEST_F(MessengerTest, SendMsgSaysWhatHappenedAndTheQuietVariantShowsNothing) {
    using Outcome = SendResult::Outcome;
    const struct {
        const char* name;
        const char* recipient;
        bool serverDown;
        Outcome outcome;
    } cases[] = {
        {"sent", "Ann", false, Outcome::Sent},
        {"nobody by that name", "Zed", false, Outcome::NoSearcher},
        {"server down", "Ann Lee", true, Outcome::Failed},
    };
    const int upPort = server.port();
    for (const auto& c : cases) {
        for (const bool quiet : {false, true}) {
            const std::string name = std::string(c.name) + (quiet ? ", quiet" : ", shown");
            settings.mail.smtpPort = c.serverDown ? mailtest::freePort() : upPort;
            messenger.settingsChanged();
            dialogs.clear();
            const size_t receivedBefore = server.received().size();
            const SendResult result =
                quiet ? messenger.SendMsgQuietly(c.recipient, "s", "t", MessageType::EmailOnly)
                      : messenger.SendMsg(nullptr, c.recipient, "s", "t", MessageType::EmailOnly);
            EXPECT_EQ(result.outcome, c.outcome) << name;
            EXPECT_EQ(result.reason.isEmpty(), c.outcome != Outcome::Failed) << name;
            EXPECT_EQ(server.received().size() - receivedBefore,
                      c.outcome == Outcome::Sent ? 1u : 0u)
                << name;
            const bool shown = c.outcome != Outcome::Sent && !quiet;
            ASSERT_EQ(dialogs.shown().size(), shown ? 1u : 0u) << name;
            if (shown) {
                EXPECT_EQ(dialogs.shown()[0].title, "SEND ERROR");
                EXPECT_EQ(dialogs.shown()[0].text,
                          c.outcome == Outcome::Failed
                              ? result.reason
                              : "Nothing was sent: \"Zed\" is not in the searcher directory.");
            }
        }
    }
}

TEST_F(MessengerTest, AServerThatIsDownGivesTheSessionError) {
    settings.mail.smtpPort = mailtest::freePort();
    messenger.signOn(nullptr);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "SMTP SESSION");
    EXPECT_FALSE(dialogs.shown()[0].text.isEmpty());
}

TEST_F(MessengerTest, NoServerSetUpIsNoFailureAtSignOn) {
    settings.mail.smtpHost.clear();
    messenger.signOn(nullptr);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(notices.empty());
}

TEST_F(MessengerTest, TheTestMessageGoesToTheGivenAddress) {
    ASSERT_TRUE(messenger.sendTest("owner@title.example"));
    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].rcptTo, std::vector<std::string>{"owner@title.example"});
    EXPECT_FALSE(messenger.sendTest(""));
}

} // namespace
} // namespace qm
