#pragma once
// The morning reminders: one e-mail to each searcher with orders due today, sent by one
// workstation only, whichever claims the day first.

#include "config.h"
#include "order.h"
#include "values.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class Messenger;

inline constexpr const char* kRemindersFileName = "Reminders.dat";
inline const QString kReminderSubject = QStringLiteral("REMINDER");

struct Reminder {
    QString searcher; // as the searcher list names them
    QString text;
};

// "12 Oak St Apt 2, West Springfield     (Title  &  Tax)": one order's line of the list.
QString reminderLine(const OrderTable& pending, size_t record);

// One reminder per searcher of `searcherNames` (in that order) with orders of `pending` due on
// `today`; orders whose searcher is not in the list, or whose due date does not read, are left
// out.
std::vector<Reminder> buildReminders(const OrderTable& pending, const DateTime& today,
                                     const std::vector<std::string>& searcherNames,
                                     const CompanyDetails& company);

// Under the lock: true when this caller is the first to claim `today` in Reminders.dat of the
// data folder (the file then holds that day), false when the day was claimed already.
Result<bool> claimReminderDay(const std::string& dataFolder, const DateTime& today);

// One morning's sending, a message at a time.
class ReminderRound {
  public:
    // Reads Pending.fil and Searchers.lst, then claims the day; nothing (no round) when nothing
    // is due or another workstation claimed the day first.
    static Result<std::optional<ReminderRound>> start(const Settings& settings,
                                                      const DateTime& today);
    explicit ReminderRound(std::vector<Reminder> reminders) : reminders_(std::move(reminders)) {}

    bool done() const { return next_ >= reminders_.size(); }
    // Sends the next reminder, e-mail only; a failure is noted for the summary.
    void sendNext(Messenger& messenger);
    size_t sent() const { return sent_; }
    // The failures, one line each ("Name: reason"); empty when every reminder went.
    QString failureSummary() const;

  private:
    std::vector<Reminder> reminders_;
    size_t next_ = 0, sent_ = 0;
    QStringList failures_;
};

} // namespace qm
