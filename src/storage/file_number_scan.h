#pragma once
// The FileNumber scan over an order file read in pieces: a reused buffer instead of a mapping
// (a file cut short by anyone while it is scanned only shortens the scan), and memory of one
// piece however large the file.

#include "order.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// One piece of whole records: their bytes, where they stand in the file, the index of the
// first of them in the file, each one's FileNumber and the offset of each one's first byte
// within the piece.
struct ScannedPiece {
    std::string_view bytes;
    std::uint64_t offset = 0;
    size_t firstRecord = 0;
    const std::vector<std::string>* numbers = nullptr;
    const std::vector<std::uint64_t>* starts = nullptr;
};

// Hands every piece to `visit` until it returns false. A missing file gives FileNotFound; a
// record that does not read is an error naming it.
Status scanOrderFileInPieces(const std::string& path, OrderFile file,
                             const std::function<bool(const ScannedPiece&)>& visit);

} // namespace qm
