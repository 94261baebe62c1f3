#pragma once
// Numbers of orders pulled for editing. While pulled, an order is in none of the order files, so
// its number is kept in Reserved.dat of the data folder until the order is saved back, deleted
// or recovered: no other workstation may generate or accept it meanwhile. One record a line:
// "file number","log-on name","host",#yyyy-mm-dd hh:mm:ss#, CR LF, Windows-1252.

#include "files.h"
#include "result.h"
#include "values.h"

#include <string>
#include <vector>

namespace qm {

inline constexpr const char* kReservationsFileName = "Reserved.dat";

// Who holds a reservation: a user at a workstation.
struct Holder {
    std::string logOnName;
    std::string host;

    bool operator==(const Holder&) const = default;
};

// The user at this workstation.
Holder holderHere(const std::string& logOnName);

struct Reservation {
    std::string fileNumber;
    Holder holder;
    DateTime since;
};

// " by <user> at <host> since <yyyy-mm-dd hh:mm:ss>", for telling who holds a number.
std::string reservationHolderText(const Reservation& reservation);

// The reservations of the folder in file order; a missing file holds none. Read under the lock.
Result<std::vector<Reservation>> readReservations(const std::string& dataFolder);

Status reserveNumber(const DataLock& lock, const Reservation& reservation);
// Drops the first reservation of fileNumber by holder; none is fine.
Status releaseNumber(const DataLock& lock, const std::string& fileNumber, const Holder& holder);
// The same, taking the lock.
Status releaseNumber(const std::string& dataFolder, const std::string& fileNumber,
                     const Holder& holder);

} // namespace qm
