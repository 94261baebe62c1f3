#pragma once
// BILL and CLOSE of a pending order, each one locked step that decides from the order files:
// the first pending record with the number, its billed mark, and every record with the number
// in Completed.fil and Archives.fil. The completed record (or the finalised copy) is on disk
// before Pending.fil is rewritten, so repeating a command cut short finishes it without a
// second completed record. No widgets; texts are Windows-1252 bytes as stored.

#include "money.h"
#include "order.h"
#include "result.h"
#include "values.h"

#include <functional>
#include <optional>
#include <string>

namespace qm {

// The fee boxes as the command found them at the click.
struct FeeTexts {
    std::string base, muni, copy;
};

enum class FeeBox { Base, Muni, Copy };
struct FeeRefusal {
    FeeBox box;
    std::string reason; // completes "The amount is not accepted: "
};
// The first box whose text is no amount; an empty box counts as 0.
std::optional<FeeRefusal> refusedFee(const FeeTexts& fees);

// The line BILL adds to the notes.
std::string billingNoteLine(const DateTime& now, const std::string& logOnName);

enum class BillResult {
    Billed,
    NotPending,    // no pending record with the number: nothing written
    AlreadyBilled, // its due date carries the mark: nothing written
    CopyExisted,   // an earlier BILL wrote the copy: only the pending record was marked
};
Result<BillResult> billOrder(const std::string& dataFolder, const std::string& fileNumber,
                             const FeeTexts& fees, const DateTime& now,
                             const std::string& logOnName);

enum class CloseResult {
    Closed,        // a completed record was added
    CopyFinalised, // a billed order: its copy got the final due date and completion time
    NotPending,    // nothing written
    RecordExisted, // an earlier CLOSE wrote its record: only taken out of Pending.fil
};
Result<CloseResult> closeOrder(const std::string& dataFolder, const std::string& fileNumber,
                               const FeeTexts& fees, const DateTime& now);

// Seam for the crash tests and the benchmark: called with the lock still held after each step
// that reached the disk, so that a test process can be killed exactly there or a step timed.
// The program sets no hook.
enum class CloseStep {
    CompletedWritten, // the completed record, the billed copy or the finalised copy
    PendingRewritten, // Pending.fil without the order, or with it marked as billed
};
void setCloseStepHook(std::function<void(CloseStep)> hook);

} // namespace qm
