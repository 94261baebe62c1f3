// quillmark-bench: throughput of the order-file readers and of a save's duplicate scan on
// generated folders of 1k, 100k and 1M orders, each beside a plain read of the same bytes, and
// the peak memory of reading the largest archive.
//
// Own flags, besides Google Benchmark's: --max_orders=N leaves out the larger sizes,
// --keep_data keeps the generated folders and prints where they are, --data_dir=DIR generates
// into DIR and keeps it, reusing the folders a previous run left there.

#include "files.h"
#include "generator.h"
#include "order.h"
#include "order_splice.h"
#include "peak_memory.h"
#include "plain_read.h"
#include "record.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <malloc.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using qm::bench::plainRead;

using qm::OrderFile;

constexpr size_t kSizes[] = {1'000, 100'000, 1'000'000};
// A busy office: this many open and unbilled orders beside the archive a save scans.
constexpr size_t kScanPending = 200;
constexpr size_t kScanCompleted = 500;

std::string ordersFolder(const std::string& root, size_t n) {
    return root + "orders-" + std::to_string(n) + "/";
}
std::string scanFolder(const std::string& root, size_t n) {
    return root + "scan-" + std::to_string(n) + "/";
}
std::string orderPath(const std::string& folder, OrderFile file) {
    return folder + qm::orderFileName(file);
}

const char* shortName(OrderFile file) {
    switch (file) {
    case OrderFile::Pending:
        return "Pending";
    case OrderFile::Completed:
        return "Completed";
    case OrderFile::Archives:
        return "Archives";
    }
    return "";
}

size_t fileSize(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<size_t>(size);
}

std::string readBytes(const std::string& path) {
    auto bytes = qm::readWholeFile(path);
    return bytes ? std::move(bytes).value() : std::string();
}

void setThroughput(benchmark::State& state, size_t bytes, size_t records) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records));
}

// ---- order files

void plainReadOf(benchmark::State& state, std::vector<std::string> paths, size_t records) {
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const std::string& p : paths)
            bytes += plainRead(p);
    }
    setThroughput(state, bytes, records);
}

void catCommand(benchmark::State& state, std::string path, size_t records) {
    const std::string command = "cat '" + path + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("cat failed");
            return;
        }
    }
    setThroughput(state, fileSize(path), records);
}

// The records of bytes already in memory, every field (what parseOrderTable does after the read).
void parseInMemory(benchmark::State& state, OrderFile file, std::string path, size_t records) {
    const std::string bytes = readBytes(path);
    for (auto _ : state) {
        auto table = qm::readRecords(bytes, qm::orderFieldCount(file), path);
        if (!table || table->size() != records) {
            state.SkipWithError("the file does not read");
            return;
        }
        benchmark::DoNotOptimize(table->size());
    }
    setThroughput(state, bytes.size(), records);
}

// From the file to the table, as the refresh gets it.
void readAndParse(benchmark::State& state, OrderFile file, std::string path, size_t records) {
    for (auto _ : state) {
        auto table = qm::parseOrderTable(file, readBytes(path), path);
        if (!table || table->size() != records) {
            state.SkipWithError("the file does not read");
            return;
        }
        benchmark::DoNotOptimize(table->size());
    }
    setThroughput(state, fileSize(path), records);
}

// The same with every field's kind checked (readOrderFile).
void readChecked(benchmark::State& state, OrderFile file, std::string folder, size_t records) {
    for (auto _ : state) {
        auto table = qm::readOrderFile(folder, file);
        if (!table || table->size() != records) {
            state.SkipWithError("the file does not read");
            return;
        }
        benchmark::DoNotOptimize(table->size());
    }
    setThroughput(state, fileSize(orderPath(folder, file)), records);
}

// ---- the duplicate scan of a save

void allFileNumbers(benchmark::State& state, std::string folder, size_t records) {
    size_t bytes = 0;
    for (OrderFile f : qm::kAllOrderFiles)
        bytes += fileSize(orderPath(folder, f));
    for (auto _ : state) {
        auto numbers = qm::allFileNumbers(folder);
        if (!numbers || numbers->size() != records) {
            state.SkipWithError("the folder does not scan");
            return;
        }
        benchmark::DoNotOptimize(numbers->data());
    }
    setThroughput(state, bytes, records);
}

void scanInMemory(benchmark::State& state, std::string path, size_t records) {
    const std::string bytes = readBytes(path);
    for (auto _ : state) {
        auto numbers = qm::scanFileNumbers(bytes, OrderFile::Archives, path);
        if (!numbers || numbers->size() != records) {
            state.SkipWithError("the file does not scan");
            return;
        }
        benchmark::DoNotOptimize(numbers->data());
    }
    setThroughput(state, bytes.size(), records);
}

// ---- changing one record of a large file under the lock

enum class RewriteKind { Records, SpliceTable, SpliceFound };

// The record in the middle of the file is written again unchanged, so the file stays the same
// from one iteration to the next. `number` is its FileNumber, by which a command finds it.
bool rewriteOneRecord(RewriteKind kind, const std::string& folder, OrderFile file,
                      const std::string& number) {
    auto lock = qm::DataLock::acquire(folder);
    if (!lock)
        return false;
    switch (kind) {
    case RewriteKind::Records: {
        auto records = qm::readOrderRecords(folder, file);
        if (!records || records->empty())
            return false;
        return qm::rewriteOrderFile(*lock, file, *records).ok();
    }
    case RewriteKind::SpliceTable: {
        auto table = qm::readOrderFile(folder, file);
        if (!table || table->size() == 0)
            return false;
        const size_t middle = table->size() / 2;
        return qm::spliceOrderFile(*lock, *table, {{{middle, table->record(middle)}}, {}}).ok();
    }
    case RewriteKind::SpliceFound: {
        auto found = qm::findOrders(*lock, file, number);
        if (!found || found->orders.empty())
            return false;
        const qm::FoundOrder& order = found->orders.front();
        return qm::spliceOrderFile(*lock, *found, {{{order.place.index, order.record}}, {}}).ok();
    }
    }
    return false;
}

std::string middleFileNumber(const std::string& path, OrderFile file) {
    auto numbers = qm::scanFileNumbers(readBytes(path), file, path);
    return numbers && !numbers->empty() ? (*numbers)[numbers->size() / 2] : std::string();
}

void rewriteOne(benchmark::State& state, RewriteKind kind, std::string folder, OrderFile file) {
    const std::string path = orderPath(folder, file);
    const std::string before = readBytes(path);
    const std::string number = middleFileNumber(path, file);
    for (auto _ : state) {
        if (!rewriteOneRecord(kind, folder, file, number)) {
            state.SkipWithError("the rewrite failed");
            return;
        }
    }
    if (readBytes(path) != before)
        state.SkipWithError("the file changed");
    setThroughput(state, before.size(), 1);
}

// ---- peak memory

using qm::bench::childPeakBytes;

std::vector<std::string> peakLines;

void peakMemory(benchmark::State& state, std::string what, std::vector<std::string> paths,
                std::function<bool()> work) {
    size_t bytes = 0;
    for (const std::string& p : paths)
        bytes += fileSize(p);
    long long peak = -1;
    for (auto _ : state)
        peak = childPeakBytes(work);
    if (peak < 0) {
        state.SkipWithError("peak memory could not be measured");
        return;
    }
    const double ratio = static_cast<double>(peak) / static_cast<double>(bytes);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["peak_per_file"] = ratio;
    char line[200];
    std::snprintf(line, sizeof line, "%s: peak memory / file size = %.2f (%.1f MB / %.1f MB)",
                  what.c_str(), ratio, static_cast<double>(peak) / 1e6,
                  static_cast<double>(bytes) / 1e6);
    peakLines.push_back(line);
}

// ---- set-up

bool generate(const std::string& folder, size_t pending, size_t completed, size_t archived,
              bool reuse) {
    // A stamp beside the folder tells that a previous run finished writing it.
    const std::string stamp = folder.substr(0, folder.size() - 1) + ".ready";
    if (reuse && qm::fileExists(stamp))
        return true;
    qm::GeneratorOptions options;
    options.pending = pending;
    options.completed = completed;
    options.archived = archived;
    options.seed = 2024;
    options.today = {2025, 6, 2, 0, 0, 0}; // fixed, so that sizes compare across runs
    const auto start = std::chrono::steady_clock::now();
    const qm::Status s = qm::generateDataFolder(folder, options);
    if (!s) {
        std::fprintf(stderr, "quillmark-bench: %s\n", s.error().describe().c_str());
        return false;
    }
    std::fprintf(stderr, "generated %s in %.1f s\n", folder.c_str(),
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return !reuse || qm::writeWholeFile(stamp, "");
}

void registerAll(const std::string& root, const std::vector<size_t>& sizes) {
    auto add = [](const std::string& name, auto fn) {
        benchmark::RegisterBenchmark(name.c_str(), fn)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    };
    for (OrderFile file : qm::kAllOrderFiles) {
        for (size_t n : sizes) {
            const std::string folder = ordersFolder(root, n);
            const std::string path = orderPath(folder, file);
            const std::string suffix = std::string("/") + shortName(file) + "/" + std::to_string(n);
            add("PlainRead" + suffix, [=](benchmark::State& s) { plainReadOf(s, {path}, n); });
            add("Parse" + suffix, [=](benchmark::State& s) { parseInMemory(s, file, path, n); });
            add("ReadAndParse" + suffix,
                [=](benchmark::State& s) { readAndParse(s, file, path, n); });
            add("ReadChecked" + suffix,
                [=](benchmark::State& s) { readChecked(s, file, folder, n); });
        }
    }
    for (size_t n : sizes) {
        const std::string folder = scanFolder(root, n);
        const size_t all = kScanPending + kScanCompleted + n;
        std::vector<std::string> paths;
        for (OrderFile f : qm::kAllOrderFiles)
            paths.push_back(orderPath(folder, f));
        const std::string archive = orderPath(folder, OrderFile::Archives);
        std::string suffix = "/"; // not "/" + ...: g++ 12 warns falsely (-Wrestrict)
        suffix += std::to_string(n);
        add("PlainRead/AllThree" + suffix,
            [=](benchmark::State& s) { plainReadOf(s, paths, all); });
        add("AllFileNumbers" + suffix,
            [=](benchmark::State& s) { allFileNumbers(s, folder, all); });
        add("PlainRead/ScanArchives" + suffix,
            [=](benchmark::State& s) { plainReadOf(s, {archive}, n); });
        add("ScanFileNumbers/Archives" + suffix,
            [=](benchmark::State& s) { scanInMemory(s, archive, n); });
    }

    const size_t largest = sizes.back();
    const std::string archive = orderPath(ordersFolder(root, largest), OrderFile::Archives);
    add("CatCommand/Archives/" + std::to_string(largest),
        [=](benchmark::State& s) { catCommand(s, archive, largest); });

    // Only the archives' folder: its Pending.fil and Completed.fil are as large.
    const struct {
        const char* name;
        RewriteKind kind;
    } rewrites[] = {{"Records", RewriteKind::Records},
                    {"SpliceTable", RewriteKind::SpliceTable},
                    {"SpliceFound", RewriteKind::SpliceFound}};
    for (size_t n : sizes) {
        for (const auto& r : rewrites) {
            const std::string folder = ordersFolder(root, n);
            const RewriteKind kind = r.kind;
            add(std::string("RewriteOne/") + r.name + "/Archives/" + std::to_string(n),
                [=](benchmark::State& s) { rewriteOne(s, kind, folder, OrderFile::Archives); });
        }
    }

    auto once = [](const std::string& name, auto fn) {
        benchmark::RegisterBenchmark(name.c_str(), fn)
            ->Iterations(1)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    };
    const std::string scan = scanFolder(root, largest);
    std::vector<std::string> scanPaths;
    for (OrderFile f : qm::kAllOrderFiles)
        scanPaths.push_back(orderPath(scan, f));
    once("PeakMemory/ReadAndParse/Archives/" + std::to_string(largest), [=](benchmark::State& s) {
        peakMemory(s, "read and parse of Archives.fil", {archive}, [=] {
            auto table = qm::parseOrderTable(OrderFile::Archives, readBytes(archive), archive);
            return table && table->size() == largest;
        });
    });
    for (const auto& r : rewrites) {
        const std::string folder = ordersFolder(root, largest);
        const RewriteKind kind = r.kind;
        once(std::string("PeakMemory/RewriteOne/") + r.name + "/Archives/" +
                 std::to_string(largest),
             [=](benchmark::State& s) {
                 const std::string number = middleFileNumber(archive, OrderFile::Archives);
                 peakMemory(
                     s, std::string("one record of Archives.fil changed, ") + r.name, {archive},
                     [=] { return rewriteOneRecord(kind, folder, OrderFile::Archives, number); });
             });
    }
    once("PeakMemory/AllFileNumbers/" + std::to_string(largest), [=](benchmark::State& s) {
        peakMemory(s, "duplicate scan of the three files", scanPaths, [=] {
            auto numbers = qm::allFileNumbers(scan);
            return numbers && numbers->size() == kScanPending + kScanCompleted + largest;
        });
    });
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    size_t maxOrders = kSizes[std::size(kSizes) - 1];
    bool keep = false;
    std::string dataDir;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--max_orders="))
            maxOrders = std::strtoull(argv[i] + std::strlen("--max_orders="), nullptr, 10);
        else if (arg == "--keep_data")
            keep = true;
        else if (arg.starts_with("--data_dir="))
            dataDir = std::string(arg.substr(std::strlen("--data_dir=")));
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    std::vector<size_t> sizes;
    for (size_t n : kSizes)
        if (n <= maxOrders)
            sizes.push_back(n);
    if (sizes.empty()) {
        std::fprintf(stderr, "quillmark-bench: --max_orders is below the smallest size\n");
        return 2;
    }

    const char* tmp = std::getenv("TMPDIR");
    const bool reuse = !dataDir.empty();
    keep = keep || reuse;
    const std::string root = reuse ? dataDir + "/"
                                   : std::string(tmp && *tmp ? tmp : "/tmp") + "/qm-bench-" +
                                         std::to_string(::getpid()) + "/";
    bool ready = true;
    for (size_t n : sizes) {
        ready = ready && generate(ordersFolder(root, n), n, n, n, reuse) &&
                generate(scanFolder(root, n), kScanPending, kScanCompleted, n, reuse);
    }
    if (ready) {
        registerAll(root, sizes);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        for (const std::string& line : peakLines)
            std::printf("%s\n", line.c_str());
    }
    if (keep) {
        std::fprintf(stderr, "data kept in %s\n", root.c_str());
    } else {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    return ready ? 0 : 1;
}
