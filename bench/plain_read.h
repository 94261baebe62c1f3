#pragma once
// The plain read every benchmark is set beside.

#include <benchmark/benchmark.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace qm::bench {

// What cat does: read() into one reused buffer until the end. Returns the bytes read.
inline size_t plainRead(const std::string& path) {
    static std::vector<char> buffer(128 * 1024);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    size_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<size_t>(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buffer.data());
    return total;
}

} // namespace qm::bench
