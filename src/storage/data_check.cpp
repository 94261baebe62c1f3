#include "data_check.h"

#include "directory_files.h"
#include "files.h"
#include "order.h"

#include <dirent.h>
#include <map>
#include <memory>
#include <optional>

namespace qm {

namespace {

constexpr const char* kCellCarriers[] = {"AT&T", "Sprint", "Verizon", "T-Mobile"};

// Fields whose writers always quote them; only the two logs hold line breaks.
bool isTextField(OrderField f) {
    switch (f) {
    case OrderField::EnteredAt:
    case OrderField::DueDate:
    case OrderField::BaseFee:
    case OrderField::MuniFee:
    case OrderField::CompletedAt:
    case OrderField::CopyCosts:
        return false;
    default:
        return true;
    }
}

// The kinds checked by the readers, and what only a misread record shows: a text field that is
// not quoted, or one-line text holding a line break.
std::vector<std::string> orderRecordProblems(const RecordTable& table) {
    std::vector<std::string> out;
    for (const FieldProblem& problem : checkOrderFields(table, 0))
        out.push_back(problem.message);
    for (size_t i = 0; i < table.fieldsPerRecord(); ++i) {
        const auto f = static_cast<OrderField>(i);
        if (!isTextField(f))
            continue;
        const FieldView view = table.field(0, i);
        if (view.kind != FieldKind::Text)
            out.push_back(std::string(orderFieldName(f)) + " is not quoted text");
        else if (f != OrderField::NotesLog && f != OrderField::MessagesLog &&
                 view.text.find_first_of("\r\n") != std::string_view::npos)
            out.push_back(std::string(orderFieldName(f)) + " holds a line break");
    }
    return out;
}

// Where one FileNumber was seen.
struct NumberUse {
    OrderFile file;
    long record;
    long line;
    bool billedInAdvance;
};

class FolderChecker {
  public:
    explicit FolderChecker(const std::string& dataFolder) : folder_(dataFolder) {}

    DataReport run() {
        if (!folderExists(folder_)) {
            add("", 0, "the data folder " + folder_ + " does not exist");
            return std::move(report_);
        }
        for (OrderFile file : kAllOrderFiles)
            checkOrderFile(file);
        checkNumbersUsedTwice();
        for (DirectoryKind kind :
             {DirectoryKind::Companies, DirectoryKind::Attorneys, DirectoryKind::Searchers})
            checkDirectoryFile(kind);
        checkScheduleFile(kServicesFileName, folder_ + kServicesFileName);
        checkCustomRates();
        checkBillingOverrides();
        checkLeftoverTemporaryFiles();
        return std::move(report_);
    }

  private:
    void add(std::string file, long record, std::string message) {
        add(std::move(file), record, 0, std::move(message));
    }
    void add(std::string file, long record, long line, std::string message) {
        report_.problems.push_back({std::move(file), record, line, std::move(message)});
    }

    // The file's bytes, or nothing after reporting why they could not be read.
    std::optional<std::string> readReported(const std::string& name, const std::string& path,
                                            bool required = true) {
        auto bytes = readWholeFile(path);
        if (bytes)
            return std::move(bytes).value();
        if (bytes.error().kind == ErrorKind::FileNotFound && !required)
            return std::nullopt;
        add(name, 0,
            bytes.error().kind == ErrorKind::FileNotFound ? "the file is missing"
                                                          : bytes.error().message);
        return std::nullopt;
    }

    void checkOrderFile(OrderFile file) {
        const std::string name = orderFileName(file);
        auto bytes = readReported(name, folder_ + name);
        if (!bytes)
            return;
        checkBytes(name, *bytes);
        const RecordScan scan = scanOrderFile(file, *bytes);
        reportUnreadable(name, *bytes, scan);
        countOrders(file, scan.records.size());
        // The records that read, read once more together: record i of the table is the scan's
        // record i.
        auto table = parseOrderTable(file, readableBytes(*bytes, scan), name);
        for (size_t i = 0; i < scan.records.size(); ++i) {
            const ScannedRecord& r = scan.records[i];
            for (const std::string& problem : r.problems)
                add(name, r.record, r.line, problem);
            if (!table || i >= table->size())
                continue;
            const std::string number(table->field(i, OrderField::FileNumber).text);
            if (number.empty())
                continue; // reported with the record's fields
            const auto due = parseDueDate(table->field(i, OrderField::DueDate));
            uses_[number].push_back({file, r.record, r.line, due && due->billedInAdvance});
        }
    }

    void reportUnreadable(const std::string& name, std::string_view bytes, const RecordScan& scan) {
        for (const UnreadableStretch& s : scan.unreadable) {
            const std::string size = std::to_string(s.end - s.begin) + " bytes";
            if (s.end == bytes.size())
                add(name, s.record, s.line,
                    "the file ends in a record that is not whole (" + s.fault + "): " + size +
                        " from this line on; quillmark-check --repair moves them to a side file");
            else
                add(name, s.record, s.line,
                    "the record does not read (" + s.fault + "); reading goes on at line " +
                        std::to_string(s.resumeLine) + ", " + size + " further");
        }
    }

    void checkBytes(const std::string& name, std::string_view bytes) {
        for (const ByteProblem& problem : checkTextBytes(bytes))
            add(name, 0, problem.line, problem.message);
    }

    void countOrders(OrderFile file, size_t count) {
        switch (file) {
        case OrderFile::Pending:
            report_.pendingOrders = count;
            break;
        case OrderFile::Completed:
            report_.completedOrders = count;
            break;
        case OrderFile::Archives:
            report_.archivedOrders = count;
            break;
        }
    }

    // An order billed in advance stands in Pending.fil and once more in Completed.fil or
    // Archives.fil, both copies marked "*"; any other second use is a fault.
    static bool isBilledInAdvancePair(const std::vector<NumberUse>& uses) {
        if (uses.size() != 2 || !uses[0].billedInAdvance || !uses[1].billedInAdvance)
            return false;
        const bool firstPending = uses[0].file == OrderFile::Pending;
        const bool secondPending = uses[1].file == OrderFile::Pending;
        return firstPending != secondPending;
    }

    // One pending record and one other: BILL or CLOSE stopped between writing the completed
    // record and rewriting Pending.fil. A billed copy beside an unmarked pending record is an
    // interrupted bill; a final record (no mark) beside a pending one is an interrupted close.
    bool reportedAsInterrupted(const std::string& number, const std::vector<NumberUse>& uses) {
        if (uses.size() != 2 ||
            (uses[0].file == OrderFile::Pending) == (uses[1].file == OrderFile::Pending))
            return false;
        const NumberUse& pending = uses[0].file == OrderFile::Pending ? uses[0] : uses[1];
        const NumberUse& other = uses[0].file == OrderFile::Pending ? uses[1] : uses[0];
        const std::string where =
            std::string(orderFileName(other.file)) + ", record " + std::to_string(other.record);
        if (other.billedInAdvance && !pending.billedInAdvance)
            add(orderFileName(pending.file), pending.record, pending.line,
                "FileNumber " + number + " has its billed copy in " + where +
                    " but is not marked as billed: an interrupted bill; BILL on it again only "
                    "marks it");
        else if (!other.billedInAdvance)
            add(orderFileName(pending.file), pending.record, pending.line,
                "FileNumber " + number + " is still pending though it was closed into " + where +
                    ": an interrupted close; CLOSE ORDER on it again only takes it out of " +
                    orderFileName(OrderFile::Pending));
        else
            return false;
        return true;
    }

    void checkNumbersUsedTwice() {
        for (const auto& [number, uses] : uses_) {
            if (uses.size() < 2 || isBilledInAdvancePair(uses) ||
                reportedAsInterrupted(number, uses))
                continue;
            const NumberUse& first = uses.front();
            for (size_t i = 1; i < uses.size(); ++i)
                add(orderFileName(uses[i].file), uses[i].record, uses[i].line,
                    "FileNumber " + number + " is used twice (first in " +
                        orderFileName(first.file) + ", record " + std::to_string(first.record) +
                        ")");
        }
    }

    void checkDirectoryFile(DirectoryKind kind) {
        const std::string name = directoryFileName(kind);
        auto bytes = readReported(name, folder_ + name);
        if (!bytes)
            return;
        checkBytes(name, *bytes);
        const std::vector<std::string> lines = splitLines(*bytes);
        for (size_t i = 0; i < lines.size(); ++i) {
            const long lineNumber = static_cast<long>(i + 1);
            const size_t fields = directorySeparatorCount(lines[i]) + 1;
            if (fields != kDirectoryFieldCount) {
                add(name, lineNumber,
                    "the line has " + std::to_string(fields) + " fields instead of 8");
                continue;
            }
            if (kind == DirectoryKind::Searchers)
                checkCarrier(name, lineNumber, splitDirectoryLine(lines[i])[6]);
        }
    }

    void checkCarrier(const std::string& name, long lineNumber, const std::string& carrier) {
        for (const char* known : kCellCarriers)
            if (carrier == known)
                return;
        add(name, lineNumber, "unknown cell carrier \"" + carrier + "\"");
    }

    void checkScheduleFile(const std::string& name, const std::string& path) {
        auto bytes = readReported(name, path);
        if (!bytes)
            return;
        checkBytes(name, *bytes);
        const RecordScan scan = scanRecords(*bytes, 2, [](const RecordTable& table) {
            std::vector<std::string> problems;
            if (table.field(0, 0).text.empty())
                problems.push_back("the service code is empty");
            if (const std::string_view fee = table.field(0, 1).text; !parseNumber(fee))
                problems.push_back("the fee \"" + std::string(fee) + "\" is not a number");
            return problems;
        });
        reportUnreadable(name, *bytes, scan);
        for (const ScannedRecord& r : scan.records)
            for (const std::string& problem : r.problems)
                add(name, r.record, r.line, problem);
    }

    void checkCustomRates() {
        const std::string folder = folder_ + kCustomRatesFolder;
        std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
        if (!dir) {
            add(kCustomRatesFolder, 0, "the folder is missing");
            return;
        }
        while (const dirent* entry = readdir(dir.get())) {
            const std::string fileName = entry->d_name;
            if (fileName.ends_with(".rte"))
                checkScheduleFile(std::string(kCustomRatesFolder) + "/" + fileName,
                                  folder + "/" + fileName);
        }
    }

    void checkBillingOverrides() {
        auto bytes = readReported(kBillingFileName, folder_ + kBillingFileName, false);
        if (!bytes)
            return;
        checkBytes(kBillingFileName, *bytes);
        const std::vector<std::string> lines = splitLines(*bytes);
        for (size_t i = 0; i < lines.size(); ++i) {
            size_t separators = 0;
            for (char c : lines[i])
                separators += c == '_';
            if (separators < 4)
                add(kBillingFileName, static_cast<long>(i + 1),
                    "the override has fewer than four bill-to lines");
        }
    }

    void checkLeftoverTemporaryFiles() {
        std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder_.c_str()), closedir);
        if (!dir)
            return;
        while (const dirent* entry = readdir(dir.get())) {
            const std::string fileName = entry->d_name;
            if (fileName.ends_with(".new"))
                add(fileName, 0, "a temporary file was left by an interrupted rewrite");
        }
    }

    std::string folder_;
    DataReport report_;
    std::map<std::string, std::vector<NumberUse>> uses_;
};

} // namespace

std::string DataProblem::describe() const {
    std::string out = file.empty() ? std::string("data folder") : file;
    const bool lineFile = file.ends_with(".lst") || file.ends_with(".adr");
    if (record > 0)
        out += (lineFile ? ", line " : ", record ") + std::to_string(record);
    if (line > 0 && !(lineFile && record > 0))
        out += ", line " + std::to_string(line);
    return out + ": " + message;
}

std::string DataReport::summary() const {
    return std::to_string(pendingOrders) + " pending, " + std::to_string(completedOrders) +
           " completed, " + std::to_string(archivedOrders) + " archived orders; " +
           std::to_string(problems.size()) + (problems.size() == 1 ? " problem" : " problems");
}

DataReport checkDataFolder(const std::string& dataFolder) {
    return FolderChecker(dataFolder).run();
}

RecordScan scanOrderFile(OrderFile file, std::string_view bytes) {
    return scanRecords(bytes, orderFieldCount(file), orderRecordProblems);
}

} // namespace qm
