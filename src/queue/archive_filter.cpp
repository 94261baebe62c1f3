#include "archive_filter.h"

namespace qm {

ArchiveFilter::ArchiveFilter(const ArchiveList& list) : list_(list) {
    tails_.reserve(list.keys().size());
    for (std::string_view key : list.keys())
        tails_.push_back(std::string(kArchiveKeyGap, ' ') + std::string(key));
}

const std::vector<std::uint32_t>& ArchiveFilter::apply(std::optional<std::uint32_t> customer,
                                                       const QString& searchText) {
    if (steps_.empty() || customer != customer_) {
        customer_ = customer;
        steps_.clear();
        Step first;
        first.lines.reserve(customer ? 0 : list_.size());
        for (size_t i = 0; i < list_.size(); ++i)
            if (!customer || list_.keyOf(i) == *customer)
                first.lines.push_back(static_cast<std::uint32_t>(i));
        steps_.push_back(std::move(first));
    }
    // Back to the last result whose text the new one extends; a line that holds the longer
    // text holds every beginning of it.
    while (steps_.size() > 1 && !searchText.startsWith(steps_.back().text))
        steps_.pop_back();
    if (steps_.back().text != searchText)
        steps_.push_back({searchText, search(steps_.back().lines, searchText)});
    return steps_.back().lines;
}

std::vector<std::uint32_t> ArchiveFilter::search(const std::vector<std::uint32_t>& from,
                                                 const QString& text) const {
    const ArchiveSearch needle(text);
    std::vector<std::uint32_t> found;
    if (needle.matchesNothing())
        return found;
    std::vector<char> inTail(tails_.size());
    for (size_t k = 0; k < tails_.size(); ++k)
        inTail[k] = needle.foundIn(tails_[k]);
    for (std::uint32_t i : from) {
        const std::string_view line = list_.line(i);
        const std::uint32_t key = list_.keyOf(i);
        if (needle.foundIn(line) || inTail[key] || needle.straddles(line, tails_[key]))
            found.push_back(i);
    }
    return found;
}

} // namespace qm
