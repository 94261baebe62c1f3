#include "recovery_store.h"

#include "files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr const char* kCopyExtension = ".fil";

class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

Status syncFolder(const std::string& folder) {
    FileHandle fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0 || ::fsync(fd.get()) != 0)
        return systemError(folder, errno, "sync the folder");
    return okStatus();
}

Status makeFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return systemError(folder, errno, "create the folder");
    return okStatus();
}

Status writeAllAndSync(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return systemError(path, errno, "write the recovery copy");
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    if (::fsync(fd) != 0)
        return systemError(path, errno, "sync the recovery copy");
    return okStatus();
}

// Links the written temporary file under the first free name: link() never replaces a file.
Result<std::string> linkUnderFreeName(const std::string& temporary, const std::string& base) {
    for (int n = 1;; ++n) {
        const std::string path =
            base + (n == 1 ? std::string() : "~" + std::to_string(n)) + kCopyExtension;
        if (::link(temporary.c_str(), path.c_str()) == 0)
            return path;
        if (errno != EEXIST)
            return systemError(path, errno, "keep the recovery copy");
    }
}

} // namespace

std::string fileNameSafe(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string safe;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') || byte == '-') {
            safe += c;
        } else {
            safe += '%';
            safe += kHex[byte >> 4];
            safe += kHex[byte & 0xF];
        }
    }
    return safe;
}

std::string recoveryFolderOf(const std::string& programFolder, const std::string& logOnName) {
    return programFolder + "recovery/" + fileNameSafe(logOnName.empty() ? "user" : logOnName) + "/";
}

std::string legacyRecoveryPath(const std::string& programFolder, const std::string& logOnName) {
    return programFolder + "recovery/" + (logOnName.empty() ? "user" : logOnName) + ".fil";
}

Result<std::string> writeNewRecovery(const std::string& folder, const OrderRecord& pulled) {
    const std::filesystem::path parent = std::filesystem::path(folder).parent_path();
    for (const std::string& each : {parent.parent_path().string(), parent.string()})
        if (Status made = makeFolder(each); !made)
            return made.error();
    std::string temporary = folder + ".writing-XXXXXX";
    FileHandle fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return systemError(folder, errno, "create the recovery copy");
    Status written = writeAllAndSync(fd.get(), pulled.encode(), temporary);
    if (written && ::close(fd.release()) != 0)
        written = systemError(temporary, errno, "write the recovery copy");
    Result<std::string> kept =
        written ? linkUnderFreeName(temporary,
                                    folder + fileNameSafe(pulled.text(OrderField::FileNumber)))
                : Result<std::string>(written.error());
    ::unlink(temporary.c_str());
    if (!kept)
        return kept;
    for (const std::string& each : {folder, parent.parent_path().string() + "/"})
        if (Status synced = syncFolder(each); !synced)
            return synced.error();
    return kept;
}

Result<std::vector<std::string>> recoveryCopies(const std::string& programFolder,
                                                const std::string& logOnName) {
    std::vector<std::string> copies;
    if (const std::string legacy = legacyRecoveryPath(programFolder, logOnName); fileExists(legacy))
        copies.push_back(legacy);
    const std::string folder = recoveryFolderOf(programFolder, logOnName);
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) {
        if (error == std::errc::no_such_file_or_directory)
            return copies;
        return systemError(folder, error.value(), "list the recovery copies");
    }
    std::vector<std::string> named;
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with('.') && name.ends_with(kCopyExtension) &&
            entry.is_regular_file(error))
            named.push_back(folder + name);
    }
    std::sort(named.begin(), named.end());
    copies.insert(copies.end(), named.begin(), named.end());
    return copies;
}

Status removeRecovery(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error)
        return systemError(path, error.value(), "remove the recovery copy");
    return okStatus();
}

Result<std::optional<OrderRecord>> readRecovery(const std::string& path) {
    auto bytes = readWholeFile(path);
    if (!bytes) {
        if (bytes.error().kind == ErrorKind::FileNotFound ||
            bytes.error().kind == ErrorKind::PathNotFound)
            return std::optional<OrderRecord>();
        return bytes.error();
    }
    auto table = parseOrderTable(OrderFile::Pending, std::move(*bytes), path);
    if (!table)
        return table.error();
    if (table->size() == 0)
        return std::optional<OrderRecord>();
    return std::optional<OrderRecord>(table->record(0));
}

} // namespace qm
