// quillmark-save-bench: one SAVE (the lock, the duplicate scan over the three order files, the
// append) against 1k, 100k and 1M archived orders, beside a plain read of the same three files.
//
// Own flags, besides Google Benchmark's: --max_orders=N leaves out the larger sizes,
// --data_dir=DIR generates into DIR and keeps it, reusing what a previous run left there.

#include "bench_folder.h"
#include "files.h"
#include "generator.h"
#include "order.h"
#include "order_store.h"
#include "plain_read.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using qm::bench::plainRead;

constexpr size_t kSizes[] = {1'000, 100'000, 1'000'000};
constexpr size_t kPending = 200;
constexpr size_t kCompleted = 500;

std::string folderFor(const std::string& root, size_t archived) {
    return root + "save-" + std::to_string(archived) + "/";
}

void readThreeFiles(benchmark::State& state, std::string folder) {
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (qm::OrderFile file : qm::kAllOrderFiles)
            bytes += plainRead(folder + qm::orderFileName(file));
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void saveOneOrder(benchmark::State& state, std::string folder) {
    const std::string pending = folder + qm::orderFileName(qm::OrderFile::Pending);
    auto original = qm::readWholeFile(pending);
    if (!original) {
        state.SkipWithError("no Pending.fil");
        return;
    }
    qm::SaveRequest request;
    request.draft.address1 = "7 OAK AVE";
    request.draft.town = "BOSTON";
    request.draft.searchType = "R.Full";
    request.draft.typeListFee = 150;
    request.draft.dueDate = {2026, 12, 11};
    request.draft.note = "call first";
    request.now = {2026, 12, 8, 9, 30, 0};
    request.logOnName = "bench user";
    for (auto _ : state) {
        auto saved = qm::saveOrder(folder, request);
        if (!saved || saved->duplicate) {
            state.SkipWithError("the save failed");
            return;
        }
        state.PauseTiming();
        (void)qm::writeWholeFile(pending, *original); // every save sees the same folder
        state.ResumeTiming();
    }
}

} // namespace

int main(int argc, char** argv) {
    qm::bench::BenchFolder data(argc, argv, kSizes[std::size(kSizes) - 1], "save-bench");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv) || data.root().empty())
        return 1;
    const std::string& root = data.root();
    for (size_t n : kSizes) {
        if (!data.wanted(n))
            break;
        const std::string folder = folderFor(root, n);
        if (!qm::bench::generateOnce(folder, {kPending, kCompleted, n, 11, {2026, 12, 8}},
                                     "quillmark-save-bench"))
            return 1;
        const std::string suffix = "/" + std::to_string(n);
        benchmark::RegisterBenchmark(("PlainRead/ThreeFiles" + suffix).c_str(),
                                     [=](benchmark::State& s) { readThreeFiles(s, folder); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Save/DuplicateScanAndAppend" + suffix).c_str(),
                                     [=](benchmark::State& s) { saveOneOrder(s, folder); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
