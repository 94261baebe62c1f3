#include "fee_box.h"

namespace qm {

namespace {

bool isBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

} // namespace

std::string feeBoxText(const Field& stored) {
    const auto amount = Money::fromStored(stored.text);
    return amount ? amount->format0_00() : stored.text;
}

std::optional<std::string> feeBoxRefusal(std::string_view text) {
    if (isBlank(text))
        return std::nullopt;
    AmountParse parsed = parseTypedAmount(text);
    if (parsed.value)
        return std::nullopt;
    return parsed.reason;
}

std::optional<Field> feeBoxField(std::string_view text, const Field& stored) {
    if (auto amount = Money::fromStored(stored.text); amount && text == amount->format0_00())
        return stored;
    if (isBlank(text))
        return Field::ofMoney(Money());
    AmountParse parsed = parseTypedAmount(text);
    if (!parsed.value)
        return std::nullopt;
    return Field::ofMoney(*parsed.value);
}

} // namespace qm
