#pragma once
// Every archived order of Archives.fil as its line, its customer key and the place of its
// record in the file. The file stays mapped while the list lives, so an order's details are
// read from its own place and a million orders cost little more than their lines.

#include "archive_logic.h"
#include "large_allocator.h"
#include "result.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class ArchiveList {
  public:
    ArchiveList();
    ArchiveList(ArchiveList&&) noexcept;
    ArchiveList& operator=(ArchiveList&&) noexcept;
    ~ArchiveList();

    // Reads Archives.fil of the data folder. A missing file is an empty archive. A record that
    // does not read ends the list there; fault() then says where and why.
    static Result<ArchiveList> read(const std::string& dataFolder);

    size_t size() const { return keyOfLine_.size(); }
    // kArchiveLineWidth bytes, Windows-1252.
    std::string_view line(size_t index) const {
        return {lines_.data() + index * kArchiveLineWidth, kArchiveLineWidth};
    }
    std::uint32_t keyOf(size_t index) const { return keyOfLine_[index]; }
    // The distinct customer keys, in the order first met; keyOf indexes them.
    const std::vector<std::string_view>& keys() const { return keys_; }

    // The whole record of line `index`, read again from its place in the file as it was when
    // the list was read.
    Result<OrderRecord> record(size_t index) const;
    const std::optional<Error>& fault() const { return fault_; }

  private:
    class Mapping;
    std::unique_ptr<Mapping> mapping_;
    std::string path_;
    std::vector<char, LargeAllocator<char>> lines_;
    std::vector<std::uint32_t, LargeAllocator<std::uint32_t>> keyOfLine_;
    std::vector<std::uint64_t, LargeAllocator<std::uint64_t>> offsets_; // record starts
    std::vector<std::string_view> keys_;                                // views into the mapping
    std::optional<Error> fault_;
};

} // namespace qm
