#pragma once
// The nightly backup: QM_BACKUP in the program folder holds a copy of the data folder, under
// the data folder's own name, and of config.txt. The new backup is built beside the old one as
// QM_BACKUP.new and swapped in only when complete, so a failed or interrupted backup leaves the
// previous one in place.

#include "result.h"
#include "tree_copy.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm {

inline constexpr const char* kBackupFolderName = "QM_BACKUP";

// The files that change under the lock; the backup takes them as they stood at one instant.
const std::vector<std::string>& pinnedDataFiles();

// The name the data folder's copy has inside QM_BACKUP: the data folder's last path part.
std::string backupNameOfDataFolder(const std::string& dataFolder);

class BackupJob {
  public:
    // programFolder and dataFolder end with "/".
    BackupJob(std::string programFolder, std::string dataFolder);
    ~BackupJob();

    // Works for about `budget`; true once the backup is finished, made or failed.
    bool step(std::chrono::milliseconds budget);
    bool finished() const { return outcome_.has_value(); }
    // After finishing: ok, or why no new backup was made (the previous one is kept).
    const Status& outcome() const { return *outcome_; }

  private:
    enum class Phase { Repair, RemoveStale, Start, Copy, Swap, RemoveOld, Discard };
    Status advance(SliceDeadline deadline, bool& phaseDone);
    Status start();
    Status swap();
    void fail(Error error);

    std::string programFolder_, dataFolder_;
    std::string backup_, fresh_, old_;
    Phase phase_ = Phase::Repair;
    std::vector<std::string> stale_; // left over by an interrupted backup
    std::unique_ptr<SlicedTreeRemoval> removal_;
    std::unique_ptr<SlicedTreeCopy> copy_;
    std::optional<Error> failure_;
    std::optional<Status> outcome_;
};

} // namespace qm
