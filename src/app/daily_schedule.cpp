#include "daily_schedule.h"

namespace qm {

namespace {

// A wall-clock reading, free of the offset in force: 03:00 is 03:00 on either side of a
// daylight-saving change.
struct Wall {
    QDate date;
    QTime time;
    bool operator<(const Wall& other) const {
        return date != other.date ? date < other.date : time < other.time;
    }
};

Wall wallOf(const QDateTime& when) {
    return {when.date(), when.time()};
}

} // namespace

QTime dailyMoment(DailyEvent event) {
    return event == DailyEvent::Backup ? QTime(3, 0) : QTime(8, 0);
}

std::vector<DailyEvent> DailySchedule::take(const QDateTime& previousTick, const QDateTime& now) {
    const Wall present = wallOf(now);
    const Wall before = wallOf(previousTick.isValid() ? previousTick : startedAt_);
    std::vector<DailyEvent> due;
    // A day the clock has already left is over, whatever ran on it.
    if (present.date < latestDay_)
        return due;
    latestDay_ = present.date;
    for (DailyEvent event : kDailyEvents) {
        const Wall moment{present.date, dailyMoment(event)};
        QDate& last = lastRun_[index(event)];
        if (present < moment || !(before < moment))
            continue;
        if (last.isValid() && last >= present.date)
            continue;
        last = present.date;
        due.push_back(event);
    }
    return due;
}

} // namespace qm
