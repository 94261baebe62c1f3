#pragma once
// The daily events on the refresh's tick: the backup at 03:00 and, with automatic messaging on,
// the due-today reminders at 08:00. Both then run in slices from the event loop, so the window
// stays responsive while they work.

#include "backup.h"
#include "config.h"
#include "daily_schedule.h"
#include "reminders.h"

#include <QDateTime>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace qm {

class Messenger;

inline const QString kBackupErrorTitle = QStringLiteral("BACKUP ERROR");
inline const QString kSendErrorTitle = QStringLiteral("SEND ERROR");

// What happened with nobody at the desk: shown without stopping the program.
using DailyNotice = std::function<void(const QString& title, const QString& text)>;

class DailyEvents {
  public:
    // settings are read at each use; programFolder ends with "/".
    DailyEvents(std::string programFolder, const Settings& settings, Messenger& messenger,
                QDateTime startedAt, DailyNotice notice);

    // After each completed tick, with that tick's present moment and the previous completed
    // tick's (invalid before there was one). Starts what is due; a data file or folder missing
    // for the reminders is returned as the tick's failure, other failures become notices.
    Status tick(const QDateTime& previousTick, const QDateTime& now);

    // Work is still going on in slices.
    bool busy() const { return backup_ || reminders_; }
    // The longest time one slice took so far.
    std::chrono::microseconds longestSlice() const { return longestSlice_; }

    static constexpr std::chrono::milliseconds kSliceBudget{20};

  private:
    void startBackup();
    Status startReminders(const QDate& today);
    void slice();

    std::string programFolder_;
    const Settings& settings_;
    Messenger& messenger_;
    DailyNotice notice_;
    DailySchedule schedule_;
    std::unique_ptr<BackupJob> backup_;
    std::optional<ReminderRound> reminders_;
    QTimer slices_;
    std::chrono::microseconds longestSlice_{0};
};

} // namespace qm
