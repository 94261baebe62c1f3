#include "reservations.h"

#include "record.h"

#include <array>
#include <unistd.h>

namespace qm {

namespace {

constexpr size_t kFields = 4;

std::string pathIn(const std::string& dataFolder) {
    return dataFolder + kReservationsFileName;
}

std::string encoded(const Reservation& r) {
    const std::array<Field, kFields> fields{Field::ofText(r.fileNumber),
                                            Field::ofText(r.holder.logOnName),
                                            Field::ofText(r.holder.host), Field::ofDate(r.since)};
    return encodeRecord(fields);
}

} // namespace

Holder holderHere(const std::string& logOnName) {
    std::array<char, 256> host{};
    if (::gethostname(host.data(), host.size() - 1) != 0)
        host[0] = '\0';
    return {logOnName, host.data()};
}

std::string reservationHolderText(const Reservation& reservation) {
    return " by " + reservation.holder.logOnName + " at " + reservation.holder.host + " since " +
           formatDateLiteral(reservation.since);
}

Result<std::vector<Reservation>> readReservations(const std::string& dataFolder) {
    const std::string path = pathIn(dataFolder);
    auto bytes = readWholeFile(path);
    if (!bytes) {
        if (bytes.error().kind == ErrorKind::FileNotFound)
            return std::vector<Reservation>();
        return bytes.error();
    }
    auto table = readRecords(*bytes, kFields, path);
    if (!table)
        return table.error();
    std::vector<Reservation> reservations;
    reservations.reserve(table->size());
    for (size_t i = 0; i < table->size(); ++i)
        reservations.push_back(
            {std::string(table->field(i, 0).text),
             {std::string(table->field(i, 1).text), std::string(table->field(i, 2).text)},
             table->field(i, 3).date().value_or(DateTime{})});
    return reservations;
}

Status reserveNumber(const DataLock& lock, const Reservation& reservation) {
    return appendToFile(lock, pathIn(lock.dataFolder()), encoded(reservation));
}

Status releaseNumber(const DataLock& lock, const std::string& fileNumber, const Holder& holder) {
    const std::string path = pathIn(lock.dataFolder());
    auto bytes = readWholeFile(path);
    if (!bytes)
        return bytes.error().kind == ErrorKind::FileNotFound ? okStatus() : Status(bytes.error());
    auto table = readRecords(*bytes, kFields, path);
    if (!table)
        return table.error();
    std::string kept;
    bool released = false;
    for (size_t i = 0; i < table->size(); ++i) {
        const bool match = !released && table->field(i, 0).text == fileNumber &&
                           table->field(i, 1).text == holder.logOnName &&
                           table->field(i, 2).text == holder.host;
        if (match)
            released = true;
        else
            kept += table->rawRecord(i);
    }
    if (!released)
        return okStatus();
    return rewriteFile(lock, path, kept);
}

Status releaseNumber(const std::string& dataFolder, const std::string& fileNumber,
                     const Holder& holder) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    return releaseNumber(*lock, fileNumber, holder);
}

} // namespace qm
