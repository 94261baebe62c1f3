#include "daily_events.h"
#include "dialogs.h"
#include "files.h"
#include "messenger.h"
#include "smtp_server.h"
#include "workload.h"

#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace qm {
namespace {

namespace fs = std::filesystem;

QDateTime at(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

struct Notice {
    QString title, text;
};

// One workstation's daily events over a program folder with its data folder, mail going to
// the real SMTP server.
class DailyEventsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.dataFolder = program + "data/";
        fs::create_directories(settings.dataFolder);
        process_test::createOtherRequiredFiles(settings.dataFolder);
        ASSERT_TRUE(writeWholeFile(settings.dataFolder + "Searchers.lst",
                                   "Ann Lee _  _  _  _  _  _  _ ann@example.com\r\n"));
        OrderRecord due = process_test::pendingOrder("QM1001");
        due.setText(OrderField::Searcher, "Ann Lee");
        due.setDueDate({{2026, 12, 8}, false});
        ASSERT_TRUE(writeWholeFile(settings.dataFolder + "Pending.fil", due.encode()));
        settings.autoMessaging = true;
        settings.company.name = "Harbor Title";
        settings.mail.smtpHost = "127.0.0.1";
        settings.mail.smtpPort = server.port();
        settings.mail.senderAddress = "office@title.example";
    }

    // Runs one completed tick, then the slices it started.
    Status tick(const char* previous, const char* now) {
        Status ticked = events.tick(at(previous), at(now));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !events.busy(); }, 60000));
        return ticked;
    }

    mailtest::TempFolder root;
    mailtest::SmtpServer server;
    std::string program = root.path() + "/program/";
    Settings settings;
    ScriptedDialogs dialogs;
    Messenger messenger{settings, dialogs};
    std::vector<Notice> notices;
    DailyEvents events{program, settings, messenger, at("2026-12-08 01:00:00"),
                       [this](const QString& title, const QString& text) {
                           notices.push_back({title, text});
                       }};
};

TEST_F(DailyEventsTest, BackupAtThreeAndRemindersAtEight) {
    ASSERT_TRUE(tick("2026-12-08 02:59:58", "2026-12-08 02:59:59").ok());
    EXPECT_FALSE(fs::exists(program + "QM_BACKUP"));

    ASSERT_TRUE(tick("2026-12-08 02:59:59", "2026-12-08 03:00:00").ok());
    EXPECT_EQ(readWholeFile(program + "QM_BACKUP/data/Pending.fil").value(),
              readWholeFile(settings.dataFolder + "Pending.fil").value());
    EXPECT_TRUE(server.received().empty());

    ASSERT_TRUE(tick("2026-12-08 07:59:59", "2026-12-08 08:00:00").ok());
    const auto received = server.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].rcptTo, std::vector<std::string>{"ann@example.com"});
    EXPECT_NE(received[0].content.find("Subject: REMINDER"), std::string::npos);
    EXPECT_TRUE(notices.empty());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(DailyEventsTest, WithAutomaticMessagingOffNothingIsSentOrClaimed) {
    settings.autoMessaging = false;
    ASSERT_TRUE(tick("2026-12-08 07:59:59", "2026-12-08 08:00:00").ok());
    EXPECT_TRUE(server.received().empty());
    EXPECT_FALSE(fs::exists(settings.dataFolder + kRemindersFileName))
        << "a workstation that sends nothing must leave the day to the others";
}

// The tick hands out the work and returns: the backup runs in later slices.
TEST_F(DailyEventsTest, TheBackupRunsInSlicesAfterTheTick) {
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(writeWholeFile(settings.dataFolder + "Statement_" + std::to_string(i) + ".docx",
                                   std::string(2 << 20, 'x')));
    ASSERT_TRUE(events.tick(at("2026-12-08 02:59:59"), at("2026-12-08 03:00:00")).ok());
    EXPECT_TRUE(events.busy());
    EXPECT_FALSE(fs::exists(program + "QM_BACKUP"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !events.busy(); }, 60000));
    EXPECT_TRUE(fs::exists(program + "QM_BACKUP/data/Statement_39.docx"));
}

// Failures with nobody at the desk become notices; the events go on the next day.
TEST_F(DailyEventsTest, FailuresBecomeNoticesAndTheProgramGoesOn) {
    const std::string data = settings.dataFolder;
    settings.dataFolder = program + "unplugged/";
    ASSERT_TRUE(tick("2026-12-08 02:59:59", "2026-12-08 03:00:00").ok());
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].title, "BACKUP ERROR");
    EXPECT_TRUE(notices[0].text.contains("the previous backup in"))
        << notices[0].text.toStdString();

    // A data folder that cannot be read at 08:00 is the tick's failure, as any other.
    const Status missing = tick("2026-12-08 07:59:59", "2026-12-08 08:00:00");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().kind, ErrorKind::PathNotFound);

    settings.dataFolder = data;
    settings.mail.smtpPort = mailtest::freePort();
    notices.clear();
    ASSERT_TRUE(tick("2026-12-09 02:59:59", "2026-12-09 03:00:00").ok());
    EXPECT_TRUE(fs::exists(program + "QM_BACKUP/data/Pending.fil"));
    OrderRecord due = process_test::pendingOrder("QM1002");
    due.setText(OrderField::Searcher, "Ann Lee");
    due.setDueDate({{2026, 12, 9}, false});
    ASSERT_TRUE(writeWholeFile(settings.dataFolder + "Pending.fil", due.encode()));
    ASSERT_TRUE(tick("2026-12-09 07:59:59", "2026-12-09 08:00:00").ok());
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].title, "SEND ERROR");
    EXPECT_TRUE(notices[0].text.contains("Ann Lee: ")) << notices[0].text.toStdString();

    // A Pending.fil that does not read is told, and the tick goes on.
    ASSERT_TRUE(writeWholeFile(settings.dataFolder + "Pending.fil", "\"torn"));
    ASSERT_TRUE(tick("2026-12-10 07:59:59", "2026-12-10 08:00:00").ok());
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[1].title, "SEND ERROR");
    EXPECT_TRUE(notices[1].text.startsWith("The due-today reminders could not be sent"));
    EXPECT_TRUE(dialogs.shown().empty());
}

} // namespace
} // namespace qm
