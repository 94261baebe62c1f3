#pragma once
// Copying and removing whole folders a slice at a time, so a caller on the event loop can stop
// between slices and let the window breathe.

#include "result.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm {

using SliceDeadline = std::chrono::steady_clock::time_point;

// A file or folder told apart from every other one on the machine.
struct FileIdentity {
    unsigned long long device = 0, inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
// The identity of path itself (a link is not followed); nothing when it does not exist.
std::optional<FileIdentity> identityOf(const std::string& path);

// Files of a folder held open with the size they had at one instant: copied later, they give
// that instant's content even if the files are rewritten, appended to or removed meanwhile.
class PinnedFiles {
  public:
    PinnedFiles() = default;
    PinnedFiles(PinnedFiles&&) noexcept;
    PinnedFiles& operator=(PinnedFiles&&) noexcept;
    ~PinnedFiles();

    // Opens each of `names` inside folder (ends with "/"); a missing one is left out. The
    // caller holds whatever makes the instant consistent (the data lock).
    static Result<PinnedFiles> pin(const std::string& folder,
                                   const std::vector<std::string>& names);

    struct File {
        std::string name;
        int fd = -1;
        long long size = 0;
    };
    const std::vector<File>& files() const { return files_; }

  private:
    std::vector<File> files_;
};

// Copies the folder `source` (ends with "/") as the new folder `destination`: subfolders, files
// with their modes and times, links as links. The top-level pinned files are copied from their
// descriptors whatever their names now hold; folders in `excluded` and top-level names in
// `skippedNames` are left out; a file or folder that vanishes before it is reached is skipped.
// Every file and folder written is synced before the copy reports itself finished.
class SlicedTreeCopy {
  public:
    SlicedTreeCopy(std::string source, std::string destination, PinnedFiles pinned,
                   std::vector<FileIdentity> excluded, std::vector<std::string> skippedNames);
    ~SlicedTreeCopy();
    SlicedTreeCopy(const SlicedTreeCopy&) = delete;
    SlicedTreeCopy& operator=(const SlicedTreeCopy&) = delete;

    // Works until `deadline` has passed; true once everything is copied.
    Result<bool> step(SliceDeadline deadline);

  private:
    struct State;
    std::unique_ptr<State> state_;
    friend Status copyFileSynced(const std::string& source, const std::string& destination);
};

// Removes a folder with everything in it, making read-only folders writable on the way.
class SlicedTreeRemoval {
  public:
    explicit SlicedTreeRemoval(std::string folder);
    ~SlicedTreeRemoval();
    SlicedTreeRemoval(const SlicedTreeRemoval&) = delete;
    SlicedTreeRemoval& operator=(const SlicedTreeRemoval&) = delete;

    // True once the folder is gone (or was never there).
    Result<bool> step(SliceDeadline deadline);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Copies one file (a small one: done at once) and syncs the copy. A missing source is no error.
Status copyFileSynced(const std::string& source, const std::string& destination);

} // namespace qm
