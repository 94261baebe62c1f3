// The upgrade package checker: bytes from the vendor's server (or whoever answers in its place)
// read as a zip archive.
//
// Input: the whole downloaded file. Invariants: no crash, and a package that passes the checks
// names only plain relative paths inside the program folder, each unpacking to its stated size.

#include "fuzz_support.h"
#include "package.h"

#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

bool staysInside(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.find('\\') != std::string::npos)
        return false;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        const std::string part =
            path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const int in = ::memfd_create("package", 0);
    const int out = ::memfd_create("entry", 0);
    FUZZ_CHECK(in >= 0 && out >= 0, "memfd_create");
    FUZZ_CHECK(::write(in, data, size) == static_cast<ssize_t>(size), "write the input");
    const std::string path = "/proc/self/fd/" + std::to_string(in);
    upm::Package package;
    std::string why;
    upm::PackageLimits limits;
    limits.maxEntryBytes = 1 << 20; // keep each run small
    limits.maxTotalBytes = 4 << 20;
    if (package.open(path, why) && package.inspect(limits, why)) {
        for (const upm::PackageEntry& entry : package.entries()) {
            FUZZ_CHECK(staysInside(entry.path), "an accepted entry leaves the folder");
            FUZZ_CHECK((entry.mode & 07000) == 0, "an accepted entry is setuid, setgid or sticky");
            if (entry.directory)
                continue;
            FUZZ_CHECK(::ftruncate(out, 0) == 0 && ::lseek(out, 0, SEEK_SET) == 0, "reset");
            if (package.extract(entry, out, why))
                FUZZ_CHECK(::lseek(out, 0, SEEK_END) == entry.size, "extracted size differs");
        }
    }
    ::close(in);
    ::close(out);
    return 0;
}
