#include "reminders.h"

#include "cp1252.h"
#include "directory_files.h"
#include "disk_text.h"
#include "files.h"
#include "messenger.h"

#include <map>

namespace qm {

namespace {

QString searchText(std::string_view searchType, std::string_view muniSearch) {
    if (searchType.empty())
        return "(" + fromDisk(muniSearch) + ")";
    if (muniSearch.empty())
        return "(" + fromDisk(searchType) + ")";
    return "(" + fromDisk(searchType) + "  &  " + fromDisk(muniSearch) + ")";
}

} // namespace

QString reminderLine(const OrderTable& pending, size_t record) {
    const auto text = [&](OrderField f) { return pending.field(record, f).text; };
    const std::string_view address2 = text(OrderField::PropertyAddress2);
    return fromDisk(text(OrderField::PropertyAddress1)) +
           (address2.empty() ? QString() : " " + fromDisk(address2)) + ", " +
           fromDisk(properCase(text(OrderField::Town))) + "     " +
           searchText(text(OrderField::SearchType), text(OrderField::MuniSearch));
}

std::vector<Reminder> buildReminders(const OrderTable& pending, const DateTime& today,
                                     const std::vector<std::string>& searcherNames,
                                     const CompanyDetails& company) {
    // The first searcher of the list with a name receives that name's orders.
    std::map<std::string_view, size_t> position;
    for (size_t i = 0; i < searcherNames.size(); ++i)
        position.emplace(searcherNames[i], i);
    std::vector<QString> notices(searcherNames.size());
    for (size_t record = 0; record < pending.size(); ++record) {
        const auto due = parseDueDate(pending.field(record, OrderField::DueDate));
        if (!due || due->day.dateOnly() != today.dateOnly())
            continue;
        const std::string_view searcher = pending.field(record, OrderField::Searcher).text;
        const auto found = position.find(searcher.substr(0, searcher.find('*')));
        if (found == position.end())
            continue;
        notices[found->second] += "\r\n" + reminderLine(pending, record);
    }
    const QString signature = "\r\n\r\n" + fromDisk(company.name).toUpper() +
                              "   Phone: " + fromDisk(company.phone) +
                              "   Fax: " + fromDisk(company.fax);
    std::vector<Reminder> reminders;
    for (size_t i = 0; i < notices.size(); ++i) {
        if (notices[i].isEmpty())
            continue;
        reminders.push_back({fromDisk(searcherNames[i]),
                             "Please note;  The following searches are DUE TODAY ...\r\n" +
                                 notices[i] + signature});
    }
    return reminders;
}

Result<bool> claimReminderDay(const std::string& dataFolder, const DateTime& today) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    const std::string path = dataFolder + kRemindersFileName;
    auto held = readWholeFile(path);
    if (!held && held.error().kind != ErrorKind::FileNotFound)
        return held.error();
    const std::string day = formatShortDate(today.dateOnly());
    if (held) {
        const std::string& bytes = *held;
        const auto claimed = parseShortDate(bytes.substr(0, bytes.find('\r')));
        if (claimed && claimed->dateOnly() == today.dateOnly())
            return false;
    }
    if (Status written = rewriteFile(*lock, path, day + "\r\n"); !written)
        return written.error();
    return true;
}

Result<std::optional<ReminderRound>> ReminderRound::start(const Settings& settings,
                                                          const DateTime& today) {
    const std::string& folder = settings.dataFolder;
    const std::string pendingPath = folder + orderFileName(OrderFile::Pending);
    auto bytes = readWholeFile(pendingPath);
    if (!bytes)
        return bytes.error();
    auto pending = parseOrderTable(OrderFile::Pending, std::move(*bytes), pendingPath);
    if (!pending)
        return pending.error();
    auto searchers = readDirectoryFileUnlocked(folder, DirectoryKind::Searchers);
    if (!searchers)
        return searchers.error();
    std::vector<std::string> names;
    names.reserve(searchers->size());
    for (const std::string& line : *searchers)
        names.push_back(splitDirectoryLine(line)[0]);
    std::vector<Reminder> reminders = buildReminders(*pending, today, names, settings.company);
    // Claimed only once there is something to send, so a workstation that cannot read the
    // files leaves the day to the others.
    if (reminders.empty())
        return std::optional<ReminderRound>();
    auto claimed = claimReminderDay(folder, today);
    if (!claimed)
        return claimed.error();
    if (!*claimed)
        return std::optional<ReminderRound>();
    return std::optional<ReminderRound>(ReminderRound(std::move(reminders)));
}

void ReminderRound::sendNext(Messenger& messenger) {
    if (done())
        return;
    const Reminder& reminder = reminders_[next_++];
    const SendResult result = messenger.SendMsgQuietly(reminder.searcher, kReminderSubject,
                                                       reminder.text, MessageType::EmailOnly);
    if (result.sent())
        ++sent_;
    else if (result.outcome == SendResult::Outcome::Failed)
        failures_.append(reminder.searcher + ": " + result.reason);
}

QString ReminderRound::failureSummary() const {
    if (failures_.isEmpty())
        return {};
    return "The due-today reminders did not reach every searcher:\n" + failures_.join('\n');
}

} // namespace qm
