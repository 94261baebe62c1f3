// quillmark-lock-bench: what waiting for the data lock costs. A child process holds the lock
// while this process waits for it: the processor time the waiter uses while the lock is held
// for one second, and the time from the holder's release to the waiter's acquisition. The
// lock's own wait (a few milliseconds of sleep between tries) is set beside a wait that retries
// at once, yielding the processor between tries, as the lock did before.
//
//   quillmark-lock-bench [--rounds=N]   N latency rounds per kind of wait (default 40)

#include "files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sched.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

double monotonicSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double cpuSeconds() {
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(r.ru_utime) + seconds(r.ru_stime);
}

// The wait as it was: retry at once, yielding between tries. Returns the lock file's descriptor.
int spinningAcquire(const std::string& folder) {
    const std::string path = folder + qm::kLockFileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    while (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
        if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
            ::close(fd);
            return -1;
        }
        sched_yield();
    }
    return fd;
}

struct Round {
    double waiterCpu = 0; // seconds
    double latency = 0;   // seconds from release to acquisition
};

// A child takes the lock, holds it for `hold`, notes the moment and lets go; this process
// waits for it with `wait`, which returns once it holds the lock and lets go itself.
bool measure(const std::string& folder, std::chrono::microseconds hold,
             const std::function<bool()>& wait, Round& round) {
    int held[2], released[2];
    if (::pipe(held) != 0 || ::pipe(released) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        auto lock = qm::DataLock::acquire(folder);
        if (!lock)
            ::_exit(1);
        char ready = 'h';
        if (::write(held[1], &ready, 1) != 1)
            ::_exit(1);
        std::this_thread::sleep_for(hold);
        const double at = monotonicSeconds();
        { auto let = std::move(lock).value(); } // released here
        if (::write(released[1], &at, sizeof at) != static_cast<ssize_t>(sizeof at))
            ::_exit(1);
        ::_exit(0);
    }
    ::close(held[1]);
    ::close(released[1]);
    char ready = 0;
    bool ok = ::read(held[0], &ready, 1) == 1;
    const double cpuBefore = cpuSeconds();
    ok = ok && wait();
    const double acquiredAt = monotonicSeconds();
    round.waiterCpu = cpuSeconds() - cpuBefore;
    double releasedAt = 0;
    ok = ok && ::read(released[0], &releasedAt, sizeof releasedAt) ==
                   static_cast<ssize_t>(sizeof releasedAt);
    round.latency = acquiredAt - releasedAt;
    ::close(held[0]);
    ::close(released[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 40;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rounds=", 9) == 0)
            rounds = std::max(1, std::atoi(argv[i] + 9));
    }
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/qm-lock-bench-" +
                               std::to_string(::getpid()) + "/";
    std::filesystem::create_directories(folder);

    struct Kind {
        const char* name;
        std::function<bool()> wait;
    };
    const Kind kinds[] = {
        {"sleeping between tries (DataLock::acquire)",
         [&] { return qm::DataLock::acquire(folder).ok(); }},
        {"retrying at once with sched_yield (before)",
         [&] {
             const int fd = spinningAcquire(folder);
             if (fd >= 0)
                 ::close(fd);
             return fd >= 0;
         }},
    };
    int failures = 0;
    std::printf("%-46s %14s %12s %12s %12s\n", "wait", "CPU / 1 s held", "latency p50",
                "latency p90", "latency max");
    for (const Kind& kind : kinds) {
        Round second;
        failures += measure(folder, 1s, kind.wait, second) ? 0 : 1;
        std::vector<double> latencies;
        unsigned seed = 7;
        for (int r = 0; r < rounds; ++r) {
            seed = seed * 1103515245u + 12345u;
            Round round;
            const auto hold = std::chrono::microseconds(20000 + (seed >> 8) % 60000);
            if (!measure(folder, hold, kind.wait, round)) {
                ++failures;
                continue;
            }
            latencies.push_back(round.latency);
        }
        if (latencies.empty())
            continue;
        std::printf("%-46s %11.1f ms %9.3f ms %9.3f ms %9.3f ms\n", kind.name,
                    second.waiterCpu * 1e3, percentile(latencies, 0.5) * 1e3,
                    percentile(latencies, 0.9) * 1e3, percentile(latencies, 1.0) * 1e3);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (failures)
        std::fprintf(stderr, "quillmark-lock-bench: %d rounds failed\n", failures);
    return failures ? 1 : 0;
}
