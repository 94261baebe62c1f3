// quillmark-statement-bench: one statement of 500 orders over a generated folder of 100k
// completed and 1M archived orders, beside a plain read of Completed.fil and Archives.fil in the
// same run. Timed: the whole command after the prompt (document written, orders checked and moved
// under the lock, files synced), and its two halves alone. Between runs, untimed, the folder is
// put back as it was.
//
// Own flags, besides Google Benchmark's: --keep_data keeps the generated folder and prints where
// it is; --data_dir=DIR generates into DIR.

#include "app_context.h"
#include "bench_folder.h"
#include "clock.h"
#include "completed_view.h"
#include "dialogs.h"
#include "docx_writer.h"
#include "generator.h"
#include "invoice_command.h"
#include "launcher.h"
#include "plain_read.h"
#include "statement_archive.h"
#include "statement_layout.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>
#include <string>
#include <unistd.h>

namespace {

constexpr size_t kCompleted = 100'000;
constexpr size_t kArchived = 1'000'000;
constexpr size_t kBilled = 500;
const QString kNumber = QStringLiteral("bench-1");

class QuietLauncher final : public qm::ProgramLauncher {
  public:
    bool startDetached(const QString&, const QStringList&, const QString&, QString*) override {
        return true;
    }
    bool runAndWait(const QString&, const QStringList&, const QString&, QString*) override {
        return true;
    }
    bool openDocument(const QString&, QString*) override { return true; }
};

struct Desk {
    std::string folder;
    std::string pristineCompleted; // a copy of Completed.fil as generated
    std::uintmax_t archivesSize = 0;
    qm::InvoiceRequest request;
    qm::SystemClock clock;
    qm::ScriptedDialogs dialogs;
    QuietLauncher launcher;
    qm::AppContext context;

    std::string statementPath() const {
        return folder + qm::kStatementsFolder + "/" + qm::statementFileName(kNumber).toStdString();
    }
    // The folder as generated: the billed orders back in Completed.fil, the archive's end cut.
    bool restore() {
        std::error_code error;
        std::filesystem::copy_file(pristineCompleted, folder + "Completed.fil",
                                   std::filesystem::copy_options::overwrite_existing, error);
        std::error_code absent; // no statement yet, or not even its folder
        std::filesystem::remove(statementPath(), absent);
        const bool back = !error && ::truncate((folder + "Archives.fil").c_str(),
                                               static_cast<off_t>(archivesSize)) == 0;
        // Writing the copy back is not the statement's work: its own syncs would wait for it.
        ::sync();
        return back;
    }
};

// The key with the most orders, and its first 500 rows in list order.
bool prepare(Desk& desk) {
    desk.context.settings.dataFolder = desk.folder;
    desk.context.settings.company = {"Bench Abstracts",     "1 Main St",      "",
                                     "Agawam, MA 01001",    "(413) 555-0100", "",
                                     "office@bench.example"};
    desk.context.clock = &desk.clock;
    desk.context.dialogs = &desk.dialogs;
    desk.context.launcher = &desk.launcher;
    desk.pristineCompleted = desk.folder + "Completed.pristine";
    std::error_code error;
    std::filesystem::copy_file(desk.folder + "Completed.fil", desk.pristineCompleted,
                               std::filesystem::copy_options::overwrite_existing, error);
    desk.archivesSize = std::filesystem::file_size(desk.folder + "Archives.fil", error);
    auto table = qm::readOrderFile(desk.folder, qm::OrderFile::Completed);
    if (error || !table)
        return false;
    auto rows = qm::buildCompletedRows(*table);
    if (!rows)
        return false;
    std::map<QString, size_t> counts;
    for (const qm::CompletedRow& row : *rows)
        ++counts[row.billingKey];
    const auto busiest = std::max_element(counts.begin(), counts.end(),
                                          [](auto& a, auto& b) { return a.second < b.second; });
    if (busiest == counts.end() || busiest->second < kBilled)
        return false;
    const QDate today = desk.clock.today();
    desk.request.billingKey = busiest->first;
    desk.request.cutoff = today;
    for (size_t i : qm::rowsForKey(*rows, busiest->first, today, today)) {
        if (desk.request.shown.size() == kBilled)
            break;
        desk.request.shown.push_back((*rows)[i]);
    }
    return desk.request.shown.size() == kBilled;
}

void plainRead(benchmark::State& state, std::string path) {
    size_t bytes = 0;
    for (auto _ : state)
        bytes = qm::bench::plainRead(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void wholeStatement(benchmark::State& state, Desk* desk) {
    for (auto _ : state) {
        state.PauseTiming();
        if (!desk->restore()) {
            state.SkipWithError("the folder cannot be put back");
            return;
        }
        desk->dialogs.queueText(kNumber);
        state.ResumeTiming();
        if (!qm::generateInvoice(desk->context, nullptr, desk->request)) {
            state.SkipWithError("no statement");
            return;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kBilled));
}

qm::StatementModel modelOf(const Desk& desk) {
    std::vector<size_t> all(desk.request.shown.size());
    std::iota(all.begin(), all.end(), size_t{0});
    return qm::statementModelOf(desk.context.settings.company, desk.request.billTo, kNumber,
                                desk.request.cutoff, desk.request.shown, all);
}

void documentOnly(benchmark::State& state, Desk* desk) {
    auto folder = qm::statementsFolderOf(desk->folder);
    for (auto _ : state) {
        auto staged =
            qm::docx::stageDocument(qm::statementDocument(modelOf(*desk)), desk->statementPath());
        if (!folder || !staged) {
            state.SkipWithError("no document");
            return;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kBilled));
}

void archiveOnly(benchmark::State& state, Desk* desk) {
    const qm::StatementArchive archive{desk->folder, desk->request.billingKey, desk->request.shown,
                                       kNumber.toStdString(), qm::DateTime{2026, 1, 1, 0, 0, 0}};
    if (!qm::statementsFolderOf(desk->folder)) {
        state.SkipWithError("no folder for statements");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto staged =
            qm::docx::stageDocument(qm::statementDocument(modelOf(*desk)), desk->statementPath());
        if (!desk->restore() || !staged) {
            state.SkipWithError("the folder cannot be put back");
            return;
        }
        state.ResumeTiming();
        auto moved = qm::archiveStatement(archive, *staged, true);
        if (!moved || moved->outcome != qm::ArchiveOutcome::Archived) {
            state.SkipWithError("nothing archived");
            return;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kBilled));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qm::bench::BenchFolder data(argc, argv, kArchived, "statement");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    if (data.root().empty())
        return 1;
    Desk desk;
    desk.folder = data.root() + "statement/";
    qm::GeneratorOptions options;
    options.pending = 50;
    options.completed = kCompleted;
    options.archived = kArchived;
    options.seed = 2024;
    options.today = qm::currentDate();
    // A folder kept by an earlier run (--data_dir) was put back as generated at its end.
    const bool kept = std::filesystem::exists(desk.folder + "Completed.pristine");
    if (const qm::Status s = kept ? qm::okStatus() : qm::generateDataFolder(desk.folder, options);
        !s) {
        std::fprintf(stderr, "quillmark-statement-bench: %s\n", s.error().describe().c_str());
        return 1;
    }
    if (!prepare(desk)) {
        std::fprintf(stderr, "quillmark-statement-bench: no customer with %zu orders\n", kBilled);
        return 1;
    }
    auto add = [](const std::string& name, auto... args) {
        return benchmark::RegisterBenchmark(name.c_str(), args...)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    };
    add("PlainRead/Completed/100000", plainRead, desk.folder + "Completed.fil");
    add("PlainRead/Archives/1000000", plainRead, desk.folder + "Archives.fil");
    add("Statement/500/Whole", wholeStatement, &desk);
    add("Statement/500/DocumentOnly", documentOnly, &desk);
    add("Statement/500/ArchiveMoveOnly", archiveOnly, &desk);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    desk.restore();
    return 0;
}
