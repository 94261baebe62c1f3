// quillmark-archive-bench: the archives browser over generated folders of 100k and 1M archived
// orders, beside a plain read of Archives.fil in the same run: opening the window, the first and
// the next keystroke of search text, a customer choice and the choice of one order, and the
// memory the open window holds. The window lives on the offscreen platform; every measured step
// includes the layout and painting that the event loop does after it.
//
// Own flags, besides Google Benchmark's: --max_orders=N leaves out the larger size,
// --keep_data keeps the generated folders and prints where they are.

#include "app_context.h"
#include "archive_browser.h"
#include "archive_model.h"
#include "bench_folder.h"
#include "dialogs.h"
#include "generator.h"
#include "plain_read.h"

#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kSizes[] = {100'000, 1'000'000};

struct Window {
    explicit Window(const std::string& folder) {
        context.settings.dataFolder = folder;
        context.dialogs = &dialogs;
        browser = std::make_unique<qm::ArchiveBrowser>(context);
    }
    bool open() {
        if (!browser->load())
            return false;
        browser->show();
        QApplication::processEvents();
        return true;
    }
    void close() {
        browser->reject();
        QApplication::processEvents();
    }
    // A key press as the keyboard delivers it to the list.
    void key(Qt::Key key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(browser->List2, &press);
        QApplication::processEvents();
    }
    int rows() { return browser->model().rowCount(); }

    qm::ScriptedDialogs dialogs;
    qm::AppContext context;
    std::unique_ptr<qm::ArchiveBrowser> browser;
};

void plainRead(benchmark::State& state, std::string path) {
    size_t bytes = 0;
    for (auto _ : state)
        bytes = qm::bench::plainRead(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void openWindow(benchmark::State& state, std::string folder, size_t orders) {
    Window window(folder);
    for (auto _ : state) {
        if (!window.open() || static_cast<size_t>(window.rows()) != orders) {
            state.SkipWithError("the archive does not open");
            return;
        }
        state.PauseTiming();
        window.close();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * orders));
}

// "S" typed into the whole list, or "U" after it ("SU"); Backspace between, untimed.
void keystroke(benchmark::State& state, std::string folder, size_t orders, bool next) {
    Window window(folder);
    if (!window.open()) {
        state.SkipWithError("the archive does not open");
        return;
    }
    if (next)
        window.key(Qt::Key_S, "s");
    int shown = 0;
    for (auto _ : state) {
        window.key(next ? Qt::Key_U : Qt::Key_S, next ? "u" : "s");
        shown = window.rows();
        state.PauseTiming();
        window.key(Qt::Key_Backspace, "\b");
        state.ResumeTiming();
    }
    state.counters["shown"] = shown;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * orders));
}

// A customer in the middle of the list and the placeholder again, in turn: each is one choice.
void customerChoice(benchmark::State& state, std::string folder, size_t orders) {
    Window window(folder);
    if (!window.open()) {
        state.SkipWithError("the archive does not open");
        return;
    }
    QComboBox* customers = window.browser->Combo1;
    const int middle = customers->count() / 2;
    int index = 0;
    for (auto _ : state) {
        index = index == 0 ? middle : 0;
        customers->setCurrentIndex(index);
        QApplication::processEvents();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * orders));
}

// Two orders far apart chosen in turn: each choice reads the order and shows its story.
void rowSelection(benchmark::State& state, std::string folder, size_t orders) {
    Window window(folder);
    if (!window.open()) {
        state.SkipWithError("the archive does not open");
        return;
    }
    QItemSelectionModel* selection = window.browser->List2->selectionModel();
    const int rows[] = {window.rows() / 3, window.rows() * 2 / 3};
    int turn = 0;
    for (auto _ : state) {
        selection->select(window.browser->model().index(rows[turn ^= 1]),
                          QItemSelectionModel::ClearAndSelect);
        QApplication::processEvents();
        if (window.browser->detailsText().isEmpty()) {
            state.SkipWithError("no story shown");
            return;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    (void)orders;
}

// kB of one field of /proc/self/smaps_rollup.
long long rollupKiB(const char* key) {
    FILE* f = std::fopen("/proc/self/smaps_rollup", "r");
    if (!f)
        return -1;
    char line[256];
    long long value = -1;
    const size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, keyLength) == 0) {
            value = std::strtoll(line + keyLength, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return value;
}

std::vector<std::string> memoryLines;

// What opening adds: private memory (pages of this process alone: the lines, keys, places and
// the list's filter results) and the resident set as a whole (which also counts the pages of
// the mapped file still in place).
void memoryAfterOpening(benchmark::State& state, std::string folder, size_t orders) {
    const auto fileBytes = static_cast<double>(std::filesystem::file_size(folder + "Archives.fil"));
    double privateBytes = 0, residentBytes = 0;
    for (auto _ : state) {
        Window window(folder);
        ::malloc_trim(0);
        const long long privateBefore = rollupKiB("Private_Clean:") + rollupKiB("Private_Dirty:");
        const long long residentBefore = rollupKiB("Rss:");
        if (!window.open()) {
            state.SkipWithError("the archive does not open");
            return;
        }
        privateBytes = static_cast<double>(rollupKiB("Private_Clean:") +
                                           rollupKiB("Private_Dirty:") - privateBefore) *
                       1024;
        residentBytes = static_cast<double>(rollupKiB("Rss:") - residentBefore) * 1024;
        window.close();
    }
    state.counters["file_MB"] = fileBytes / 1e6;
    state.counters["private_MB"] = privateBytes / 1e6;
    state.counters["rss_MB"] = residentBytes / 1e6;
    char line[200];
    std::snprintf(line, sizeof line,
                  "%zu archived orders: private memory after opening %.1f MB, resident %.1f MB, "
                  "Archives.fil %.1f MB (private / file = %.2f)",
                  orders, privateBytes / 1e6, residentBytes / 1e6, fileBytes / 1e6,
                  privateBytes / fileBytes);
    memoryLines.push_back(line);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qm::bench::BenchFolder data(argc, argv, kSizes[std::size(kSizes) - 1], "archive");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    if (data.root().empty())
        return 1;
    const std::string& root = data.root();
    for (size_t n : kSizes) {
        if (!data.wanted(n))
            continue;
        const std::string folder = root + "archived-" + std::to_string(n) + "/";
        if (!qm::bench::generateOnce(folder, {50, 50, n, 2024, {2025, 6, 2}},
                                     "quillmark-archive-bench"))
            return 1;
        const std::string size = std::to_string(n);
        auto add = [](const std::string& name, auto... args) {
            return benchmark::RegisterBenchmark(name.c_str(), args...)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        };
        add("MemoryAfterOpening/" + size, memoryAfterOpening, folder, n)->Iterations(1);
        add("PlainRead/" + size, plainRead, folder + "Archives.fil");
        add("Open/" + size, openWindow, folder, n);
        add("FirstKeystroke/" + size, keystroke, folder, n, false);
        add("NextKeystroke/" + size, keystroke, folder, n, true);
        add("CustomerChoice/" + size, customerChoice, folder, n);
        add("RowSelection/" + size, rowSelection, folder, n);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const std::string& line : memoryLines)
        std::printf("%s\n", line.c_str());
    return 0;
}
