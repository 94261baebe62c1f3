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

// Where one FileNumber was seen.
struct NumberUse {
    OrderFile file;
    long record;
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
        report_.problems.push_back({std::move(file), record, std::move(message)});
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
        auto table = parseOrderTable(file, std::move(*bytes), folder_ + name);
        if (!table) {
            add(name, table.error().record, table.error().message);
            return;
        }
        const size_t count = table->size();
        countOrders(file, count);
        for (size_t i = 0; i < count; ++i) {
            const long record = static_cast<long>(i + 1);
            for (const FieldProblem& problem : checkOrderFields(table->records(), i))
                add(name, record, problem.message);
            const std::string number(table->field(i, OrderField::FileNumber).text);
            if (number.empty()) {
                add(name, record, "the FileNumber is empty");
                continue;
            }
            const auto due = parseDueDate(table->field(i, OrderField::DueDate));
            uses_[number].push_back({file, record, due && due->billedInAdvance});
        }
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

    void checkNumbersUsedTwice() {
        for (const auto& [number, uses] : uses_) {
            if (uses.size() < 2 || isBilledInAdvancePair(uses))
                continue;
            const NumberUse& first = uses.front();
            for (size_t i = 1; i < uses.size(); ++i)
                add(orderFileName(uses[i].file), uses[i].record,
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
        auto entries = parseServiceEntries(*bytes, path);
        if (!entries) {
            add(name, entries.error().record, entries.error().message);
            return;
        }
        for (size_t i = 0; i < entries->size(); ++i) {
            const ServiceEntry& entry = (*entries)[i];
            const long record = static_cast<long>(i + 1);
            if (entry.code.empty())
                add(name, record, "the service code is empty");
            if (!parseNumber(entry.feeText))
                add(name, record, "the fee \"" + entry.feeText + "\" is not a number");
        }
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

} // namespace qm
