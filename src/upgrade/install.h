#pragma once
// Puts a checked package's files into the program folder: all of them, or none.

#include "package.h"

#include <functional>
#include <string>
#include <vector>

namespace upm {

class Installer {
  public:
    // folder ends with "/".
    Installer(std::string folder, const Package& package);
    Installer(const Installer&) = delete;
    Installer& operator=(const Installer&) = delete;
    // Removes the staging and undo folders.
    ~Installer();

    // Refuses a package whose entries would replace a folder by a file or the reverse, or would
    // pass through a link of the program folder. Changes nothing.
    bool checkTargets(std::string& why) const;
    // Unpacks every file into a staging folder inside the program folder; the files get the
    // time of unpacking and the package's modes less the umask (without one in the package, the
    // mode of the file replaced).
    bool stage(std::string& why);
    // Renames each staged file into place, keeping each replaced file aside. On any failure
    // every step is undone, so the old version stays whole; why then also tells whether the
    // undo itself failed.
    bool install(std::string& why);

    // After a failed install: whether every replaced file was put back.
    bool restored() const { return restored_; }

    // Called before each file is moved into place; returning false makes that move fail. Lets
    // tests stop an installation halfway.
    std::function<bool(const std::string& path)> beforeMove;

  private:
    struct Move {
        std::string path;
        bool hadOld = false;
        bool placed = false;
    };
    mode_t modeFor(const PackageEntry& entry) const;
    bool makeFolders(std::string& why);
    bool moveInto(const PackageEntry& entry, std::string& why);
    std::string undoAll();

    std::string folder_;
    const Package& package_;
    mode_t umask_ = 022;
    std::string staging_;
    std::string undo_;
    std::vector<Move> moves_;
    std::vector<std::string> createdFolders_;
    bool restored_ = true;
};

} // namespace upm
