#include "backup.h"

#include "data_file.h"
#include "directory_files.h"
#include "files.h"
#include "order.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace qm {

namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

const std::vector<std::string>& pinnedDataFiles() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (OrderFile file : kAllOrderFiles)
            all.push_back(orderFileName(file));
        for (DirectoryKind kind :
             {DirectoryKind::Companies, DirectoryKind::Attorneys, DirectoryKind::Searchers})
            all.push_back(directoryFileName(kind));
        all.push_back(kServicesFileName);
        return all;
    }();
    return names;
}

std::string backupNameOfDataFolder(const std::string& dataFolder) {
    std::string path = dataFolder;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    const std::string name = path.substr(path.find_last_of('/') + 1);
    return name.empty() || name == "." || name == ".." ? "data" : name;
}

BackupJob::BackupJob(std::string programFolder, std::string dataFolder)
    : programFolder_(std::move(programFolder)), dataFolder_(std::move(dataFolder)),
      backup_(programFolder_ + kBackupFolderName), fresh_(backup_ + ".new"),
      old_(backup_ + ".old") {}

BackupJob::~BackupJob() = default;

void BackupJob::fail(Error error) {
    failure_ = std::move(error);
    copy_.reset();
    removal_ = std::make_unique<SlicedTreeRemoval>(fresh_);
    phase_ = Phase::Discard;
}

// A new QM_BACKUP.new, and the data folder's files pinned; QM_BACKUP and its siblings are left
// out of the copy when the data folder holds the program folder.
Status BackupJob::start() {
    if (::mkdir(fresh_.c_str(), S_IRWXU | S_IRGRP | S_IXGRP | S_IROTH | S_IXOTH) != 0)
        return systemError(fresh_, errno, "cannot create the backup folder");
    std::vector<FileIdentity> excluded;
    for (const std::string& own : {backup_, fresh_, old_}) {
        if (auto id = identityOf(own))
            excluded.push_back(*id);
    }
    // The lock is held only to open the files that change under it and note their sizes.
    Result<PinnedFiles> pinned = [&]() -> Result<PinnedFiles> {
        if (!folderExists(dataFolder_))
            return Error{ErrorKind::PathNotFound, dataFolder_, 0, "the data folder does not exist",
                         ENOENT};
        auto lock = DataLock::acquire(dataFolder_);
        if (!lock)
            return lock.error();
        return PinnedFiles::pin(dataFolder_, pinnedDataFiles());
    }();
    if (!pinned)
        return pinned.error();
    copy_ = std::make_unique<SlicedTreeCopy>(
        dataFolder_, fresh_ + "/" + backupNameOfDataFolder(dataFolder_), std::move(*pinned),
        std::move(excluded),
        std::vector<std::string>{kLockFileName, "Pending.new", "Completed.new", "Archives.new"});
    return okStatus();
}

Status BackupJob::swap() {
    if (Status config = copyFileSynced(programFolder_ + "config.txt", fresh_ + "/config.txt");
        !config)
        return config;
    if (Status synced = syncFolder(fresh_ + "/"); !synced)
        return synced;
    if (exists(backup_) && std::rename(backup_.c_str(), old_.c_str()) != 0)
        return systemError(backup_, errno, "cannot move the previous backup aside");
    if (std::rename(fresh_.c_str(), backup_.c_str()) != 0) {
        const int err = errno;
        std::rename(old_.c_str(), backup_.c_str());
        return systemError(fresh_, err, "cannot put the new backup in place");
    }
    // The copy itself is synced; a folder that cannot be synced leaves it in place all the same.
    (void)syncFolder(programFolder_);
    return okStatus();
}

Status BackupJob::advance(SliceDeadline deadline, bool& phaseDone) {
    phaseDone = true;
    switch (phase_) {
    case Phase::Repair:
        // A crash between the two renames of a swap left the last good backup as
        // QM_BACKUP.old: it comes back. What else an interruption left is removed.
        if (!exists(backup_) && exists(old_) && std::rename(old_.c_str(), backup_.c_str()) != 0)
            return systemError(old_, errno, "cannot restore the previous backup");
        stale_ = {old_, fresh_};
        return okStatus();
    case Phase::RemoveStale:
        if (!removal_) {
            if (stale_.empty())
                return okStatus();
            removal_ = std::make_unique<SlicedTreeRemoval>(stale_.back());
            stale_.pop_back();
        }
        [[fallthrough]];
    case Phase::RemoveOld:
    case Phase::Discard: {
        auto removed = removal_->step(deadline);
        if (!removed)
            return removed.error();
        if (*removed)
            removal_.reset();
        phaseDone = *removed && (phase_ != Phase::RemoveStale || stale_.empty());
        return okStatus();
    }
    case Phase::Start:
        return start();
    case Phase::Copy: {
        auto copied = copy_->step(deadline);
        if (!copied)
            return copied.error();
        phaseDone = *copied;
        return okStatus();
    }
    case Phase::Swap:
        copy_.reset(); // the pinned files are closed
        if (Status swapped = swap(); !swapped)
            return swapped;
        removal_ = std::make_unique<SlicedTreeRemoval>(old_);
        return okStatus();
    }
    return okStatus();
}

bool BackupJob::step(std::chrono::milliseconds budget) {
    if (outcome_)
        return true;
    const SliceDeadline deadline = std::chrono::steady_clock::now() + budget;
    do {
        bool phaseDone = false;
        Status advanced = advance(deadline, phaseDone);
        if (!advanced) {
            if (phase_ == Phase::Discard || phase_ == Phase::RemoveOld) {
                // The new backup is in place or none was made; what is left over goes next time.
                outcome_ = failure_ ? Status(*failure_) : okStatus();
                return true;
            }
            fail(advanced.error());
            continue;
        }
        if (!phaseDone)
            continue;
        switch (phase_) {
        case Phase::Repair:
            phase_ = Phase::RemoveStale;
            break;
        case Phase::RemoveStale:
            phase_ = Phase::Start;
            break;
        case Phase::Start:
            phase_ = Phase::Copy;
            break;
        case Phase::Copy:
            phase_ = Phase::Swap;
            break;
        case Phase::Swap:
            phase_ = Phase::RemoveOld;
            break;
        case Phase::RemoveOld:
        case Phase::Discard:
            outcome_ = failure_ ? Status(*failure_) : okStatus();
            return true;
        }
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

} // namespace qm
