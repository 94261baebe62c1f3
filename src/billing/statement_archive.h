#pragma once
// The locked step of a statement: the orders the statement lists are checked against
// Completed.fil as it is now, moved to Archives.fil with the statement number and date, and the
// statement document is put in place beside them. All of it happens, or none of it.

#include "completed_rows.h"
#include "result.h"
#include "staged_file.h"
#include "values.h"

#include <QString>
#include <string>
#include <vector>

namespace qm {

inline constexpr const char* kStatementsFolder = "Statements";

// dataFolder + "Statements/", created when missing.
Result<std::string> statementsFolderOf(const std::string& dataFolder);

struct StatementArchive {
    std::string dataFolder;
    QString billingKey;
    std::vector<CompletedRow> shown; // the rows the statement lists, as the list showed them
    std::string statementNumber;     // as typed, Windows-1252
    DateTime statementDate;
};

enum class ArchiveOutcome {
    Archived,
    // A shown order is gone from Completed.fil or no longer as shown: nothing was moved and the
    // document was not kept.
    ListChanged,
    // A shown order still stands in Pending.fil without the billed mark: a CLOSE ORDER or BILL
    // of it did not finish, and repeating that command after the order left Completed.fil would
    // write it there a second time. Nothing was moved and the document was not kept.
    UnfinishedInQueue,
};

struct ArchiveResult {
    ArchiveOutcome outcome = ArchiveOutcome::Archived;
    std::string fileNumber; // the order that stopped it, for UnfinishedInQueue
};

// The whole move under the lock. Every shown row must still stand in Completed.fil with its
// key, amounts and the rest of what the list showed; the records matched to them, and no
// others, leave Completed.fil and are appended to Archives.fil in one write. The order of the
// steps: Completed.new written and synced, the archive records appended and synced, then the
// document and Completed.fil moved into place. A failure on the way leaves both order files as
// they were and removes the document. `replaceDocument` allows an existing file of the
// document's name to be replaced; otherwise one that appeared meanwhile is an error.
Result<ArchiveResult> archiveStatement(const StatementArchive& request, StagedFile& document,
                                       bool replaceDocument);

} // namespace qm
