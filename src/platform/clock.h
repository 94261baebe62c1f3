#pragma once
// The one source of time, so that midnight and the daily moments can be reached in tests.

#include "values.h"

#include <QDate>
#include <QDateTime>

namespace qm {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
};

class SystemClock final : public Clock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A clock that stands still until moved.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(QDateTime start) : now_(std::move(start)) {}
    QDateTime now() const override { return now_; }
    void set(QDateTime when) { now_ = std::move(when); }
    void advanceSeconds(qint64 seconds) { now_ = now_.addSecs(seconds); }

  private:
    QDateTime now_;
};

// The stored form of a moment, to the second, and of a day (midnight).
inline DateTime storedMoment(const QDateTime& when) {
    const QDate d = when.date();
    const QTime t = when.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}
inline DateTime storedDay(const QDate& day) {
    return {day.year(), day.month(), day.day(), 0, 0, 0};
}

} // namespace qm
