#include "split_order.h"

#include "data_lock.h"
#include "reservations.h"

#include <unordered_set>

namespace qm {

namespace {

// base followed by one "m" or more.
bool isSplitOf(const std::string& number, const std::string& base) {
    return number.size() > base.size() && number.starts_with(base) &&
           number.find_first_not_of('m', base.size()) == std::string::npos;
}

} // namespace

std::string firstFreeSplitNumber(const std::string& base,
                                 const std::function<bool(const std::string&)>& used) {
    std::string number = base + "m";
    while (used(number))
        number += 'm';
    return number;
}

Result<std::string> nextSplitNumber(const DataLock& lock, const std::string& base) {
    // Only the base's own splits can stand in the way; the rest of the files is not kept.
    std::unordered_set<std::string> taken;
    Status visited =
        visitFileNumbers(lock.dataFolder(), [&](OrderFile, std::string_view, const std::string&,
                                                size_t, const std::string& number) {
            if (isSplitOf(number, base))
                taken.insert(number);
            return true;
        });
    if (!visited)
        return visited.error();
    auto reservations = readReservations(lock.dataFolder());
    if (!reservations)
        return reservations.error();
    for (const Reservation& r : *reservations)
        if (isSplitOf(r.fileNumber, base))
            taken.insert(r.fileNumber);
    return firstFreeSplitNumber(base,
                                [&](const std::string& number) { return taken.contains(number); });
}

Result<std::string> nextSplitNumber(const std::string& dataFolder, const std::string& base) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    return nextSplitNumber(*lock, base);
}

Result<std::optional<SplitStart>> startSplit(const std::string& dataFolder,
                                             const std::string& fileNumber) {
    if (fileNumber.empty())
        return std::optional<SplitStart>();
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    auto pending = readOrderFile(dataFolder, OrderFile::Pending);
    if (!pending) {
        if (pending.error().kind == ErrorKind::FileNotFound)
            return std::optional<SplitStart>();
        return pending.error();
    }
    for (size_t i = 0; i < pending->size(); ++i) {
        if (pending->field(i, OrderField::FileNumber).text != fileNumber)
            continue;
        auto number = nextSplitNumber(*lock, fileNumber);
        if (!number)
            return number.error();
        return std::optional<SplitStart>(SplitStart{pending->record(i), std::move(*number)});
    }
    return std::optional<SplitStart>();
}

} // namespace qm
