#include "mail_program.h"
#include "smtp_server.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using mailtest::SmtpServer;
using mailtest::TempFolder;
using qm::Delivery;

std::string writeScript(const TempFolder& folder, const std::string& name,
                        const std::string& text) {
    const std::string path = folder.path() + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << text << "\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// msmtp is sendmail-compatible but needs to be told the server; the wrapper is the "program".
std::string msmtpTo(const TempFolder& folder, int port) {
    return writeScript(folder, "sendmail",
                       "exec " QM_MAIL_MSMTP " --file=/dev/null --host=127.0.0.1 --port=" +
                           std::to_string(port) + " --from=office@title.example \"$@\"");
}

TEST(MailProgram, MsmtpDeliversToAndCcWithTheBodyIntact) {
    SmtpServer server;
    ASSERT_TRUE(server.running());
    TempFolder folder;
    qm::MailProgram program(msmtpTo(folder, server.port()), "office@title.example");
    const Delivery delivery{"ann@example.com", "5552010001@vtext.com", "Re: 12 Caf\xE9 St",
                            "Line one\r\n.\r\n.dot\r\nCaf\xE9"};
    const qm::Status sent = program.send(delivery);
    ASSERT_TRUE(sent) << sent.error().message;
    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].mailFrom, "office@title.example");
    EXPECT_EQ(received[0].rcptTo,
              (std::vector<std::string>{"ann@example.com", "5552010001@vtext.com"}));
    const std::string& content = received[0].content;
    EXPECT_NE(content.find("\r\nCc: 5552010001@vtext.com\r\n"), std::string::npos);
    EXPECT_NE(content.find("Subject: =?UTF-8?B?"), std::string::npos);
    EXPECT_EQ(content.substr(content.find("\r\n\r\n") + 4),
              "Line one\r\n.\r\n.dot\r\nCaf\xC3\xA9\r\n");
}

TEST(MailProgram, FailuresSayWhatWentWrong) {
    TempFolder folder;
    const struct {
        const char* name;
        std::string program;
        std::vector<std::string> mentions;
    } cases[] = {
        {"missing program",
         folder.path() + "/no-such-sendmail",
         {"Cannot start", "no-such-sendmail", "No such file"}},
        {"not executable",
         [&] {
             const std::string path = folder.path() + "/plain.txt";
             std::ofstream(path) << "text\n";
             return path;
         }(),
         {"Cannot start", "Permission denied"}},
        {"exit status and output",
         writeScript(folder, "full", "cat >/dev/null; echo 'mailbox full' >&2; exit 75"),
         {"exit status 75", "mailbox full"}},
        {"killed", writeScript(folder, "killed", "kill -9 $$"), {"signal 9"}},
        {"msmtp with no server",
         msmtpTo(folder, mailtest::freePort()),
         {"exit status", "127.0.0.1"}},
        {"no program set", "", {"No mail program"}},
    };
    for (const auto& c : cases) {
        qm::MailProgram program(c.program, "office@title.example");
        const qm::Status sent = program.send(Delivery{"a@x.com", "", "S", "B"});
        ASSERT_FALSE(sent) << c.name;
        for (const std::string& word : c.mentions) {
            EXPECT_NE(sent.error().message.find(word), std::string::npos)
                << c.name << ": " << sent.error().message;
        }
    }
}

TEST(MailProgram, ProgramThatNeverEndsIsStoppedAtTheTimeLimit) {
    TempFolder folder;
    qm::MailProgram program(writeScript(folder, "stuck", "exec sleep 30"), "", 1);
    const qm::Status sent = program.send(Delivery{"a@x.com", "", "S", "B"});
    ASSERT_FALSE(sent);
    EXPECT_NE(sent.error().message.find("did not finish within 1 seconds"), std::string::npos)
        << sent.error().message;
}

TEST(MailProgram, ArgumentsAreTheSendmailOnesAndTheMessageArrivesWhole) {
    TempFolder folder;
    const std::string capture = folder.path() + "/got";
    qm::MailProgram program(
        writeScript(folder, "capture",
                    "printf '%s\\n' \"$@\" > " + capture + ".args; cat > " + capture + ".msg"),
        "");
    // Large enough to need several writes into the program's input.
    std::string body;
    for (int i = 0; i < 25000; ++i) {
        body += "0123456789\r\n";
    }
    ASSERT_TRUE(program.send(Delivery{"a@x.com", "", "S", body}));
    std::ifstream args(capture + ".args");
    std::string all((std::istreambuf_iterator<char>(args)), {});
    EXPECT_EQ(all, "-t\n-i\n");
    std::ifstream sent(capture + ".msg", std::ios::binary);
    const std::string message((std::istreambuf_iterator<char>(sent)), {});
    EXPECT_TRUE(message.ends_with("\r\n\r\n" + body)) << message.size();
}

} // namespace
