#include "data_refresh.h"

#include "clock.h"
#include "command_guard.h"
#include "order.h"

#include <cerrno>
#include <sys/stat.h>

namespace qm {

namespace {

QDateTime modifiedTime(const struct stat& st) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(st.st_mtim.tv_sec) * 1000 +
                                          st.st_mtim.tv_nsec / 1000000);
}

template <typename Build>
Result<QStringList> itemsOf(const std::string& dataFolder, DirectoryKind kind, Build build) {
    auto lines = readDirectoryFileUnlocked(dataFolder, kind);
    if (!lines)
        return lines.error();
    QStringList items;
    items.reserve(static_cast<qsizetype>(lines->size()));
    for (const std::string& line : *lines)
        items.append(build(line));
    return items;
}

} // namespace

bool isDataAccessError(const Error& error) {
    return error.kind == ErrorKind::FileNotFound || error.kind == ErrorKind::PathNotFound;
}

QString dataAccessDescription(const Error& error) {
    const QString what = error.kind == ErrorKind::PathNotFound ? QStringLiteral("Path not found")
                                                               : QStringLiteral("File not found");
    return what + ": " + QString::fromStdString(error.file);
}

void DataRefresh::forgetStamps() {
    for (FileStamp* s : {&companies_, &attorneys_, &searchers_, &services_, &pending_, &completed_})
        s->forget();
}

Result<bool> DataRefresh::changed(FileStamp& stamp, const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return systemError(path, errno, "cannot look at the file");
    return stamp.changedTo(modifiedTime(st));
}

Status DataRefresh::reloadTitleCompanies(const std::string& dataFolder) {
    auto items = itemsOf(dataFolder, DirectoryKind::Companies, titleCompanyItem);
    if (!items)
        return items.error();
    const QStringList list = sortedPickList(kTitleCompanyPlaceholder, *items);
    view_.fillTitleCompanies(list, restoredChoice(list, view_.rememberedTitleCompany()));
    return okStatus();
}

Status DataRefresh::reloadAttorneys(const std::string& dataFolder) {
    auto items = itemsOf(dataFolder, DirectoryKind::Attorneys, attorneyItem);
    if (!items)
        return items.error();
    view_.fillAttorneys(sortedPickList(kLawFirmPlaceholder, *items));
    return okStatus();
}

Status DataRefresh::reloadSearchers(const std::string& dataFolder) {
    auto items = itemsOf(dataFolder, DirectoryKind::Searchers, searcherItem);
    if (!items)
        return items.error();
    const QStringList list = pickListInOrder(kSearcherPlaceholder, *items);
    view_.fillSearchers(list, restoredChoice(list, view_.rememberedSearcher()));
    return okStatus();
}

Status DataRefresh::reloadServices(const std::string& dataFolder) {
    auto services = readFeeSchedule(dataFolder);
    if (!services)
        return services.error();
    view_.fillServiceGrid(*services);
    return okStatus();
}

Status DataRefresh::tick(const std::string& dataFolder) {
    const QDateTime now = clock_.now();
    view_.showClockLine(formatClockLine(now));
    // A command is between its click and its return, or a box shown by a tick runs the timer:
    // the files wait for the first free tick, which also catches up on the daily events.
    if (guard_.held() || ticking_)
        return okStatus();
    ticking_ = true;
    Status checked = checkFiles(dataFolder, now);
    ticking_ = false;
    return checked;
}

Status DataRefresh::checkFiles(const std::string& dataFolder, const QDateTime& now) {
    struct ListReload {
        FileStamp& stamp;
        const char* file;
        Status (DataRefresh::*reload)(const std::string&);
    };
    const ListReload lists[] = {
        {companies_, "Companies.lst", &DataRefresh::reloadTitleCompanies},
        {attorneys_, "Attorneys.lst", &DataRefresh::reloadAttorneys},
        {searchers_, "Searchers.lst", &DataRefresh::reloadSearchers},
        {services_, kServicesFileName, &DataRefresh::reloadServices},
    };
    for (const ListReload& list : lists) {
        auto isChanged = changed(list.stamp, dataFolder + list.file);
        if (!isChanged)
            return isChanged.error();
        if (*isChanged) {
            if (Status s = (this->*list.reload)(dataFolder); !s)
                return s;
        }
    }

    const bool newDay = !lastDay_ || now.date() > *lastDay_;
    auto pendingChanged = changed(pending_, dataFolder + orderFileName(OrderFile::Pending));
    if (!pendingChanged)
        return pendingChanged.error();
    if (*pendingChanged || newDay) {
        if (Status s = view_.rebuildPendingQueue(); !s)
            return s;
    }
    auto completedChanged = changed(completed_, dataFolder + orderFileName(OrderFile::Completed));
    if (!completedChanged)
        return completedChanged.error();
    if (*completedChanged) {
        if (Status s = view_.rebuildCompletedList(); !s)
            return s;
    }
    // Given once: a failing event is not given the same stretch again.
    const QDateTime previous = lastCompleted_.value_or(now);
    lastCompleted_ = now;
    if (Status s = view_.runDailyEvents(previous, now); !s)
        return s;
    if (newDay) {
        view_.dayChanged(now.date());
        lastDay_ = now.date();
    }
    return okStatus();
}

} // namespace qm
