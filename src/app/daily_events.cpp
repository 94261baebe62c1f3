#include "daily_events.h"

#include "cp1252.h"

namespace qm {

DailyEvents::DailyEvents(std::string programFolder, const Settings& settings, Messenger& messenger,
                         QDateTime startedAt, DailyNotice notice)
    : programFolder_(std::move(programFolder)), settings_(settings), messenger_(messenger),
      notice_(std::move(notice)), schedule_(std::move(startedAt)) {
    slices_.setInterval(0);
    QObject::connect(&slices_, &QTimer::timeout, [this] { slice(); });
}

Status DailyEvents::tick(const QDateTime& previousTick, const QDateTime& now) {
    for (DailyEvent event : schedule_.take(previousTick, now)) {
        if (event == DailyEvent::Backup) {
            startBackup();
        } else if (settings_.autoMessaging) {
            if (Status started = startReminders(now.date()); !started)
                return started;
        }
    }
    return okStatus();
}

void DailyEvents::startBackup() {
    if (backup_)
        return; // yesterday's is still going; one backup at a time
    backup_ = std::make_unique<BackupJob>(programFolder_, settings_.dataFolder);
    slices_.start();
}

Status DailyEvents::startReminders(const QDate& today) {
    if (reminders_)
        return okStatus();
    auto round = ReminderRound::start(settings_, {today.year(), today.month(), today.day()});
    if (!round) {
        const Error& error = round.error();
        // A missing file or folder is the tick's data-access failure; anything else (a record
        // that does not read) must not end the program over a reminder.
        if (error.kind == ErrorKind::FileNotFound || error.kind == ErrorKind::PathNotFound)
            return error;
        notice_(kSendErrorTitle, QStringLiteral("The due-today reminders could not be sent:\n") +
                                     QString::fromStdString(cp1252ToUtf8(error.describe())));
        return okStatus();
    }
    reminders_ = std::move(*round);
    if (reminders_)
        slices_.start();
    return okStatus();
}

void DailyEvents::slice() {
    const auto began = std::chrono::steady_clock::now();
    if (backup_) {
        if (backup_->step(kSliceBudget)) {
            if (!backup_->outcome())
                notice_(kBackupErrorTitle,
                        QStringLiteral("The backup could not be made; the previous backup in ") +
                            QString::fromStdString(programFolder_ + kBackupFolderName) +
                            QStringLiteral(" is kept.\n\n") +
                            QString::fromStdString(
                                cp1252ToUtf8(backup_->outcome().error().describe())));
            backup_.reset();
        }
    }
    if (reminders_) {
        reminders_->sendNext(messenger_);
        if (reminders_->done()) {
            if (const QString failures = reminders_->failureSummary(); !failures.isEmpty())
                notice_(kSendErrorTitle, failures);
            reminders_.reset();
        }
    }
    if (!busy())
        slices_.stop();
    longestSlice_ = std::max(longestSlice_, std::chrono::duration_cast<std::chrono::microseconds>(
                                                std::chrono::steady_clock::now() - began));
}

} // namespace qm
