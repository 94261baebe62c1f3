// quillmark-close-bench: BILL, CLOSE of an unbilled order, and CLOSE of a billed order with its
// copy in Completed.fil or in Archives.fil, on one folder of 10k pending, 100k completed and 1M
// archived orders, beside the plain read and `cp` of the same files in the same run. Every
// iteration works on another order of its kind, so no file is restored between iterations.
// Time is wall time; CPU is this thread's processor time (kernel copies included); locked_ms
// runs from the call (the lock is its first step) to the last write made under the lock;
// PeakMemory/... runs one more command in a child process.
//
// Own flags, besides Google Benchmark's: --max_orders=N with N below 1M archives 100k orders
// instead, --data_dir=DIR generates into DIR and keeps it, --keep_data keeps the folder.

#include "bench_folder.h"
#include "close_order.h"
#include "files.h"
#include "generator.h"
#include "order.h"
#include "peak_memory.h"
#include "plain_read.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr size_t kPending = 10'000, kCompleted = 100'000;
const qm::DateTime kNow{2025, 6, 2, 15, 0, 0};
const qm::FeeTexts kFees{"150.00", "35.00", "12.50"};

// Orders of one kind, each used once.
struct Orders {
    std::vector<std::string> numbers;
    size_t next = 0;
    const std::string* take() { return next < numbers.size() ? &numbers[next++] : nullptr; }
};

enum class Command { Bill, CloseUnbilled, CloseCopyInCompleted, CloseCopyInArchives };

// Runs one command on the next order; false when its outcome is not the one of a sound folder.
bool runOnce(const std::string& folder, Command command, Orders& orders) {
    const std::string* number = orders.take();
    if (!number)
        return false;
    if (command == Command::Bill) {
        auto r = qm::billOrder(folder, *number, kFees, kNow, "bench user");
        return r && *r == qm::BillResult::Billed;
    }
    auto r = qm::closeOrder(folder, *number, kFees, kNow);
    const auto wanted = command == Command::CloseUnbilled ? qm::CloseResult::Closed
                                                          : qm::CloseResult::CopyFinalised;
    return r && *r == wanted;
}

void timeCommand(benchmark::State& state, std::string folder, Command command,
                 std::shared_ptr<Orders> orders) {
    Clock::time_point firstWrite, lastWrite;
    qm::setCloseStepHook([&](qm::CloseStep step) {
        (step == qm::CloseStep::CompletedWritten ? firstWrite : lastWrite) = Clock::now();
    });
    auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    double lockedMs = 0, completedMs = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!runOnce(folder, command, *orders)) {
            state.SkipWithError("the command failed or ran out of orders");
            break;
        }
        lockedMs += ms(lastWrite - start);
        completedMs += ms(firstWrite - start);
    }
    qm::setCloseStepHook(nullptr);
    state.counters["locked_ms"] = benchmark::Counter(lockedMs, benchmark::Counter::kAvgIterations);
    // Of which: finding the order and writing its completed record or copy, synced.
    state.counters["to_completed_ms"] =
        benchmark::Counter(completedMs, benchmark::Counter::kAvgIterations);
}

std::vector<std::string> peakLines;

void peakOfCommand(benchmark::State& state, std::string name, std::string folder, Command command,
                   std::shared_ptr<Orders> orders, std::string largestFile) {
    long long peak = -1;
    for (auto _ : state) {
        peak = qm::bench::childPeakBytes([&] { return runOnce(folder, command, *orders); });
        ++orders->next; // the child used it
    }
    if (peak < 0) {
        state.SkipWithError("peak memory could not be measured");
        return;
    }
    const auto fileBytes = static_cast<double>(fs::file_size(folder + largestFile));
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["peak_per_file"] = static_cast<double>(peak) / fileBytes;
    char line[200];
    std::snprintf(line, sizeof line, "%s: peak memory %.1f MB, %s %.1f MB (ratio %.3f)",
                  name.c_str(), static_cast<double>(peak) / 1e6, largestFile.c_str(),
                  fileBytes / 1e6, static_cast<double>(peak) / fileBytes);
    peakLines.push_back(line);
}

void plainRead(benchmark::State& state, std::string path) {
    size_t bytes = 0;
    for (auto _ : state)
        bytes = qm::bench::plainRead(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// `cp FILE` through the shell, optionally followed by `sync` of the copy (a rewrite syncs).
void cpCommand(benchmark::State& state, std::string path, std::string target, bool synced) {
    const std::string command = "cp -- '" + path + "' '" + target + "'" +
                                (synced ? " && sync -- '" + target + "'" : std::string());
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("cp failed");
            return;
        }
        state.PauseTiming();
        fs::remove(target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(path)));
}

// The pending orders by kind: unbilled ones split between BILL and CLOSE, billed ones by where
// their copy lives.
struct Kinds {
    std::shared_ptr<Orders> bill = std::make_shared<Orders>(),
                            closeUnbilled = std::make_shared<Orders>(),
                            copyInCompleted = std::make_shared<Orders>(),
                            copyInArchives = std::make_shared<Orders>();
};

std::optional<Kinds> sortOrders(const std::string& folder) {
    auto pending = qm::readOrderRecords(folder, qm::OrderFile::Pending);
    auto completedBytes = qm::readWholeFile(folder + "Completed.fil");
    if (!pending || !completedBytes)
        return std::nullopt;
    auto completedNumbers =
        qm::scanFileNumbers(*completedBytes, qm::OrderFile::Completed, "Completed.fil");
    if (!completedNumbers)
        return std::nullopt;
    const std::set<std::string> inCompleted(completedNumbers->begin(), completedNumbers->end());
    Kinds kinds;
    std::set<std::string> seen; // split orders share nothing, but a number is used once here
    for (const qm::OrderRecord& r : *pending) {
        const std::string& number = r.text(qm::OrderField::FileNumber);
        auto due = r.dueDate();
        if (!due || !seen.insert(number).second)
            continue;
        if (!due->billedInAdvance)
            (seen.size() % 2 ? kinds.bill : kinds.closeUnbilled)->numbers.push_back(number);
        else
            (inCompleted.count(number) ? kinds.copyInCompleted : kinds.copyInArchives)
                ->numbers.push_back(number);
    }
    return kinds;
}

} // namespace

int main(int argc, char** argv) {
    qm::bench::BenchFolder data(argc, argv, 1'000'000, "close-bench");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv) || data.root().empty())
        return 1;
    const size_t archived = data.wanted(1'000'000) ? 1'000'000 : 100'000;
    const std::string generated = data.root() + "close-" + std::to_string(archived) + "/";
    const std::string folder = data.root() + "work/";
    if (!qm::bench::generateOnce(generated, {kPending, kCompleted, archived, 2024, {2025, 6, 2}},
                                 "quillmark-close-bench"))
        return 1;
    // The commands change the folder: they work on a fresh copy of it.
    std::error_code error;
    fs::remove_all(folder, error);
    fs::copy(generated, folder, fs::copy_options::recursive, error);
    if (error) {
        std::fprintf(stderr, "quillmark-close-bench: %s\n", error.message().c_str());
        return 1;
    }
    auto kinds = sortOrders(folder);
    if (!kinds)
        return 1;
    std::fprintf(stderr,
                 "orders: %zu to bill, %zu to close, %zu billed in Completed.fil, %zu in "
                 "Archives.fil\n",
                 kinds->bill->numbers.size(), kinds->closeUnbilled->numbers.size(),
                 kinds->copyInCompleted->numbers.size(), kinds->copyInArchives->numbers.size());

    auto add = [](const std::string& name, auto... args) {
        return benchmark::RegisterBenchmark(name.c_str(), args...)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    };
    for (const char* file : {"Pending.fil", "Completed.fil", "Archives.fil"}) {
        add(std::string("PlainRead/") + file, plainRead, folder + file);
        add(std::string("Cp/") + file, cpCommand, folder + file, data.root() + "cp-target", false)
            ->Iterations(5);
        add(std::string("CpSync/") + file, cpCommand, folder + file, data.root() + "cp-target",
            true)
            ->Iterations(5);
    }
    const struct {
        const char* name;
        Command command;
        std::shared_ptr<Orders> orders;
        int iterations;
        const char* largestFile; // the largest file the command reads or rewrites
    } commands[] = {
        {"Bill", Command::Bill, kinds->bill, 20, "Completed.fil"},
        {"CloseUnbilled", Command::CloseUnbilled, kinds->closeUnbilled, 20, "Completed.fil"},
        {"CloseBilled/CopyInCompleted", Command::CloseCopyInCompleted, kinds->copyInCompleted, 20,
         "Completed.fil"},
        {"CloseBilled/CopyInArchives", Command::CloseCopyInArchives, kinds->copyInArchives, 5,
         "Archives.fil"},
    };
    for (const auto& c : commands) {
        add(c.name, timeCommand, folder, c.command, c.orders)->Iterations(c.iterations);
        add(std::string("PeakMemory/") + c.name, peakOfCommand, std::string(c.name), folder,
            c.command, c.orders, std::string(c.largestFile))
            ->Iterations(1);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const std::string& line : peakLines)
        std::printf("%s\n", line.c_str());
    fs::remove_all(folder, error);
    return 0;
}
