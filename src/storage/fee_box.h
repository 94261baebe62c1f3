#pragma once
// What a fee box the user types into writes over a stored amount field: the strict amount rule,
// a blank box for 0, and an untouched box keeping the stored bytes (no rounding through "0.00").

#include "record.h"

#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The text a fee box shows for a stored amount: "0.00" form, or the stored text itself when it
// holds no amount.
std::string feeBoxText(const Field& stored);
// Why the box's text is refused (completing "The amount is not accepted: "); nothing for a
// blank box or an amount.
std::optional<std::string> feeBoxRefusal(std::string_view text);
// The field the box writes in place of `stored`: `stored` itself while the box shows its amount
// as "0.00", 0 for a blank box, else the typed amount; nothing when refused.
std::optional<Field> feeBoxField(std::string_view text, const Field& stored);

} // namespace qm
