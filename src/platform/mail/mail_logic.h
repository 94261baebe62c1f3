#pragma once
// Who a searcher notice goes to: the searcher's e-mail address, the text gateway, or both.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// What a message is sent as; the values are those the callers pass.
enum class MessageType : std::int16_t {
    EmailWithTextCopy = 0, // e-mail as To, text gateway as Cc
    EmailOnly = 1,
    TextOnly = 2, // text gateway as To
};

// One message ready for a transport. Text is as stored: Windows-1252 bytes.
struct Delivery {
    std::string to;
    std::string cc; // empty: no copy
    std::string subject;
    std::string body;
    bool operator==(const Delivery&) const = default;
};

struct SearcherContact {
    std::string name;
    std::string email;
    std::string textAddress;
    bool operator==(const SearcherContact&) const = default;
};

// Every decimal digit of the cell number, in order.
std::string cellDigits(std::string_view cell);
// The carrier's e-mail-to-SMS domain with its at-sign; nothing for a carrier outside the table.
std::optional<std::string_view> carrierGateway(std::string_view carrier);
// Digits and gateway; the bare digits for an unknown carrier.
std::string textGatewayAddress(std::string_view cell, std::string_view carrier);

// The first searcher line that begins with recipName, lines in the directory's order.
// An empty name matches nothing.
std::optional<SearcherContact> findSearcher(const std::vector<std::string>& searcherLines,
                                            std::string_view recipName);

Delivery makeDelivery(const SearcherContact& searcher, MessageType type, std::string subject,
                      std::string body);

// What SendMsg sends to recipName; nothing when no searcher line begins with the name.
std::optional<Delivery> planDelivery(const std::vector<std::string>& searcherLines,
                                     std::string_view recipName, std::string subject,
                                     std::string body, MessageType type);

} // namespace qm
