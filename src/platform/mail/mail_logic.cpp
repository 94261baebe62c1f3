#include "mail_logic.h"

#include "directory_files.h"

#include <array>
#include <utility>

namespace qm {

namespace {

struct Gateway {
    std::string_view carrier;
    std::string_view domain;
};

// Names are matched exactly, as the directory screen offers them.
constexpr std::array<Gateway, 4> kGateways{{
    {"AT&T", "@txt.att.net"},
    {"Sprint", "@messaging.sprintpcs.com"},
    {"Verizon", "@vtext.com"},
    {"T-Mobile", "@tmomail.net"},
}};

} // namespace

std::string cellDigits(std::string_view cell) {
    std::string digits;
    for (const char c : cell) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    return digits;
}

std::optional<std::string_view> carrierGateway(std::string_view carrier) {
    for (const Gateway& gateway : kGateways) {
        if (gateway.carrier == carrier) {
            return gateway.domain;
        }
    }
    return std::nullopt;
}

std::string textGatewayAddress(std::string_view cell, std::string_view carrier) {
    std::string address = cellDigits(cell);
    if (const auto domain = carrierGateway(carrier)) {
        address += *domain;
    }
    return address;
}

std::optional<SearcherContact> findSearcher(const std::vector<std::string>& searcherLines,
                                            std::string_view recipName) {
    if (recipName.empty()) {
        return std::nullopt;
    }
    for (const std::string& line : searcherLines) {
        if (!line.starts_with(recipName)) {
            continue;
        }
        const DirectoryFields fields = splitDirectoryLine(line);
        return SearcherContact{fields[0], fields[7], textGatewayAddress(fields[5], fields[6])};
    }
    return std::nullopt;
}

Delivery makeDelivery(const SearcherContact& searcher, MessageType type, std::string subject,
                      std::string body) {
    // Any value other than 2 sends the e-mail, and only 0 adds the copy, as SendMsg always did.
    Delivery delivery;
    delivery.to = type == MessageType::TextOnly ? searcher.textAddress : searcher.email;
    if (type == MessageType::EmailWithTextCopy) {
        delivery.cc = searcher.textAddress;
    }
    delivery.subject = std::move(subject);
    delivery.body = std::move(body);
    return delivery;
}

std::optional<Delivery> planDelivery(const std::vector<std::string>& searcherLines,
                                     std::string_view recipName, std::string subject,
                                     std::string body, MessageType type) {
    const auto searcher = findSearcher(searcherLines, recipName);
    if (!searcher) {
        return std::nullopt;
    }
    return makeDelivery(*searcher, type, std::move(subject), std::move(body));
}

} // namespace qm
