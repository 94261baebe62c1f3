#pragma once
// The patch program a package may bring, and the program folder's own guards.

#include <functional>
#include <string>

namespace upm {

inline constexpr const char* kPatchName = "PATCH.EXE";

// Runs folder + PATCH.EXE with "/auto" in folder, waits for it (calling idle meanwhile), then
// deletes it once. Returns an empty text when all went well, else what went wrong.
std::string runPatch(const std::string& folder, const std::function<void()>& idle);

// The program folder may be changed: a probe file is created, renamed and removed there (the
// same test as the main program's). Gives the reason when it may not.
std::string refusedFolder(const std::string& folder);

// Holds an exclusive flock() on the program folder itself for its lifetime, so only one upgrade
// runs per folder and nothing is left behind. Another program tells that an upgrade is running
// when flock(folder, LOCK_SH | LOCK_NB) fails with EWOULDBLOCK.
class FolderLock {
  public:
    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();
    // False when another upgrade holds it, or it cannot be made (why says which).
    bool acquire(const std::string& folder, bool& heldElsewhere, std::string& why);

  private:
    int fd_ = -1;
};

} // namespace upm
