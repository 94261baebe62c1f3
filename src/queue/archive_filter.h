#pragma once
// The lines of the archive that pass the customer choice and the search text. Text typed on
// narrows the lines that passed before instead of searching all again, and Backspace goes back
// to a result already found.

#include "archive_list.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class ArchiveFilter {
  public:
    explicit ArchiveFilter(const ArchiveList& list);

    // Indices of the lines of that customer (every line when none) whose text holds the search
    // text without regard to case, in file order.
    const std::vector<std::uint32_t>& apply(std::optional<std::uint32_t> customer,
                                            const QString& searchText);
    const std::vector<std::uint32_t>& shown() const { return steps_.back().lines; }

  private:
    struct Step {
        QString text;
        std::vector<std::uint32_t> lines;
    };
    std::vector<std::uint32_t> search(const std::vector<std::uint32_t>& from,
                                      const QString& text) const;

    const ArchiveList& list_;
    std::vector<std::string> tails_; // the gap of blanks and the key, per key
    std::optional<std::uint32_t> customer_;
    // steps_[0] holds the customer's lines; each later step narrows the one before it with a
    // longer search text that begins with the earlier one.
    std::vector<Step> steps_;
};

} // namespace qm
