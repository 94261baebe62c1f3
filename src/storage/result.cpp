#include "result.h"

#include <cstring>
#include <sys/stat.h>

namespace qm {

std::string Error::describe() const {
    std::string out = file;
    if (record > 0)
        out += (out.empty() ? "" : ", ") + std::string("record ") + std::to_string(record);
    if (!out.empty())
        out += ": ";
    out += message;
    return out;
}

Error systemError(const std::string& path, int err, const std::string& what) {
    ErrorKind kind = ErrorKind::Io;
    if (err == ENOENT) {
        // The refresh treats a missing folder differently from a missing file.
        const auto slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        struct stat st {};
        const bool folderExists = ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        kind = folderExists ? ErrorKind::FileNotFound : ErrorKind::PathNotFound;
    } else if (err == ENOTDIR) {
        kind = ErrorKind::PathNotFound;
    }
    return Error{kind, path, 0, what + ": " + std::strerror(err), err};
}

} // namespace qm
