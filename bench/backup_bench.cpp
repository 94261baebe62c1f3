// quillmark-backup-bench: the nightly backup of data folders with 100k and 1M archived orders,
// taken in slices as the window takes it, beside `cp -a` of the same folder. Reports the longest
// slice: the longest the window waits for the backup to give the event loop back.
//
// Own flags, besides Google Benchmark's: --max_orders=N leaves out the larger sizes,
// --data_dir=DIR generates into DIR and keeps it, reusing what a previous run left there.

#include "backup.h"
#include "bench_folder.h"
#include "files.h"
#include "generator.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr size_t kSizes[] = {100'000, 1'000'000};
constexpr std::chrono::milliseconds kSliceBudget{20}; // as the window's slices

bool run(std::vector<std::string> argv) {
    std::vector<char*> args;
    for (std::string& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return false;
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What the backup adds to cp's work: every file and folder of the copy synced to disk.
bool syncTree(const std::string& root) {
    bool ok = true;
    const auto syncOne = [&](const fs::path& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        ok = ok && fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
    };
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (!entry.is_symlink())
            syncOne(entry.path());
    syncOne(root);
    return ok;
}

// Processor time (user + system) of the finished child processes so far.
double childrenCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void copyWithCp(benchmark::State& state, std::string program, bool thenSync) {
    const std::string target = program + "cp-copy";
    const double childrenBefore = childrenCpuMs();
    for (auto _ : state) {
        if (!run({"cp", "-a", program + "data", target}) || (thenSync && !syncTree(target))) {
            state.SkipWithError("cp -a failed");
            return;
        }
        state.PauseTiming();
        fs::remove_all(target);
        ::sync();
        state.ResumeTiming();
    }
    // cp's own time, which the CPU column (this process's) leaves out.
    state.counters["cp_cpu_ms"] =
        benchmark::Counter(childrenCpuMs() - childrenBefore, benchmark::Counter::kAvgIterations);
}

// replacing: an old backup is there, and its removal is part of the work, as every night.
void backupInSlices(benchmark::State& state, std::string program, bool replacing) {
    double longest = 0;
    size_t slices = 0;
    for (auto _ : state) {
        // A day passes between two backups: what the last one freed is settled untimed.
        state.PauseTiming();
        if (!replacing)
            fs::remove_all(program + qm::kBackupFolderName);
        ::sync();
        state.ResumeTiming();
        qm::BackupJob job(program, program + "data/");
        for (bool done = false; !done; ++slices) {
            const auto began = std::chrono::steady_clock::now();
            done = job.step(kSliceBudget);
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - began;
            longest = std::max(longest, took.count());
        }
        if (!job.outcome()) {
            state.SkipWithError(job.outcome().error().describe().c_str());
            return;
        }
    }
    state.counters["longest_slice_ms"] = longest;
    state.counters["slices"] =
        benchmark::Counter(static_cast<double>(slices), benchmark::Counter::kAvgIterations);
}

} // namespace

int main(int argc, char** argv) {
    qm::bench::BenchFolder data(argc, argv, kSizes[std::size(kSizes) - 1], "backup-bench");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv) || data.root().empty())
        return 1;
    const std::string& root = data.root();
    for (size_t n : kSizes) {
        if (!data.wanted(n))
            break;
        const std::string program = root + "backup-" + std::to_string(n) + "/";
        if (!qm::bench::generateOnce(program + "data/", {200, 500, n, 11, {2026, 12, 8}},
                                     "quillmark-backup-bench"))
            return 1;
        (void)qm::writeWholeFile(program + "config.txt", "\"Bench Title\"\r\n");
        const std::string suffix = "/" + std::to_string(n);
        benchmark::RegisterBenchmark(("CpA/DataFolder" + suffix).c_str(), [=](benchmark::State& s) {
            copyWithCp(s, program, false);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("CpA/ThenSynced" + suffix).c_str(), [=](benchmark::State& s) {
            copyWithCp(s, program, true);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Backup/Fresh" + suffix).c_str(), [=](benchmark::State& s) {
            backupInSlices(s, program, false);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Backup/ReplacingOld" + suffix).c_str(),
                                     [=](benchmark::State& s) { backupInSlices(s, program, true); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
