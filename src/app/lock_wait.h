#pragma once
// Signs of life while a command waits for another workstation to release the data lock: the
// busy pointer from the first report, after two seconds a notice naming who holds the lock,
// and the window kept painting. The lock reports its wait again and again; when the reports
// stop (or a new wait begins) the wait is over and the pointer and the notice go.

#include "data_lock.h"
#include "dialogs.h"

#include <QTimer>
#include <chrono>
#include <optional>
#include <string>

class QWidget;

namespace qm {

class LockWaitIndicator {
  public:
    static constexpr std::chrono::milliseconds kNoticeAfter{2000};
    // No report for this long: the wait has ended.
    static constexpr std::chrono::milliseconds kQuietEnd{500};

    LockWaitIndicator(Dialogs& dialogs, QWidget* window);
    ~LockWaitIndicator();
    LockWaitIndicator(const LockWaitIndicator&) = delete;
    LockWaitIndicator& operator=(const LockWaitIndicator&) = delete;

    // One report of a wait: how long it has lasted, and the holder's line from the lock file
    // (empty when it could not be read).
    void waiting(std::chrono::milliseconds waited, const std::string& holderLine);
    // The lock was taken or given up: the pointer comes back and the notice goes.
    void finished();
    bool busy() const { return busy_; }

  private:
    Dialogs& dialogs_;
    QWidget* window_;
    QTimer quiet_;
    bool busy_ = false;
    std::chrono::milliseconds lastWaited_{0};
    std::optional<NoticeId> notice_;
};

// Makes every wait for the data lock in this process report to `indicator` until stopped.
void reportLockWaits(LockWaitIndicator& indicator);
void stopReportingLockWaits();

// "user on host (process N) since hh:mm:ss" for the notice.
std::string describeLockHolder(const LockHolder& holder);
// The notice's text for a holder line as the lock file gives it.
QString lockHolderNotice(const std::string& holderLine);
inline const QString kLockWaitTitle = QStringLiteral(" WAITING FOR THE DATA");

} // namespace qm
