#include "clock.h"
#include "command_guard.h"
#include "daily_schedule.h"
#include "data_refresh.h"
#include "files.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

namespace qm {
namespace {

class RecordingView : public RefreshView {
  public:
    void showClockLine(const QString& text) override { clockLine = text; }
    QString rememberedTitleCompany() const override { return titleChoice; }
    QString rememberedSearcher() const override { return searcherChoice; }
    void fillTitleCompanies(const QStringList& items, int selected) override {
        titleCompanies = items;
        titleSelected = selected;
        ++titleFills;
    }
    void fillAttorneys(const QStringList& items) override {
        attorneys = items;
        ++attorneyFills;
    }
    void fillSearchers(const QStringList& items, int selected) override {
        searchers = items;
        searcherSelected = selected;
    }
    void fillServiceGrid(const std::vector<ServiceEntry>& s) override { services = s; }
    Status rebuildPendingQueue() override {
        ++pendingRebuilds;
        if (duringRebuild)
            duringRebuild();
        return okStatus();
    }
    Status rebuildCompletedList() override {
        ++completedRebuilds;
        return okStatus();
    }
    Status runDailyEvents(const QDateTime& previousTick, const QDateTime& now) override {
        stretches.emplace_back(previousTick, now);
        return okStatus();
    }
    void dayChanged(const QDate& today) override { days.push_back(today); }

    QString clockLine, titleChoice, searcherChoice;
    QStringList titleCompanies, attorneys, searchers;
    int titleSelected = -2, searcherSelected = -2, titleFills = 0, attorneyFills = 0;
    std::vector<ServiceEntry> services;
    int pendingRebuilds = 0, completedRebuilds = 0;
    std::vector<std::pair<QDateTime, QDateTime>> stretches; // given to the daily events
    std::vector<QDate> days;
    std::function<void()> duringRebuild;
};

class DataRefreshTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = dir.path().toStdString() + "/";
        write("Companies.lst", "Bay Title _ 2 Bay Rd _  _ Boston, MA _  _ f _ e _ \r\n");
        write("Attorneys.lst", "Baker & Lane _ Ann Cole _ 1 A St _  _ Lee, MA _  _ f _ e\r\n");
        write("Searchers.lst", "Tom Reed _  _  _  _  _ c _ Verizon _ t@r\r\n");
        write("Services.dat", "\"R.Full\",\"150.00\"\r\n");
        write("Pending.fil", "");
        write("Completed.fil", "");
    }
    void write(const std::string& name, const std::string& bytes, long ageSeconds = 0) {
        ASSERT_TRUE(writeWholeFile(folder + name, bytes));
        // Distinct, explicit times: a write within the same tick must still be seen.
        const time_t when = static_cast<time_t>(1'700'000'000 + (++writes) * 10 - ageSeconds);
        struct utimbuf times {
            when, when
        };
        ::utime((folder + name).c_str(), &times);
    }

    QTemporaryDir dir;
    std::string folder;
    long writes = 0;
    ManualClock clock{QDateTime(QDate(2026, 12, 7), QTime(9, 0))};
    RecordingView view;
    CommandGuard guard;
    DataRefresh refresh{clock, guard, view};
};

TEST_F(DataRefreshTest, FirstTickLoadsEverythingAndLaterTicksOnlyWhatChanged) {
    ASSERT_TRUE(refresh.tick(folder));
    EXPECT_EQ(view.clockLine, "Monday, December 07, 2026 - 9:00 AM");
    EXPECT_EQ(view.titleCompanies, (QStringList{kTitleCompanyPlaceholder, "Bay Title - Boston"}));
    EXPECT_EQ(view.titleSelected, 0);
    EXPECT_EQ(view.attorneys.size(), 2);
    EXPECT_EQ(view.searchers, (QStringList{kSearcherPlaceholder, "Tom Reed"}));
    ASSERT_EQ(view.services.size(), 1u);
    EXPECT_EQ(view.pendingRebuilds, 1);
    EXPECT_EQ(view.completedRebuilds, 1);
    EXPECT_EQ(view.days, std::vector<QDate>{QDate(2026, 12, 7)});
    const QDateTime nine(QDate(2026, 12, 7), QTime(9, 0));
    ASSERT_EQ(view.stretches.size(), 1u);
    EXPECT_EQ(view.stretches[0], std::pair(nine, nine)); // nothing before the first tick

    clock.advanceSeconds(1);
    ASSERT_TRUE(refresh.tick(folder));
    EXPECT_EQ(view.titleFills, 1);
    EXPECT_EQ(view.pendingRebuilds, 1);
    EXPECT_EQ(view.stretches.back(), std::pair(nine, nine.addSecs(1)));

    // Another workstation adds a title company; the choice made here stays.
    view.titleChoice = "Bay Title - Boston";
    write("Companies.lst", "Bay Title _ 2 Bay Rd _  _ Boston, MA _  _ f _ e _ \r\n"
                           "Acme _ 1 St _  _ Lee, MA _  _ f _ e _ \r\n");
    write("Pending.fil", "");
    ASSERT_TRUE(refresh.tick(folder));
    EXPECT_EQ(view.titleCompanies,
              (QStringList{kTitleCompanyPlaceholder, "Acme - Lee", "Bay Title - Boston"}));
    EXPECT_EQ(view.titleSelected, 2);
    EXPECT_EQ(view.pendingRebuilds, 2);
    EXPECT_EQ(view.attorneyFills, 1);
}

TEST_F(DataRefreshTest, AFileThatMovesBackInTimeIsReloaded) {
    ASSERT_TRUE(refresh.tick(folder));
    write("Attorneys.lst", "Zed _ Zed _ 1 A St _  _ Lee, MA _  _ f _ e\r\n", 100000);
    ASSERT_TRUE(refresh.tick(folder));
    EXPECT_EQ(view.attorneyFills, 2);
    EXPECT_EQ(view.attorneys, (QStringList{kLawFirmPlaceholder, "Zed - Zed"}));
}

TEST_F(DataRefreshTest, MidnightRebuildsTheQueueOnceAndPresetsTheDay) {
    clock.set(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59)));
    ASSERT_TRUE(refresh.tick(folder));
    clock.set(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0)));
    ASSERT_TRUE(refresh.tick(folder));
    clock.advanceSeconds(1);
    ASSERT_TRUE(refresh.tick(folder));
    EXPECT_EQ(view.pendingRebuilds, 2);
    EXPECT_EQ(view.days, (std::vector<QDate>{QDate(2026, 12, 7), QDate(2026, 12, 8)}));
}

TEST_F(DataRefreshTest, MissingFilesAndFoldersAreDataAccessErrors) {
    ::unlink((folder + "Searchers.lst").c_str());
    Status s = refresh.tick(folder);
    ASSERT_FALSE(s);
    EXPECT_TRUE(isDataAccessError(s.error()));
    EXPECT_EQ(dataAccessDescription(s.error()),
              QString::fromStdString("File not found: " + folder + "Searchers.lst"));

    Status gone = refresh.tick(folder + "nowhere/");
    ASSERT_FALSE(gone);
    EXPECT_EQ(gone.error().kind, ErrorKind::PathNotFound);
    EXPECT_TRUE(dataAccessDescription(gone.error()).startsWith("Path not found: "));
}

TEST_F(DataRefreshTest, ABrokenFileIsNoDataAccessError) {
    write("Services.dat", "\"R.Full\",\"150.00");
    Status s = refresh.tick(folder);
    ASSERT_FALSE(s);
    EXPECT_FALSE(isDataAccessError(s.error()));
    // The stamp was stored first: the same broken file is not read again on every tick.
    EXPECT_TRUE(refresh.tick(folder));
}

TEST_F(DataRefreshTest, WhileTheGuardIsHeldTicksOnlyShowTheClockAndTheFirstFreeTickCatchesUp) {
    ASSERT_TRUE(refresh.tick(folder));
    {
        const auto held = guard.hold();
        const auto nested = guard.hold(); // a command inside a command
        write("Companies.lst", "Acme _ 1 St _  _ Lee, MA _  _ f _ e _ \r\n");
        write("Pending.fil", "");
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 5))); // past midnight, too
        ASSERT_TRUE(refresh.tick(folder));
        EXPECT_EQ(view.clockLine, "Tuesday, December 08, 2026 - 12:00 AM");
        EXPECT_EQ(view.titleFills, 1);
        EXPECT_EQ(view.pendingRebuilds, 1);
        EXPECT_EQ(view.days.size(), 1u);
    }
    // A missing folder is not even looked at while held.
    {
        const auto held = guard.hold();
        EXPECT_TRUE(refresh.tick(folder + "nowhere/"));
    }
    clock.advanceSeconds(1);
    ASSERT_TRUE(refresh.tick(folder));
    EXPECT_EQ(view.titleFills, 2);
    EXPECT_EQ(view.titleCompanies, (QStringList{kTitleCompanyPlaceholder, "Acme - Lee"}));
    EXPECT_EQ(view.pendingRebuilds, 2);
    EXPECT_EQ(view.days.back(), QDate(2026, 12, 8));
}

TEST_F(DataRefreshTest, ATickInsideATickOnlyShowsTheClock) {
    ASSERT_TRUE(refresh.tick(folder));
    write("Pending.fil", "");
    int innerTicks = 0;
    view.duringRebuild = [&] {
        // A box shown during the rebuild runs the timer.
        write("Companies.lst", "Acme _ 1 St _  _ Lee, MA _  _ f _ e _ \r\n");
        clock.advanceSeconds(1);
        EXPECT_TRUE(refresh.tick(folder));
        ++innerTicks;
    };
    clock.advanceSeconds(1);
    ASSERT_TRUE(refresh.tick(folder));
    view.duringRebuild = nullptr;
    EXPECT_EQ(innerTicks, 1);
    EXPECT_EQ(view.pendingRebuilds, 2);
    EXPECT_EQ(view.titleFills, 1);
    EXPECT_EQ(view.stretches.size(), 2u);
    ASSERT_TRUE(refresh.tick(folder));
    EXPECT_EQ(view.titleFills, 2);
}

TEST_F(DataRefreshTest, ADailyMomentCrossedWhileHeldIsGivenOnceAtTheFirstFreeTick) {
    clock.set(QDateTime(QDate(2026, 12, 7), QTime(7, 59, 58)));
    DailySchedule schedule(clock.now());
    ASSERT_TRUE(refresh.tick(folder));
    {
        const auto held = guard.hold();
        for (int i = 0; i < 4; ++i) { // 07:59:59 to 08:00:02, a question open
            clock.advanceSeconds(1);
            ASSERT_TRUE(refresh.tick(folder));
        }
    }
    for (int i = 0; i < 3; ++i) {
        clock.advanceSeconds(1);
        ASSERT_TRUE(refresh.tick(folder));
    }
    int reminders = 0;
    for (const auto& [previous, now] : view.stretches) {
        for (DailyEvent event : schedule.take(previous, now))
            reminders += event == DailyEvent::Reminders ? 1 : 0;
    }
    EXPECT_EQ(reminders, 1);
    ASSERT_EQ(view.stretches.size(), 4u);
    EXPECT_EQ(view.stretches[1].first.time(), QTime(7, 59, 58));
    EXPECT_EQ(view.stretches[1].second.time(), QTime(8, 0, 3));
}

} // namespace
} // namespace qm
