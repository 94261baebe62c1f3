#include "package.h"

#include <cerrno>
#include <cstring>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace upm {

namespace {

constexpr mode_t kDefaultFileMode = 0644;
constexpr mode_t kDefaultFolderMode = 0755;

std::string quoted(const std::string& raw) {
    std::string text;
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            static const char hex[] = "0123456789abcdef";
            text += "\\x";
            text += hex[byte >> 4];
            text += hex[byte & 15];
        } else {
            text += c;
        }
    }
    return "\"" + text + "\"";
}

std::string archiveError(zip_error_t* error) {
    return zip_error_strerror(error);
}

} // namespace

std::string refusedName(const std::string& raw, std::string& path, bool& directory) {
    if (raw.empty())
        return "an entry without a name";
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return "a control character in the name";
        if (c == '\\')
            return "a backslash in the name";
    }
    if (raw.front() == '/')
        return "an absolute name";
    if (raw.size() >= 2 && raw[1] == ':' &&
        ((raw[0] >= 'A' && raw[0] <= 'Z') || (raw[0] >= 'a' && raw[0] <= 'z')))
        return "a drive letter in the name";
    directory = raw.back() == '/';
    path = directory ? raw.substr(0, raw.size() - 1) : raw;
    std::size_t start = 0;
    for (;;) {
        const auto slash = path.find('/', start);
        const std::string segment = path.substr(start, slash - start);
        if (segment == "..")
            return "\"..\" in the name";
        if (segment.empty() || segment == ".")
            return "an empty or \".\" part in the name";
        if (start == 0 && segment.rfind(kWorkPrefix, 0) == 0)
            return "a name reserved for the upgrade's own files";
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return {};
}

Package::~Package() {
    if (zip_ != nullptr)
        zip_discard(zip_);
}

bool Package::open(const std::string& path, std::string& why) {
    int code = 0;
    zip_ = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (zip_ == nullptr) {
        if (code == ZIP_ER_EXISTS) {
            why = "an entry is named twice";
            return false;
        }
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        why = "not a sound zip archive: " + archiveError(&error);
        zip_error_fini(&error);
        return false;
    }
    return true;
}

bool Package::inspect(const PackageLimits& limits, std::string& why) {
    entries_.clear();
    const zip_int64_t count = zip_get_num_entries(zip_, 0);
    if (count < 0 || count > limits.maxEntries) {
        why = "more than " + std::to_string(limits.maxEntries) + " entries";
        return false;
    }
    std::set<std::string> files;
    std::set<std::string> folders;
    std::int64_t total = 0;
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        const char* name = zip_get_name(zip_, i, ZIP_FL_ENC_RAW);
        const std::string raw = name != nullptr ? name : "";
        const auto refuse = [&](const std::string& reason) {
            why = "entry " + quoted(raw) + ": " + reason;
            return false;
        };
        PackageEntry entry;
        entry.index = i;
        if (std::string reason = refusedName(raw, entry.path, entry.directory); !reason.empty())
            return refuse(reason);
        zip_stat_t stat;
        if (zip_stat_index(zip_, i, ZIP_FL_UNCHANGED, &stat) != 0)
            return refuse(archiveError(zip_get_error(zip_)));
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            return refuse("encrypted");
        if (!(stat.valid & ZIP_STAT_SIZE))
            return refuse("no size");
        if (stat.size > static_cast<zip_uint64_t>(limits.maxEntryBytes))
            return refuse("larger than " + std::to_string(limits.maxEntryBytes) + " bytes");
        entry.size = static_cast<std::int64_t>(stat.size);
        total += entry.size;
        if (total > limits.maxTotalBytes) {
            why = "more than " + std::to_string(limits.maxTotalBytes) + " bytes in all";
            return false;
        }
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(zip_, i, ZIP_FL_UNCHANGED, &system, &attributes) != 0)
            return refuse(archiveError(zip_get_error(zip_)));
        entry.mode = entry.directory ? kDefaultFolderMode : kDefaultFileMode;
        if (system == ZIP_OPSYS_UNIX && (attributes >> 16) != 0) {
            const auto mode = static_cast<mode_t>(attributes >> 16);
            const mode_t kind = mode & S_IFMT;
            if (kind == S_IFLNK)
                return refuse("a symbolic link");
            if (kind != 0 && kind != S_IFREG && kind != S_IFDIR)
                return refuse("a device, pipe or socket");
            if ((kind == S_IFDIR) != entry.directory && kind != 0)
                return refuse("a folder named like a file, or the reverse");
            if (mode & (S_ISUID | S_ISGID))
                return refuse("set-user or set-group id");
            entry.mode = mode & 0777;
            entry.modeGiven = true;
        }
        if (entry.directory && entry.size != 0)
            return refuse("a folder with contents");
        auto& same = entry.directory ? folders : files;
        auto& other = entry.directory ? files : folders;
        if (!same.insert(entry.path).second || other.count(entry.path) != 0)
            return refuse("named twice");
        entries_.push_back(entry);
    }
    // A file may not stand where another entry needs a folder.
    for (const auto& entry : entries_) {
        for (auto slash = entry.path.find('/'); slash != std::string::npos;
             slash = entry.path.find('/', slash + 1)) {
            if (files.count(entry.path.substr(0, slash)) != 0) {
                why = "entry \"" + entry.path + "\" lies below the file \"" +
                      entry.path.substr(0, slash) + "\"";
                return false;
            }
        }
    }
    return true;
}

bool Package::extract(const PackageEntry& entry, int fd, std::string& why) const {
    zip_file_t* file = zip_fopen_index(zip_, entry.index, 0);
    if (file == nullptr) {
        why = entry.path + ": " + archiveError(zip_get_error(zip_));
        return false;
    }
    char buffer[64 * 1024];
    std::int64_t total = 0;
    bool ok = true;
    for (;;) {
        // Reading to the end is what checks the CRC.
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            why = entry.path + ": " + zip_file_strerror(file);
            ok = false;
            break;
        }
        if (n == 0)
            break;
        total += n;
        if (total > entry.size) {
            why = entry.path + ": more bytes than the archive says";
            ok = false;
            break;
        }
        for (zip_int64_t done = 0; done < n;) {
            const ssize_t w = ::write(fd, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                why = entry.path + ": " + std::strerror(errno);
                zip_fclose(file);
                return false;
            }
            done += w;
        }
    }
    zip_fclose(file);
    if (ok && total != entry.size) {
        why = entry.path + ": fewer bytes than the archive says";
        ok = false;
    }
    return ok;
}

} // namespace upm
