#include "lock_wait.h"

#include "cp1252.h"

#include <QApplication>
#include <cstdio>

namespace qm {

std::string describeLockHolder(const LockHolder& holder) {
    char since[16];
    std::snprintf(since, sizeof since, "%02d:%02d:%02d", holder.since.hour % 100,
                  holder.since.minute % 100, holder.since.second % 100);
    return holder.user + " on " + holder.host + " (process " + std::to_string(holder.pid) +
           ") since " + since;
}

void reportLockWaits(LockWaitIndicator& indicator) {
    setLockWaitObserver([&indicator](const LockWait& wait) {
        if (wait.done)
            indicator.finished();
        else
            indicator.waiting(wait.waited, wait.holder ? describeLockHolder(*wait.holder) : "");
    });
}

void stopReportingLockWaits() {
    setLockWaitObserver(nullptr);
}

QString lockHolderNotice(const std::string& holderLine) {
    const QString holder = QString::fromStdString(cp1252ToUtf8(holderLine)).trimmed();
    return QStringLiteral("The shared data are in use by\n%1\n\nQuillmark goes on by itself as "
                          "soon as they are free.")
        .arg(holder.isEmpty() ? QStringLiteral("another workstation") : holder);
}

LockWaitIndicator::LockWaitIndicator(Dialogs& dialogs, QWidget* window)
    : dialogs_(dialogs), window_(window) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietEnd);
    QObject::connect(&quiet_, &QTimer::timeout, [this] { finished(); });
}

LockWaitIndicator::~LockWaitIndicator() {
    finished();
}

void LockWaitIndicator::waiting(std::chrono::milliseconds waited, const std::string& holderLine) {
    if (busy_ && waited < lastWaited_)
        finished(); // the previous wait ended without the reports pausing
    lastWaited_ = waited;
    if (!busy_) {
        busy_ = true;
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    if (!notice_ && waited >= kNoticeAfter)
        notice_ = dialogs_.notice(window_, QMessageBox::Information, kLockWaitTitle,
                                  lockHolderNotice(holderLine));
    quiet_.start();
    // Paint and run timers, but take no clicks: a second command must not start meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void LockWaitIndicator::finished() {
    quiet_.stop();
    if (notice_) {
        dialogs_.closeNotice(*notice_);
        notice_.reset();
    }
    if (busy_) {
        busy_ = false;
        QApplication::restoreOverrideCursor();
    }
    lastWaited_ = std::chrono::milliseconds{0};
}

} // namespace qm
