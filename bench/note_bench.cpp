// quillmark-note-bench: posting one note to an order in the middle of 10k pending orders (the
// lock, the look-up by number, the splice of Pending.fil), beside a plain read of Pending.fil.
// Counters: lock_held_ms, the part of each post spent holding the lock; peak_MB, the memory one
// post adds at its highest, beside file_MB, the size of Pending.fil.
//
// Own flags, besides Google Benchmark's: --max_orders=N leaves out the larger sizes,
// --data_dir=DIR generates into DIR and keeps it, reusing what a previous run left there.

#include "bench_folder.h"
#include "data_lock.h"
#include "files.h"
#include "generator.h"
#include "message_log.h"
#include "order.h"
#include "peak_memory.h"
#include "plain_read.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using qm::bench::plainRead;
using Clock = std::chrono::steady_clock;

constexpr size_t kSizes[] = {1'000, 10'000};

const std::string kEntry = "\r\n12/08 09:30  called the town clerk, records on Tuesday [BU]";

std::string middleNumber(const std::string& folder) {
    auto table = qm::readOrderFile(folder, qm::OrderFile::Pending);
    if (!table || table->size() == 0)
        return {};
    return std::string(table->field(table->size() / 2, qm::OrderField::FileNumber).text);
}

void readPending(benchmark::State& state, std::string folder) {
    const std::string path = folder + qm::orderFileName(qm::OrderFile::Pending);
    size_t bytes = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(bytes = plainRead(path));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void postNote(benchmark::State& state, std::string folder, std::string number) {
    const std::string pending = folder + qm::orderFileName(qm::OrderFile::Pending);
    auto original = qm::readWholeFile(pending);
    if (!original || number.empty()) {
        state.SkipWithError("no Pending.fil");
        return;
    }
    double heldSeconds = 0;
    for (auto _ : state) {
        Clock::time_point held;
        qm::Result<qm::PostResult> posted = qm::Error{};
        {
            auto lock = qm::DataLock::acquire(folder);
            if (!lock) {
                state.SkipWithError("the lock could not be taken");
                return;
            }
            held = Clock::now();
            posted = qm::postLogEntryLocked(*lock, number, qm::OrderField::NotesLog, kEntry);
        } // the lock is released here
        heldSeconds += std::chrono::duration<double>(Clock::now() - held).count();
        if (!posted || *posted != qm::PostResult::Posted) {
            state.SkipWithError("the note was not posted");
            return;
        }
        state.PauseTiming();
        (void)qm::writeWholeFile(pending, *original); // every post sees the same folder
        state.ResumeTiming();
    }
    state.counters["lock_held_ms"] =
        benchmark::Counter(heldSeconds * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["file_MB"] = static_cast<double>(original->size()) / 1e6;
    const long long peak = qm::bench::childPeakBytes([&] {
        auto posted = qm::postLogEntry(folder, number, qm::OrderField::NotesLog, kEntry);
        return posted && *posted == qm::PostResult::Posted;
    });
    (void)qm::writeWholeFile(pending, *original);
    state.counters["peak_MB"] = peak < 0 ? -1.0 : static_cast<double>(peak) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qm::bench::BenchFolder data(argc, argv, kSizes[std::size(kSizes) - 1], "note-bench");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv) || data.root().empty())
        return 1;
    const std::string& root = data.root();
    for (size_t n : kSizes) {
        if (!data.wanted(n))
            break;
        const std::string folder = root + "note-" + std::to_string(n) + "/";
        if (!qm::bench::generateOnce(folder, {n, 100, 100, 11, {2026, 12, 8}},
                                     "quillmark-note-bench"))
            return 1;
        const std::string number = middleNumber(folder);
        const std::string suffix = "/" + std::to_string(n);
        benchmark::RegisterBenchmark(("PlainRead/Pending" + suffix).c_str(),
                                     [=](benchmark::State& s) { readPending(s, folder); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("PostNote/Pending" + suffix).c_str(),
                                     [=](benchmark::State& s) { postNote(s, folder, number); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
