// quillmark-completed-bench: the completed list's logic over generated folders of 10k and 100k
// completed orders, beside a plain read of Completed.fil in the same run: the rebuild the tab
// does on every change of the file (read and check the file, build the rows, the selector's
// keys, the shown rows in display order and their totals) and one keystroke of filter text
// (the matching rows in display order and their totals).
//
// Own flags, besides Google Benchmark's: --max_orders=N leaves out the larger size,
// --data_dir=DIR generates into DIR and keeps it, --keep_data keeps the temporary folder.

#include "bench_folder.h"
#include "completed_view.h"
#include "files.h"
#include "generator.h"
#include "plain_read.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr size_t kSizes[] = {10'000, 100'000};
const qm::DateTime kToday{2025, 6, 2, 0, 0, 0};
const QDate kTodayDate(kToday.year, kToday.month, kToday.day);

long minorFaults() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Fresh memory is what costs most on some virtual machines: the page faults of one iteration.
struct FaultCount {
    explicit FaultCount(benchmark::State& state) : state_(state), start_(minorFaults()) {}
    ~FaultCount() {
        state_.counters["faults"] = benchmark::Counter(static_cast<double>(minorFaults() - start_),
                                                       benchmark::Counter::kAvgIterations);
    }
    benchmark::State& state_;
    long start_;
};

void plainRead(benchmark::State& state, std::string path) {
    size_t bytes = 0;
    for (auto _ : state)
        bytes = qm::bench::plainRead(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

std::vector<qm::CompletedRow> readRows(const std::string& folder) {
    auto table = qm::readOrderFile(folder, qm::OrderFile::Completed);
    if (!table)
        return {};
    auto rows = qm::buildCompletedRows(*table);
    return rows ? std::move(rows).value() : std::vector<qm::CompletedRow>();
}

// Runs `step` once untimed, then timed. The first run of a process takes its memory fresh from
// the system; every later rebuild of the tab finds it in the allocator, as these iterations do.
// `step` returns false when it failed.
template <typename Step> void measure(benchmark::State& state, size_t orders, Step step) {
    if (!step()) {
        state.SkipWithError("the step fails");
        return;
    }
    FaultCount faults(state);
    for (auto _ : state) {
        if (!step()) {
            state.SkipWithError("the step fails");
            return;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * orders));
}

// Completed.fil read and every field's kind checked: the part of the rebuild that is storage's.
void readFile(benchmark::State& state, std::string folder, size_t orders) {
    measure(state, orders, [&] {
        auto table = qm::readOrderFile(folder, qm::OrderFile::Completed);
        benchmark::DoNotOptimize(table);
        return table && table->size() == orders;
    });
}

// The rows of an already read file: the part of the rebuild that is the list's own.
void buildRows(benchmark::State& state, std::string folder, size_t orders) {
    auto table = qm::readOrderFile(folder, qm::OrderFile::Completed);
    if (!table || table->size() != orders) {
        state.SkipWithError("Completed.fil does not read");
        return;
    }
    measure(state, orders, [&] {
        auto rows = qm::buildCompletedRows(*table);
        benchmark::DoNotOptimize(rows);
        return rows && rows->size() == orders;
    });
}

// The whole rebuild. `customerChosen`: a key in the middle of the selector is the choice kept
// from before the rebuild, else "< show all >".
void rebuild(benchmark::State& state, std::string folder, size_t orders, bool customerChosen,
             bool recycling) {
    QString key;
    if (customerChosen) {
        const QStringList keys = qm::billingKeysOf(readRows(folder));
        if (keys.isEmpty()) {
            state.SkipWithError("no billing keys");
            return;
        }
        key = keys[keys.size() / 2];
    }
    size_t shown = 0;
    // The tab keeps the rows it shows until the new ones replace them, or (recycling) hands
    // them to the new ones to reuse their memory.
    std::vector<qm::CompletedRow> previous;
    std::vector<size_t> previousShown;
    measure(state, orders, [&] {
        auto table = qm::readOrderFile(folder, qm::OrderFile::Completed);
        if (!table)
            return false;
        auto rows = recycling ? qm::buildCompletedRows(*table, std::move(previous))
                              : qm::buildCompletedRows(*table);
        if (!rows || rows->size() != orders)
            return false;
        const QStringList keys = qm::billingKeysOf(*rows);
        std::vector<size_t> rowsShown = qm::rowsForKey(*rows, key, kTodayDate, kTodayDate);
        const qm::CompletedTotals totals = qm::totalsOf(*rows, rowsShown);
        benchmark::DoNotOptimize(keys);
        benchmark::DoNotOptimize(totals);
        shown = rowsShown.size();
        previous = std::move(rows).value();
        previousShown = std::move(rowsShown);
        return true;
    });
    state.counters["shown"] = static_cast<double>(shown);
}

// The filter box holding `text` after one more character: matching rows, sorted, added up.
void keystroke(benchmark::State& state, std::string folder, size_t orders, QString text) {
    const std::vector<qm::CompletedRow> rows = readRows(folder);
    if (rows.size() != orders) {
        state.SkipWithError("the rows do not build");
        return;
    }
    size_t shown = 0;
    measure(state, orders, [&] {
        const std::vector<size_t> matching = qm::rowsMatching(rows, text);
        const qm::CompletedTotals totals = qm::totalsOf(rows, matching);
        benchmark::DoNotOptimize(totals);
        shown = matching.size();
        return true;
    });
    state.counters["shown"] = static_cast<double>(shown);
}

} // namespace

int main(int argc, char** argv) {
    qm::bench::BenchFolder data(argc, argv, kSizes[std::size(kSizes) - 1], "completed");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv) || data.root().empty())
        return 1;
    for (size_t n : kSizes) {
        if (!data.wanted(n))
            continue;
        const std::string folder = data.root() + "completed-" + std::to_string(n) + "/";
        if (!qm::bench::generateOnce(folder, {50, n, 0, 2024, kToday}, "quillmark-completed-bench"))
            return 1;
        const std::string size = "/" + std::to_string(n);
        auto add = [](const std::string& name, auto... args) {
            return benchmark::RegisterBenchmark(name.c_str(), args...)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        };
        add("PlainRead" + size, plainRead, folder + "Completed.fil");
        add("ReadChecked" + size, readFile, folder, n);
        add("BuildRows" + size, buildRows, folder, n);
        add("Rebuild/ShowAll" + size, rebuild, folder, n, false, false);
        add("Rebuild/Customer" + size, rebuild, folder, n, true, false);
        add("Rebuild/ShowAll/Recycling" + size, rebuild, folder, n, false, true);
        add("Rebuild/Customer/Recycling" + size, rebuild, folder, n, true, true);
        add("FirstKeystroke" + size, keystroke, folder, n, QStringLiteral("s"));
        add("NextKeystroke" + size, keystroke, folder, n, QStringLiteral("st"));
        add("Keystroke/Rare" + size, keystroke, folder, n, QStringLiteral("qm0"));
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
