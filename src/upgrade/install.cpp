#include "install.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace upm {

namespace {

namespace fs = std::filesystem;

std::string failure(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

bool exists(const std::string& path, struct stat& info) {
    return ::lstat(path.c_str(), &info) == 0;
}

// Creates every missing folder of relative path below root.
bool makeParents(const std::string& root, const std::string& path, std::string& why) {
    for (auto slash = path.find('/'); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = root + path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            why = failure("cannot create", folder);
            return false;
        }
    }
    return true;
}

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void removeTree(const std::string& path) {
    if (path.empty())
        return;
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

} // namespace

Installer::Installer(std::string folder, const Package& package)
    : folder_(std::move(folder)), package_(package) {
    umask_ = ::umask(0);
    ::umask(umask_);
}

Installer::~Installer() {
    removeTree(staging_);
    removeTree(undo_);
}

bool Installer::checkTargets(std::string& why) const {
    std::set<std::string> checked;
    for (const auto& entry : package_.entries()) {
        const std::string& path = entry.path;
        for (std::size_t end = path.find('/');; end = path.find('/', end + 1)) {
            const std::string part = path.substr(0, end);
            const bool last = end == std::string::npos;
            if (!checked.insert(part).second && !last)
                continue;
            struct stat info;
            if (!exists(folder_ + part, info))
                break; // nothing below a missing folder exists either
            const bool wantFolder = !last || entry.directory;
            if (wantFolder && !S_ISDIR(info.st_mode)) {
                why = "\"" + part + "\" in the program folder is not a folder";
                return false;
            }
            if (!wantFolder && S_ISDIR(info.st_mode)) {
                why = "\"" + part + "\" in the program folder is a folder";
                return false;
            }
            if (last)
                break;
        }
    }
    return true;
}

bool Installer::stage(std::string& why) {
    std::string name = folder_ + kWorkPrefix + "-staging.XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
        why = failure("cannot create", name);
        return false;
    }
    staging_ = name + "/";
    for (const auto& entry : package_.entries()) {
        if (!makeParents(staging_, entry.path + (entry.directory ? "/" : ""), why))
            return false;
        if (entry.directory)
            continue;
        const std::string target = staging_ + entry.path;
        const int fd =
            ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            why = failure("cannot create", target);
            return false;
        }
        bool ok = package_.extract(entry, fd, why);
        if (ok && (::fchmod(fd, modeFor(entry)) != 0 || ::fsync(fd) != 0)) {
            why = failure("cannot write", target);
            ok = false;
        }
        ::close(fd);
        if (!ok)
            return false;
    }
    return true;
}

mode_t Installer::modeFor(const PackageEntry& entry) const {
    // An archive made without Unix modes must not take the execute bit off a program it
    // replaces.
    struct stat info;
    if (!entry.modeGiven && exists(folder_ + entry.path, info) && S_ISREG(info.st_mode))
        return info.st_mode & 0777;
    return entry.mode & ~umask_;
}

bool Installer::makeFolders(std::string& why) {
    std::map<std::string, mode_t> wanted;
    for (const auto& entry : package_.entries()) {
        const std::string& path = entry.path;
        for (auto slash = path.find('/'); slash != std::string::npos;
             slash = path.find('/', slash + 1))
            wanted.emplace(path.substr(0, slash), 0755);
        if (entry.directory)
            wanted[path] = entry.mode;
    }
    // A map is sorted, so a folder comes before the folders inside it.
    for (const auto& [path, mode] : wanted) {
        const std::string target = folder_ + path;
        if (::mkdir(target.c_str(), mode & ~umask_) == 0) {
            createdFolders_.push_back(target);
        } else if (errno != EEXIST) {
            why = failure("cannot create", target);
            return false;
        }
    }
    return true;
}

bool Installer::moveInto(const PackageEntry& entry, std::string& why) {
    const std::string target = folder_ + entry.path;
    Move& move = moves_.emplace_back(Move{entry.path, false, false});
    struct stat info;
    if (exists(target, info)) {
        if (!makeParents(undo_, entry.path, why))
            return false;
        if (::rename(target.c_str(), (undo_ + entry.path).c_str()) != 0) {
            why = failure("cannot set aside", target);
            return false;
        }
        move.hadOld = true;
    }
    if (beforeMove && !beforeMove(entry.path)) {
        errno = EIO;
        why = failure("cannot replace", target);
        return false;
    }
    if (::rename((staging_ + entry.path).c_str(), target.c_str()) != 0) {
        why = failure("cannot replace", target);
        return false;
    }
    move.placed = true;
    return true;
}

std::string Installer::undoAll() {
    std::string problems;
    for (auto move = moves_.rbegin(); move != moves_.rend(); ++move) {
        const std::string target = folder_ + move->path;
        bool ok = true;
        if (move->hadOld)
            ok = ::rename((undo_ + move->path).c_str(), target.c_str()) == 0;
        else if (move->placed)
            ok = ::unlink(target.c_str()) == 0;
        if (!ok)
            problems += "\n" + failure("cannot restore", target);
    }
    moves_.clear();
    for (auto folder = createdFolders_.rbegin(); folder != createdFolders_.rend(); ++folder)
        ::rmdir(folder->c_str());
    createdFolders_.clear();
    return problems;
}

bool Installer::install(std::string& why) {
    std::string name = folder_ + kWorkPrefix + "-undo.XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
        why = failure("cannot create", name);
        return false;
    }
    undo_ = name + "/";
    bool ok = makeFolders(why);
    for (const auto& entry : package_.entries()) {
        if (!ok)
            break;
        if (!entry.directory)
            ok = moveInto(entry, why);
    }
    if (!ok) {
        const std::string problems = undoAll();
        if (!problems.empty()) {
            restored_ = false;
            why += "\nThe previous version could not be fully restored:" + problems;
            // What could not be put back stays in the undo folder for the administrator.
            undo_.clear();
        }
        return false;
    }
    std::set<std::string> folders{folder_};
    for (const auto& move : moves_)
        folders.insert(folder_ + parentOf(move.path));
    std::for_each(folders.begin(), folders.end(), syncFolder);
    return true;
}

} // namespace upm
