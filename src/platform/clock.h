#pragma once
// The one source of time, so that midnight and the daily moments can be reached in tests.

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

} // namespace qm
