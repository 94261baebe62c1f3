#include "directory_files.h"

#include "record.h"

#include <cerrno>
#include <cstdio>

namespace qm {

namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

Result<std::vector<std::string>> readLinesOf(const std::string& path) {
    auto bytes = readWholeFile(path);
    if (!bytes)
        return bytes.error();
    return splitLines(*bytes);
}

// Copies the file through its ".new" file with each line equal to `match` replaced by
// `replacement`, or left out when there is none.
Status rewriteMatchingLines(const DataLock& lock, DirectoryKind kind, std::string_view match,
                            const std::string* replacement) {
    const std::string path = lock.dataFolder() + directoryFileName(kind);
    auto lines = readLinesOf(path);
    if (!lines)
        return lines.error();
    std::vector<std::string> kept;
    kept.reserve(lines->size());
    for (std::string& l : *lines) {
        if (l != match)
            kept.push_back(std::move(l));
        else if (replacement)
            kept.push_back(*replacement);
    }
    return rewriteFile(lock, path, joinLines(kept));
}

bool isRefusedRateName(std::string_view name) {
    return name.empty() || name == "." || name == ".." ||
           name.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos;
}

} // namespace

const char* directoryKindName(DirectoryKind kind) {
    switch (kind) {
    case DirectoryKind::Companies:
        return "Companies";
    case DirectoryKind::Attorneys:
        return "Attorneys";
    case DirectoryKind::Searchers:
        return "Searchers";
    }
    return "";
}

std::string directoryFileName(DirectoryKind kind) {
    return std::string(directoryKindName(kind)) + ".lst";
}

std::vector<std::string> splitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(pos));
            break;
        }
        lines.emplace_back(bytes.substr(pos, end - pos));
        pos =
            end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

DirectoryFields splitDirectoryLine(std::string_view line) {
    DirectoryFields fields;
    std::string_view rest = line;
    for (size_t i = 0; i < kDirectoryFieldCount - 1; ++i) {
        const size_t underscore = rest.find('_');
        if (underscore == std::string_view::npos) {
            // Fewer separators than fields: what is left is this field; the rest stay empty.
            fields[i] = std::string(rest);
            rest = {};
            continue;
        }
        const std::string_view before = rest.substr(0, underscore);
        fields[i] = std::string(before.substr(0, before.empty() ? 0 : before.size() - 1));
        rest = rest.substr(underscore + 1);
        if (!rest.empty())
            rest.remove_prefix(1);
    }
    fields[kDirectoryFieldCount - 1] = std::string(rest);
    return fields;
}

size_t directorySeparatorCount(std::string_view line) {
    size_t count = 0;
    for (size_t pos = line.find(" _ "); pos != std::string_view::npos;
         pos = line.find(" _ ", pos + 2))
        ++count;
    if (line.ends_with(" _"))
        ++count; // a last empty field without its blank (hand edits)
    return count;
}

std::string joinDirectoryLine(const DirectoryFields& fields) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += " _ ";
        out += fields[i];
    }
    return out;
}

Result<std::vector<std::string>> readDirectoryFile(const DataLock& lock, DirectoryKind kind) {
    return readLinesOf(lock.dataFolder() + directoryFileName(kind));
}

Result<std::vector<std::string>> readDirectoryFileUnlocked(const std::string& dataFolder,
                                                           DirectoryKind kind) {
    return readLinesOf(dataFolder + directoryFileName(kind));
}

Status appendDirectoryEntry(const DataLock& lock, DirectoryKind kind, std::string_view line) {
    return appendToFile(lock, lock.dataFolder() + directoryFileName(kind),
                        std::string(line) + "\r\n", RecordLayout::Lines);
}

Status removeDirectoryEntry(const DataLock& lock, DirectoryKind kind, std::string_view line) {
    return rewriteMatchingLines(lock, kind, line, nullptr);
}

Status replaceAttorneyEntry(const DataLock& lock, std::string_view oldLine,
                            std::string_view newLine) {
    const std::string replacement(newLine);
    return rewriteMatchingLines(lock, DirectoryKind::Attorneys, oldLine, &replacement);
}

long ServiceEntry::wholeDollars() const {
    const auto value = parseNumber(trimBlanks(feeText));
    return value ? roundFeeToDollars(*value) : 0;
}

Result<std::vector<ServiceEntry>> parseServiceEntries(std::string_view bytes,
                                                      const std::string& path) {
    auto table = readRecords(bytes, 2, path);
    if (!table)
        return table.error();
    std::vector<ServiceEntry> out;
    out.reserve(table->size());
    for (size_t i = 0; i < table->size(); ++i)
        out.push_back({std::string(table->field(i, 0).text), std::string(table->field(i, 1).text)});
    return out;
}

std::string encodeServiceEntries(const std::vector<std::pair<std::string, double>>& codesAndFees) {
    std::string out;
    for (const auto& [code, fee] : codesAndFees) {
        const Field fields[] = {Field::ofText(std::string(trimBlanks(code))),
                                Field::ofText(formatFee(fee))};
        appendEncodedRecord(out, fields);
    }
    return out;
}

Result<std::vector<ServiceEntry>> readFeeSchedule(const std::string& dataFolder) {
    const std::string path = dataFolder + kServicesFileName;
    auto bytes = readWholeFile(path);
    if (!bytes)
        return bytes.error();
    return parseServiceEntries(*bytes, path);
}

Status writeFeeSchedule(const DataLock& lock,
                        const std::vector<std::pair<std::string, double>>& codesAndFees) {
    std::vector<std::pair<std::string, double>> kept;
    for (const auto& entry : codesAndFees) {
        if (!trimBlanks(entry.first).empty())
            kept.push_back(entry);
    }
    return rewriteFile(lock, lock.dataFolder() + kServicesFileName, encodeServiceEntries(kept));
}

Result<std::string> customRatePath(const std::string& dataFolder, std::string_view customer) {
    if (isRefusedRateName(customer))
        return Error{ErrorKind::BadName, dataFolder + kCustomRatesFolder, 0,
                     "the customer name \"" + std::string(customer) +
                         "\" cannot be used as a rate file name",
                     0};
    return dataFolder + kCustomRatesFolder + "/" + std::string(customer) + ".rte";
}

Result<std::vector<ServiceEntry>> readCustomRates(const std::string& dataFolder,
                                                  std::string_view customer) {
    auto path = customRatePath(dataFolder, customer);
    if (!path)
        return path.error();
    if (!fileExists(*path))
        return std::vector<ServiceEntry>{};
    auto bytes = readWholeFile(*path);
    if (!bytes)
        return bytes.error();
    return parseServiceEntries(*bytes, *path);
}

Status writeCustomRates(const std::string& dataFolder, std::string_view customer,
                        const std::vector<std::pair<std::string, double>>& codesAndFees) {
    auto path = customRatePath(dataFolder, customer);
    if (!path)
        return path.error();
    std::vector<std::pair<std::string, double>> kept;
    for (const auto& entry : codesAndFees) {
        if (entry.second != 0 && !trimBlanks(entry.first).empty())
            kept.push_back(entry);
    }
    if (kept.empty()) {
        if (::remove(path->c_str()) != 0 && errno != ENOENT)
            return systemError(*path, errno, "cannot delete the rate file");
        return okStatus();
    }
    return replaceFileContent(*path, encodeServiceEntries(kept));
}

std::optional<BillTo> findBillingOverrideIn(std::string_view bytes, std::string_view key) {
    std::optional<std::string> winner;
    for (std::string& line : splitLines(bytes)) {
        if (line.starts_with(key))
            winner = std::move(line);
    }
    if (!winner)
        return std::nullopt;
    std::string_view rest = *winner;
    const size_t first = rest.find('_');
    rest = first == std::string_view::npos ? std::string_view{} : rest.substr(first + 1);
    BillTo out;
    for (size_t i = 0; i < 3; ++i) {
        const size_t cut = rest.find('_');
        if (cut == std::string_view::npos) {
            out.lines[i] = std::string(rest);
            rest = {};
            continue;
        }
        out.lines[i] = std::string(rest.substr(0, cut));
        rest = rest.substr(cut + 1);
    }
    out.lines[3] = std::string(rest);
    return out;
}

Result<std::optional<BillTo>> findBillingOverride(const std::string& dataFolder,
                                                  std::string_view key) {
    const std::string path = dataFolder + kBillingFileName;
    auto bytes = readWholeFile(path);
    if (!bytes) {
        if (bytes.error().kind == ErrorKind::FileNotFound)
            return std::optional<BillTo>{};
        return bytes.error();
    }
    return findBillingOverrideIn(*bytes, key);
}

Status addBillingOverride(const std::string& dataFolder, std::string_view line) {
    const std::string path = dataFolder + kBillingFileName;
    auto bytes = readWholeFile(path);
    if (!bytes && bytes.error().kind != ErrorKind::FileNotFound)
        return bytes.error();
    const bool lastLineOpen = bytes && !bytes->empty() && !bytes->ends_with('\n');
    return appendWithoutLock(path, (lastLineOpen ? "\r\n" : "") + std::string(line) + "\r\n");
}

} // namespace qm
