#include "statement_archive.h"

#include "data_file.h"
#include "data_lock.h"
#include "disk_text.h"
#include "order.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

// Everything the list showed of an order: a record that differs in any of it was closed,
// corrected or replaced after the click, and the statement would not describe it.
bool showsAsBefore(const CompletedRow& now, const CompletedRow& shown) {
    return now.fileNumber == shown.fileNumber && now.billingKey == shown.billingKey &&
           now.completedAt == shown.completedAt && now.billedInAdvance == shown.billedInAdvance &&
           now.searchType == shown.searchType && now.muniSearch == shown.muniSearch &&
           now.address == shown.address && now.baseFee == shown.baseFee &&
           now.muniFee == shown.muniFee && now.copyCosts == shown.copyCosts;
}

// The records that are the shown rows, one each, in file order; nothing when a row has none.
Result<std::optional<std::vector<size_t>>> matchShownRows(const OrderTable& completed,
                                                          const StatementArchive& request) {
    std::map<std::string_view, std::vector<size_t>> candidates;
    for (const CompletedRow& row : request.shown)
        candidates.try_emplace(row.fileNumber);
    for (size_t i = 0; i < completed.size(); ++i) {
        const auto found = candidates.find(completed.field(i, OrderField::FileNumber).text);
        if (found != candidates.end())
            found->second.push_back(i);
    }
    std::vector<size_t> matched;
    for (const CompletedRow& row : request.shown) {
        if (row.billingKey != request.billingKey)
            return std::optional<std::vector<size_t>>();
        std::vector<size_t>& open = candidates[row.fileNumber];
        auto match = open.end();
        for (auto it = open.begin(); it != open.end() && match == open.end(); ++it) {
            auto now = completedRowOf(completed, *it);
            if (!now)
                return now.error();
            if (showsAsBefore(*now, row))
                match = it;
        }
        if (match == open.end())
            return std::optional<std::vector<size_t>>();
        matched.push_back(*match);
        open.erase(match); // one record for one row
    }
    std::sort(matched.begin(), matched.end());
    return std::optional<std::vector<size_t>>(std::move(matched));
}

// The first moved order that Pending.fil still holds without the billed mark; a missing file
// holds none.
Result<std::optional<std::string>> unfinishedInQueue(const std::string& dataFolder,
                                                     const OrderTable& completed,
                                                     const std::vector<size_t>& moved) {
    const std::string path = dataFolder + orderFileName(OrderFile::Pending);
    auto bytes = readWholeFile(path);
    if (!bytes && bytes.error().kind == ErrorKind::FileNotFound)
        return std::optional<std::string>();
    if (!bytes)
        return bytes.error();
    auto pending = parseOrderTable(OrderFile::Pending, std::move(*bytes), path);
    if (!pending)
        return pending.error();
    std::map<std::string_view, bool> unmarked; // number -> a record of it lacks the mark
    for (size_t i = 0; i < pending->size(); ++i) {
        const auto due = parseDueDate(pending->field(i, OrderField::DueDate));
        if (!due || !due->billedInAdvance)
            unmarked[pending->field(i, OrderField::FileNumber).text] = true;
    }
    for (size_t i : moved) {
        const std::string_view number = completed.field(i, OrderField::FileNumber).text;
        if (unmarked.contains(number))
            return std::optional<std::string>(std::string(number));
    }
    return std::optional<std::string>();
}

std::string_view withoutLineEnd(std::string_view raw) {
    if (raw.ends_with('\n'))
        raw.remove_suffix(1);
    if (raw.ends_with('\r'))
        raw.remove_suffix(1);
    return raw;
}

// The archived records: each completed record's own bytes with the two fields added.
std::string archiveRecords(const OrderTable& completed, const std::vector<size_t>& moved,
                           const StatementArchive& request) {
    const Field stamp[] = {Field::ofText(request.statementNumber),
                           Field::ofText(formatStatementDate(request.statementDate))};
    const std::string added = "," + encodeRecord(stamp);
    std::string out;
    for (size_t i : moved) {
        out += withoutLineEnd(completed.records().rawRecord(i));
        out += added;
    }
    return out;
}

// Completed.fil's bytes without the moved records, as ranges of the file read.
Status writeKept(int fd, const std::string& path, const OrderTable& completed,
                 const std::vector<size_t>& moved) {
    const std::string_view bytes = completed.bytes();
    const RecordTable& records = completed.records();
    auto startOf = [&](size_t i) {
        return static_cast<size_t>(records.rawRecord(i).data() - bytes.data());
    };
    // Blanks after the last record are left out, as every rewrite leaves them out.
    const size_t end = completed.size() == 0 ? 0
                                             : startOf(completed.size() - 1) +
                                                   records.rawRecord(completed.size() - 1).size();
    size_t at = 0;
    auto keep = [&](size_t to) -> Status {
        if (to > at && !writeAll(fd, bytes.substr(at, to - at)))
            return systemError(path, errno, "cannot write the file");
        return okStatus();
    };
    for (size_t i : moved) {
        if (Status kept = keep(startOf(i)); !kept)
            return kept;
        at = startOf(i) + records.rawRecord(i).size();
    }
    return keep(end);
}

// A file's size and identity before it is changed; no file gives nothing.
Result<std::optional<struct stat>> statusOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0)
        return std::optional<struct stat>(st);
    if (errno == ENOENT)
        return std::optional<struct stat>();
    return systemError(path, errno, "cannot look at the file");
}

// Takes back an append whose partners failed: the file cut to its old size, or removed when
// the append created it.
void undoAppend(const std::string& path, const std::optional<struct stat>& before) {
    if (!before) {
        ::unlink(path.c_str());
        return;
    }
    auto fd = openPlainFile(path, O_WRONLY, 0, "cannot open the file");
    if (fd && ::ftruncate(fd->get(), before->st_size) == 0)
        ::fsync(fd->get());
}

} // namespace

Result<std::string> statementsFolderOf(const std::string& dataFolder) {
    const std::string folder = dataFolder + kStatementsFolder + "/";
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        return systemError(folder, errno, "cannot create the folder");
    if (!folderExists(folder))
        return Error{ErrorKind::Io, folder, 0, "is not a folder", ENOTDIR};
    return folder;
}

Result<ArchiveResult> archiveStatement(const StatementArchive& request, StagedFile& document,
                                       bool replaceDocument) {
    const std::string completedPath = request.dataFolder + orderFileName(OrderFile::Completed);
    const std::string archivesPath = request.dataFolder + orderFileName(OrderFile::Archives);
    auto lock = DataLock::acquire(request.dataFolder);
    if (!lock)
        return lock.error();
    auto bytes = readWholeFile(completedPath);
    if (!bytes && bytes.error().kind != ErrorKind::FileNotFound)
        return bytes.error();
    auto completed = parseOrderTable(OrderFile::Completed,
                                     bytes ? std::move(*bytes) : std::string(), completedPath);
    if (!completed)
        return completed.error();
    auto matched = matchShownRows(*completed, request);
    if (!matched)
        return matched.error();
    if (!*matched || !bytes) {
        document.discard();
        return ArchiveResult{ArchiveOutcome::ListChanged, {}};
    }
    const std::vector<size_t>& moved = **matched;
    auto unfinished = unfinishedInQueue(request.dataFolder, *completed, moved);
    if (!unfinished)
        return unfinished.error();
    if (*unfinished) {
        document.discard();
        return ArchiveResult{ArchiveOutcome::UnfinishedInQueue, **unfinished};
    }
    const std::string archived = archiveRecords(*completed, moved, request);
    auto archivesBefore = statusOf(archivesPath);
    if (!archivesBefore)
        return archivesBefore.error();

    bool appended = false;
    ino_t replacement = 0;
    Status done = rewriteFileThrough(*lock, completedPath, [&](int fd) -> Status {
        const std::string newPath = temporaryPathFor(completedPath);
        if (Status kept = writeKept(fd, newPath, *completed, moved); !kept)
            return kept;
        struct stat st {};
        if (::fsync(fd) != 0 || ::fstat(fd, &st) != 0)
            return systemError(newPath, errno, "cannot sync the file");
        replacement = st.st_ino;
        if (Status added = appendToFile(*lock, archivesPath, archived); !added)
            return added;
        appended = true;
        return replaceDocument ? document.commit() : document.commitWithoutReplacing();
    });
    if (done)
        return ArchiveResult{};
    // Only the folder's sync can fail once Completed.fil is the new file: the move stands.
    struct stat now {};
    if (replacement != 0 && ::lstat(completedPath.c_str(), &now) == 0 && now.st_ino == replacement)
        return ArchiveResult{};
    if (appended)
        undoAppend(archivesPath, *archivesBefore);
    if (document.committed())
        ::unlink(document.finalPath().c_str());
    document.discard();
    return done.error();
}

} // namespace qm
