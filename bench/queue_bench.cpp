// quillmark-queue-bench: the pending queue's rebuild from Pending.fil and one filter change, on
// generated folders of 1k, 10k and 100k pending orders, beside a plain read of the same file.
// The widget lives on the offscreen platform; every measured step includes the layout and
// painting that the event loop does after it.
//
// Own flags, besides Google Benchmark's: --max_orders=N leaves out the larger sizes,
// --keep_data keeps the generated folders and prints where they are.

#include "app_context.h"
#include "bench_folder.h"
#include "clock.h"
#include "dialogs.h"
#include "files.h"
#include "generator.h"
#include "pending_queue.h"
#include "queue_model.h"

#include <QApplication>
#include <QComboBox>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kSizes[] = {1'000, 10'000, 100'000};
const qm::DateTime kToday{2025, 6, 2, 0, 0, 0};

std::string folderFor(const std::string& root, size_t n) {
    return root + "pending-" + std::to_string(n) + "/";
}

// One queue screen over one data folder, shown on the offscreen platform.
struct Screen {
    explicit Screen(const std::string& folder) {
        context.settings.dataFolder = folder;
        context.clock = &clock;
        context.dialogs = &dialogs;
        queue = std::make_unique<qm::PendingQueue>(context);
        queue->resize(1100, 700);
        queue->show();
        QApplication::processEvents();
    }
    bool rebuild() {
        const bool ok = static_cast<bool>(queue->RebuildQueue());
        QApplication::processEvents();
        return ok;
    }

    qm::ManualClock clock{QDateTime(QDate(kToday.year, kToday.month, kToday.day), QTime(9, 0))};
    qm::ScriptedDialogs dialogs;
    qm::AppContext context;
    std::unique_ptr<qm::PendingQueue> queue;
};

void plainRead(benchmark::State& state, std::string path) {
    size_t bytes = 0;
    for (auto _ : state) {
        auto content = qm::readWholeFile(path);
        if (!content) {
            state.SkipWithError("the file does not read");
            return;
        }
        bytes = content->size();
        benchmark::DoNotOptimize(content->data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void rebuildQueue(benchmark::State& state, std::string folder, size_t orders, bool selected) {
    Screen screen(folder);
    if (!screen.rebuild() || screen.queue->model().allRows().size() != orders) {
        state.SkipWithError("the queue does not build");
        return;
    }
    // The user has an order in the middle of the queue selected: it is found and shown again.
    const QString number = screen.queue->model().shownCells(static_cast<int>(orders / 2))[2];
    for (auto _ : state) {
        if (selected)
            screen.context.selectedFileNumber = number;
        if (!screen.rebuild()) {
            state.SkipWithError("the queue does not build");
            return;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * orders));
}

// Choosing a town and choosing the placeholder again, in turn: each is one change.
void filterChange(benchmark::State& state, std::string folder, size_t orders) {
    Screen screen(folder);
    if (!screen.rebuild()) {
        state.SkipWithError("the queue does not build");
        return;
    }
    QComboBox* towns = screen.queue->cboFilter[qm::TownFilter];
    int index = 0;
    for (auto _ : state) {
        index = index == 0 ? 1 : 0;
        towns->setCurrentIndex(index); // runs ApplyQueueFilters
        QApplication::processEvents();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * orders));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qm::bench::BenchFolder data(argc, argv, kSizes[std::size(kSizes) - 1], "queue");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    if (data.root().empty())
        return 1;
    const std::string& root = data.root();
    for (size_t n : kSizes) {
        if (!data.wanted(n))
            continue;
        const std::string folder = folderFor(root, n);
        if (!qm::bench::generateOnce(folder, {n, 0, 0, 2024, kToday}, "quillmark-queue-bench"))
            return 1;
        const std::string size = std::to_string(n);
        auto add = [](const std::string& name, auto... args) {
            benchmark::RegisterBenchmark(name.c_str(), args...)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        };
        add("PlainRead/" + size, plainRead, folder + "Pending.fil");
        add("RebuildQueue/" + size, rebuildQueue, folder, n, false);
        add("RebuildQueueWithSelection/" + size, rebuildQueue, folder, n, true);
        add("FilterChange/" + size, filterChange, folder, n);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
