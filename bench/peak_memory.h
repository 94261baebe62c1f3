#pragma once
// Peak memory of one piece of work, measured in a forked child so that nothing else of the
// benchmark process counts.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm::bench {

inline long statusKiB(const char* key) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, keyLength) == 0) {
            value = std::strtol(line + keyLength, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return value;
}

// Bytes the work added to the resident set at its highest; -1 when it could not be measured.
inline long long childPeakBytes(const std::function<bool()>& work) {
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        ::close(fds[0]);
        // Heap the parent freed but kept would be reused without adding to the resident set.
        ::malloc_trim(0);
        // Start the high-water mark at the present size (Linux 4.0 and later).
        if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", f);
            std::fclose(f);
        }
        long result[2] = {statusKiB("VmRSS:"), statusKiB("VmHWM:")};
        const bool ok = work();
        const long peak = statusKiB("VmHWM:");
        // A mark that could not be reset, and that the work did not pass, tells nothing.
        result[1] = ok && peak > result[1] ? peak - result[0] : -1;
        if (::write(fds[1], result, sizeof result) != static_cast<ssize_t>(sizeof result))
            ::_exit(1);
        ::_exit(0);
    }
    ::close(fds[1]);
    long result[2] = {0, -1};
    const bool got = ::read(fds[0], result, sizeof result) == static_cast<ssize_t>(sizeof result);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || result[1] < 0)
        return -1;
    return static_cast<long long>(result[1]) * 1024;
}

} // namespace qm::bench
