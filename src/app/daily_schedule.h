#pragma once
// When the two daily events are due: the backup at 03:00 and the reminders at 08:00.

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <array>
#include <vector>

namespace qm {

enum class DailyEvent { Backup, Reminders };
inline constexpr std::array<DailyEvent, 2> kDailyEvents = {DailyEvent::Backup,
                                                           DailyEvent::Reminders};
QTime dailyMoment(DailyEvent event); // 03:00, 08:00

// An event is due on the first tick at which today's moment lies after the previous completed
// tick (or the program's start, before the first one) and no later than the present. Times are
// compared as wall-clock readings, so daylight saving and a clock set back move nothing. Each
// event runs at most once a day, and never on a day before the latest one the clock has shown.
class DailySchedule {
  public:
    explicit DailySchedule(QDateTime startedAt)
        : startedAt_(std::move(startedAt)), latestDay_(startedAt_.date()) {}

    // The events due at `now`, noted as run for today. previousTick is invalid before the
    // first completed tick.
    std::vector<DailyEvent> take(const QDateTime& previousTick, const QDateTime& now);

    // The last day each event ran for; invalid when it has not run.
    QDate lastRun(DailyEvent event) const { return lastRun_[index(event)]; }

  private:
    static size_t index(DailyEvent event) { return static_cast<size_t>(event); }

    QDateTime startedAt_;
    QDate latestDay_; // the latest day the clock has shown
    std::array<QDate, kDailyEvents.size()> lastRun_{};
};

} // namespace qm
