#include "dialogs.h"
#include "messenger.h"
#include "reminders.h"
#include "smtp_server.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

const DateTime kToday{2026, 12, 8};

struct Due {
    const char* searcher;
    const char* dueDate; // short date, "*" for billed in advance; anything else is kept as text
    const char* address1;
    const char* address2;
    const char* town;
    const char* searchType;
    const char* muniSearch;
};

OrderRecord pendingOrder(const Due& d) {
    OrderRecord r(OrderFile::Pending);
    r.setText(OrderField::FileNumber, std::string("QM") + d.address1);
    r.setText(OrderField::Searcher, d.searcher);
    r.setText(OrderField::PropertyAddress1, d.address1);
    r.setText(OrderField::PropertyAddress2, d.address2);
    r.setText(OrderField::Town, d.town);
    r.setText(OrderField::SearchType, d.searchType);
    r.setText(OrderField::MuniSearch, d.muniSearch);
    const std::string due = d.dueDate;
    const bool billed = !due.empty() && due.back() == '*';
    if (auto day = parseShortDate(billed ? due.substr(0, due.size() - 1) : due))
        r.setDueDate({*day, billed});
    else
        r.setText(OrderField::DueDate, due);
    return r;
}

std::string pendingBytes(const std::vector<Due>& orders) {
    std::string bytes;
    for (const Due& d : orders)
        bytes += pendingOrder(d).encode();
    return bytes;
}

OrderTable pendingTable(const std::vector<Due>& orders) {
    return parseOrderTable(OrderFile::Pending, pendingBytes(orders), "Pending.fil").value();
}

CompanyDetails company() {
    CompanyDetails c;
    c.name = "Harbor Title Search";
    c.phone = "(555) 100-2000";
    c.fax = "(555) 100-2001";
    return c;
}

const QString kHeading = "Please note;  The following searches are DUE TODAY ...\r\n";
const QString kSignature =
    "\r\n\r\nHARBOR TITLE SEARCH   Phone: (555) 100-2000   Fax: (555) 100-2001";

TEST(Reminders, OneMessagePerSearcherWithTheOrdersDueToday) {
    const std::vector<Due> orders = {
        {"Ann Lee", "12/8/2026", "12 Oak St", "Apt 2", "WEST SPRINGFIELD", "R.Full", ""},
        {"Bob Roy", "12/8/2026", "3 Elm Rd", "", "boston", "", ""},
        {"Ann Lee*", "12/8/2026*", "9 Pine Ave", "", "new BEDFORD", "R.Full", "M.Water"},
        {"Ann Lee", "12/9/2026", "1 Tomorrow Way", "", "LEE", "R.Full", ""},
        {"Ann Lee", "12/45/2026", "1 Damaged Date Rd", "", "LEE", "R.Full", ""},
        {"", "12/8/2026", "1 Nobody Ln", "", "LEE", "R.Full", ""},
        {"Gone Away", "12/8/2026", "1 Left Sq", "", "LEE", "R.Full", ""},
        {"Ann", "12/8/2026", "1 Short Name St", "", "LEE", "", "M.Tax"},
    };
    // "Ann" is a searcher of its own, listed after "Ann Lee": names match whole.
    const auto reminders = buildReminders(pendingTable(orders), kToday,
                                          {"Cy Doe", "Ann Lee", "Bob Roy", "Ann"}, company());
    ASSERT_EQ(reminders.size(), 3u);
    EXPECT_EQ(reminders[0].searcher, "Ann Lee");
    EXPECT_EQ(reminders[0].text, kHeading +
                                     "\r\n12 Oak St Apt 2, West Springfield     (R.Full)"
                                     "\r\n9 Pine Ave, New Bedford     (R.Full  &  M.Water)" +
                                     kSignature);
    EXPECT_EQ(reminders[1].searcher, "Bob Roy");
    EXPECT_EQ(reminders[1].text, kHeading + "\r\n3 Elm Rd, Boston     ()" + kSignature);
    EXPECT_EQ(reminders[2].searcher, "Ann");
    EXPECT_EQ(reminders[2].text, kHeading + "\r\n1 Short Name St, Lee     (M.Tax)" + kSignature);
}

TEST(Reminders, TheFirstClaimOfADayWins) {
    test::TempFolder folder;
    EXPECT_EQ(claimReminderDay(folder.path(), kToday).value(), true);
    EXPECT_EQ(claimReminderDay(folder.path(), kToday).value(), false);
    EXPECT_EQ(readWholeFile(folder.file(kRemindersFileName)).value(), "12/8/2026\r\n");
    EXPECT_EQ(claimReminderDay(folder.path(), {2026, 12, 9}).value(), true);
    // A file that does not read claims nothing; it is written over.
    test::put(folder.file(kRemindersFileName), "garbage");
    EXPECT_EQ(claimReminderDay(folder.path(), kToday).value(), true);
    EXPECT_FALSE(claimReminderDay(folder.path() + "missing/", kToday).ok());
}

// Through the real SMTP server: each workstation has its own messenger on one data folder.
class ReminderSending : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.dataFolder = folder.path();
        settings.company = company();
        settings.mail.smtpHost = "127.0.0.1";
        settings.mail.smtpPort = server.port();
        settings.mail.senderAddress = "office@title.example";
    }

    void writeSearchers(int count) {
        std::string lines;
        for (int i = 1; i <= count; ++i)
            lines += "Searcher " + std::to_string(i) + " _  _  _  _  _  _  _ s" +
                     std::to_string(i) + "@example.com\r\n";
        test::put(folder.file("Searchers.lst"), lines);
    }

    // Sends the whole round; what it says about the failures.
    QString sendAll(Messenger& messenger, size_t expectedMessages) {
        auto round = ReminderRound::start(settings, kToday);
        EXPECT_TRUE(round.ok()) << (round.ok() ? "" : round.error().describe());
        if (!round.ok() || !*round) {
            ADD_FAILURE() << "the day was not claimed";
            return {};
        }
        size_t sends = 0;
        for (; !(*round)->done(); ++sends)
            (*round)->sendNext(messenger);
        EXPECT_EQ(sends, expectedMessages);
        return (*round)->failureSummary();
    }

    test::TempFolder folder;
    mailtest::SmtpServer server;
    Settings settings;
    ScriptedDialogs dialogs;
};

TEST_F(ReminderSending, EverySearcherOfALongListIsReached) {
    writeSearchers(120);
    test::put(folder.file("Pending.fil"),
              pendingBytes({{"Searcher 1", "12/8/2026", "1 A St", "", "LEE", "R.Full", ""},
                            {"Searcher 99", "12/8/2026", "99 A St", "", "LEE", "R.Full", ""},
                            {"Searcher 120", "12/8/2026", "120 A St", "", "LEE", "R.Full", ""},
                            {"Searcher 120", "12/8/2026", "121 A St", "", "LEE", "R.Full", ""}}));
    Messenger messenger(settings, dialogs);
    EXPECT_EQ(sendAll(messenger, 3), QString());
    std::map<std::string, std::string> bodies;
    for (const auto& mail : server.received()) {
        ASSERT_EQ(mail.rcptTo.size(), 1u) << "reminders go by e-mail only";
        bodies[mail.rcptTo[0]] = mail.content;
    }
    ASSERT_EQ(bodies.size(), 3u);
    const std::string& last = bodies["s120@example.com"];
    EXPECT_NE(last.find("Subject: REMINDER"), std::string::npos);
    EXPECT_NE(last.find("\r\n120 A St, Lee     (R.Full)\r\n121 A St, Lee     (R.Full)\r\n"),
              std::string::npos)
        << last;
    EXPECT_TRUE(bodies.count("s99@example.com"));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ReminderSending, TwoWorkstationsOnOneFolderSendOnce) {
    writeSearchers(2);
    test::put(folder.file("Pending.fil"),
              pendingBytes({{"Searcher 1", "12/8/2026", "1 A St", "", "LEE", "R.Full", ""},
                            {"Searcher 2", "12/8/2026", "2 A St", "", "LEE", "", "M.Tax"}}));
    Messenger first(settings, dialogs), second(settings, dialogs);
    EXPECT_EQ(sendAll(first, 2), QString());
    auto again = ReminderRound::start(settings, kToday);
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE(again->has_value()) << "the second workstation sent the reminders again";
    EXPECT_EQ(server.received().size(), 2u);
}

TEST_F(ReminderSending, AServerDownGivesOneSummaryOfTheFailures) {
    settings.mail.smtpPort = mailtest::freePort();
    writeSearchers(3);
    test::put(folder.file("Pending.fil"),
              pendingBytes({{"Searcher 1", "12/8/2026", "1 A St", "", "LEE", "R.Full", ""},
                            {"Searcher 3", "12/8/2026", "3 A St", "", "LEE", "R.Full", ""}}));
    Messenger messenger(settings, dialogs);
    const QString summary = sendAll(messenger, 2);
    const QStringList lines = summary.split('\n');
    ASSERT_EQ(lines.size(), 3) << summary.toStdString();
    EXPECT_TRUE(lines[1].startsWith("Searcher 1: ")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("Searcher 3: ")) << lines[2].toStdString();
    EXPECT_TRUE(dialogs.shown().empty()) << "no box for nobody at the desk";
}

} // namespace
} // namespace qm
