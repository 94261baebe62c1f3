#pragma once
// Correcting the base, municipal and copy amounts of a completed order: what the editor shows,
// which typed texts are amounts, and the locked rewrite of Completed.fil. No widgets; texts are
// Windows-1252 bytes as stored.

#include "order.h"
#include "result.h"

#include <array>
#include <optional>
#include <string>

namespace qm {

// BaseFee, MuniFee and CopyCosts as stored, in that order.
using StoredFees = std::array<Field, 3>;

// The amounts of the first record with the number in Completed.fil as it reads now, without the
// lock; none when no record has it or the file is missing.
Result<std::optional<StoredFees>> storedFeesOf(const std::string& dataFolder,
                                               const std::string& fileNumber);

// The boxes' texts for stored amounts: each "0.00".
std::array<std::string, 3> feeTextsOf(const StoredFees& fees);

struct TypedFeeRefusal {
    size_t box = 0;     // 0 to 2
    std::string reason; // completes "The amount is not accepted: "
};
// The first box whose text is not an amount; an empty box stands for 0.
std::optional<TypedFeeRefusal> refusedFeeText(const std::array<std::string, 3>& typed);

struct FeeCorrection {
    std::string fileNumber;
    std::optional<StoredFees> shown; // what the editor was filled from; none when not found
    std::array<std::string, 3> typed;
};

enum class FeeCorrectionResult {
    Corrected,
    Gone,             // no record has the number any more: nothing written
    ChangedMeanwhile, // its amounts are no longer those shown: nothing written
};

// Under the lock: every record with the number takes the typed amounts; a box still showing
// what the editor was filled with keeps that record's stored field as it stands. Every other
// byte of the file stays. Typed texts must have passed refusedFeeText.
Result<FeeCorrectionResult> correctFees(const std::string& dataFolder,
                                        const FeeCorrection& correction);

} // namespace qm
