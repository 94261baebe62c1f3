#include "daily_schedule.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace qm {
namespace {

using Fired = std::vector<DailyEvent>;
constexpr DailyEvent B = DailyEvent::Backup;
constexpr DailyEvent R = DailyEvent::Reminders;

QDateTime at(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

struct Tick {
    const char* at;
    Fired fired;
};

// Each case is one program run: its start, then its completed ticks in order with what each
// one fires. A tick's previous tick is the one listed before it.
TEST(DailySchedule, FiresOnceOnTheFirstTickPastEachMoment) {
    const struct {
        const char* name;
        const char* started;
        std::vector<Tick> ticks;
    } cases[] = {
        {"ticking through both moments",
         "2026-12-08 01:00:00",
         {{"2026-12-08 02:59:59", {}},
          {"2026-12-08 03:00:00", {B}},
          {"2026-12-08 03:00:01", {}},
          {"2026-12-08 07:59:59", {}},
          {"2026-12-08 08:00:00", {R}},
          {"2026-12-08 08:00:01", {}}}},
        {"ticks held back by a command fire late, once",
         "2026-12-08 02:00:00",
         {{"2026-12-08 02:59:58", {}}, {"2026-12-08 03:07:12", {B}}, {"2026-12-08 03:07:13", {}}}},
        {"a morning asleep fires both at waking",
         "2026-12-08 01:00:00",
         {{"2026-12-08 02:00:00", {}},
          {"2026-12-08 09:30:00", {B, R}},
          {"2026-12-08 09:30:01", {}}}},
        {"asleep across midnight: yesterday's moments are not made up",
         "2026-12-07 22:00:00",
         {{"2026-12-07 23:00:00", {}}, {"2026-12-08 01:00:00", {}}, {"2026-12-08 03:00:00", {B}}}},
        {"started after the backup's moment: only the reminders that day",
         "2026-12-08 03:30:00",
         {{"2026-12-08 03:30:01", {}}, {"2026-12-08 08:00:00", {R}}, {"2026-12-09 03:00:00", {B}}}},
        {"started after both moments: nothing until the next day",
         "2026-12-08 09:00:00",
         {{"2026-12-08 09:00:01", {}},
          {"2026-12-08 23:59:59", {}},
          {"2026-12-09 00:00:00", {}},
          {"2026-12-09 03:00:00", {B}},
          {"2026-12-09 08:00:00", {R}}}},
        {"the first tick exactly at the moment",
         "2026-12-08 02:59:59",
         {{"2026-12-08 03:00:00", {B}}}},
        {"the clock set back after the backup does not repeat it",
         "2026-12-08 02:00:00",
         {{"2026-12-08 03:00:00", {B}},
          {"2026-12-08 02:30:00", {}},
          {"2026-12-08 02:59:59", {}},
          {"2026-12-08 03:00:00", {}},
          {"2026-12-08 08:00:00", {R}}}},
        {"the clock set back across midnight does not repeat the day before",
         "2026-12-09 02:00:00",
         {{"2026-12-09 03:00:00", {B}},
          {"2026-12-08 02:59:59", {}},
          {"2026-12-08 03:00:00", {}},
          {"2026-12-08 08:00:00", {}},
          {"2026-12-09 08:00:00", {R}}}},
        {"a clock set back to before the moment, program started after it, still fires",
         "2026-12-08 10:00:00",
         {{"2026-12-08 10:00:01", {}}, {"2026-12-08 02:59:59", {}}, {"2026-12-08 03:00:00", {B}}}},
        {"the clock set forward past the moment fires at once",
         "2026-12-08 01:00:00",
         {{"2026-12-08 01:00:01", {}}, {"2026-12-08 05:00:00", {B}}}},
        {"day after day",
         "2026-12-08 01:00:00",
         {{"2026-12-08 03:00:00", {B}},
          {"2026-12-08 08:00:00", {R}},
          {"2026-12-09 03:00:05", {B}},
          {"2026-12-09 08:00:00", {R}},
          {"2026-12-10 08:10:00", {B, R}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DailySchedule schedule(at(c.started));
        QDateTime previous;
        for (const Tick& tick : c.ticks) {
            SCOPED_TRACE(tick.at);
            EXPECT_EQ(schedule.take(previous, at(tick.at)), tick.fired);
            previous = at(tick.at);
        }
    }
}

// Ticking once a minute across each daylight-saving change of a zone with one: the moments
// fire once each, at the first tick at or after 03:00 and 08:00 on the wall clock.
TEST(DailySchedule, DaylightSavingChangesFireEachMomentOnce) {
    const QTimeZone zone("America/New_York");
    ASSERT_TRUE(zone.isValid());
    for (const QDate day : {QDate(2026, 3, 8), QDate(2026, 11, 1)}) {
        SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
        const QDateTime start(day.addDays(-1), QTime(23, 0, 30), zone);
        DailySchedule schedule(start);
        QDateTime previous;
        std::vector<std::pair<DailyEvent, QTime>> fired;
        for (QDateTime now = start.addSecs(60); now < start.addSecs(12 * 3600);
             now = now.addSecs(60)) {
            for (DailyEvent event : schedule.take(previous, now))
                fired.emplace_back(event, now.time());
            previous = now;
        }
        ASSERT_EQ(fired.size(), 2u);
        EXPECT_EQ(fired[0], std::make_pair(B, QTime(3, 0, 30)));
        EXPECT_EQ(fired[1], std::make_pair(R, QTime(8, 0, 30)));
    }
}

} // namespace
} // namespace qm
