#include "archive_list.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace qm {

// Archives.fil mapped read-only. A rewrite renames a new file over it, so the mapped bytes stay
// those the list was read from; an append only adds bytes beyond the mapped length.
class ArchiveList::Mapping {
  public:
    static Result<std::unique_ptr<Mapping>> open(const std::string& path) {
        // Never through a symbolic link, and no waiting on a FIFO put in the file's place.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            const int err = errno;
            if (err == ENOENT)
                return Error{ErrorKind::FileNotFound, path, 0, "the file does not exist", err};
            return systemError(path, err,
                               err == ELOOP ? "is a symbolic link" : "cannot open the file");
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            const int err = errno;
            ::close(fd);
            return systemError(path, err, "cannot read the file's size");
        }
        if (!S_ISREG(st.st_mode)) {
            ::close(fd);
            return Error{ErrorKind::Io, path, 0, "is not a plain file", 0};
        }
        auto mapping = std::make_unique<Mapping>();
        const auto size = static_cast<size_t>(st.st_size);
        if (size > 0) {
            void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
            if (data == MAP_FAILED) {
                const int err = errno;
                ::close(fd);
                return systemError(path, err, "cannot map the file");
            }
            ::madvise(data, size, MADV_SEQUENTIAL);
            mapping->data_ = data;
            mapping->size_ = size;
        }
        ::close(fd);
        return mapping;
    }

    Mapping() = default;
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    ~Mapping() {
        if (data_)
            ::munmap(data_, size_);
    }

    std::string_view bytes() const {
        return data_ ? std::string_view(static_cast<const char*>(data_), size_)
                     : std::string_view();
    }

    // The scan is over: pages are read again from the file only when an order is shown.
    void scanned() const {
        if (data_) {
            ::madvise(data_, size_, MADV_RANDOM);
            ::madvise(data_, size_, MADV_DONTNEED);
        }
    }

  private:
    void* data_ = nullptr;
    size_t size_ = 0;
};

namespace {

constexpr size_t kChunkRecords = 4096;
constexpr size_t kFirstWindow = size_t{16} << 20;
constexpr size_t kLargestWindow = std::numeric_limits<std::uint32_t>::max();

struct Chunk {
    RecordTable table;
    size_t count = 0;
    size_t end = 0; // offset in the file just past the last record counted
};

bool endsWithLineEnd(std::string_view raw) {
    return !raw.empty() && (raw.back() == '\n' || raw.back() == '\r');
}

// Up to maxRecords whole records from pos. The reader takes a window of the file at a time;
// a record that the window's end cut short is left to the next call, and a window too small
// for one record grows until it holds one.
Result<Chunk> readChunk(std::string_view bytes, size_t pos, size_t maxRecords,
                        const std::string& path) {
    const size_t rest = bytes.size() - pos;
    size_t window = std::min({rest, kFirstWindow, kLargestWindow});
    for (;;) {
        const bool cut = window < rest;
        auto table = readRecords(bytes.substr(pos, window), orderFieldCount(OrderFile::Archives),
                                 path, maxRecords);
        if (table || !cut) {
            if (!table)
                return table.error();
            Chunk chunk{std::move(table).value(), 0, pos};
            chunk.count = chunk.table.size();
            if (cut && chunk.count > 0 && !endsWithLineEnd(chunk.table.rawRecord(chunk.count - 1)))
                --chunk.count; // it may go on beyond the window
            if (chunk.count > 0 || !cut) {
                if (chunk.count > 0) {
                    const std::string_view last = chunk.table.rawRecord(chunk.count - 1);
                    chunk.end = static_cast<size_t>(last.data() + last.size() - bytes.data());
                }
                return chunk;
            }
        }
        if (window >= kLargestWindow)
            return table ? Error{ErrorKind::BadRecord, path, 1, "the record is too long", 0}
                         : table.error();
        window = std::min({rest, window * 2, kLargestWindow});
    }
}

} // namespace

ArchiveList::ArchiveList() = default;
ArchiveList::ArchiveList(ArchiveList&&) noexcept = default;
ArchiveList& ArchiveList::operator=(ArchiveList&&) noexcept = default;
ArchiveList::~ArchiveList() = default;

Result<ArchiveList> ArchiveList::read(const std::string& dataFolder) {
    ArchiveList list;
    list.path_ = dataFolder + orderFileName(OrderFile::Archives);
    auto mapping = Mapping::open(list.path_);
    if (!mapping) {
        if (mapping.error().kind == ErrorKind::FileNotFound)
            return list;
        return mapping.error();
    }
    list.mapping_ = std::move(mapping).value();
    const std::string_view bytes = list.mapping_->bytes();

    std::unordered_map<std::string_view, std::uint32_t> keyIds;
    char line[kArchiveLineWidth];
    size_t pos = 0;
    while (pos < bytes.size()) {
        auto chunk = readChunk(bytes, pos, kChunkRecords, list.path_);
        if (!chunk) {
            // The records before the one that does not read are listed all the same.
            Error fault = chunk.error();
            const long before = fault.record - 1;
            fault.record += static_cast<long>(list.size());
            list.fault_ = std::move(fault);
            if (before <= 0)
                break;
            chunk = readChunk(bytes, pos, static_cast<size_t>(before), list.path_);
            if (!chunk)
                break;
        }
        if (chunk->count == 0)
            break; // only blanks after the last record
        const RecordTable& table = chunk->table;
        for (size_t i = 0; i < chunk->count; ++i) {
            writeArchiveLine(table, i, line);
            list.lines_.insert(list.lines_.end(), line, line + kArchiveLineWidth);
            const auto [at, added] = keyIds.try_emplace(
                archiveCustomerKey(table, i), static_cast<std::uint32_t>(list.keys_.size()));
            if (added)
                list.keys_.push_back(at->first);
            list.keyOfLine_.push_back(at->second);
            list.offsets_.push_back(
                static_cast<std::uint64_t>(table.rawRecord(i).data() - bytes.data()));
        }
        if (pos == 0 && chunk->end < bytes.size()) {
            // Room for the whole file from the first records' sizes, so that the lines are not
            // copied while they grow. Room that stays unused is never touched.
            const size_t expected = bytes.size() * chunk->count / chunk->end * 9 / 8 + 1024;
            list.lines_.reserve(expected * kArchiveLineWidth);
            list.keyOfLine_.reserve(expected);
            list.offsets_.reserve(expected);
        }
        pos = chunk->end;
        if (list.fault_)
            break;
    }
    list.mapping_->scanned();
    return list;
}

Result<OrderRecord> ArchiveList::record(size_t index) const {
    const std::string_view bytes = mapping_ ? mapping_->bytes() : std::string_view();
    if (index >= size())
        return Error{ErrorKind::BadRecord, path_, static_cast<long>(index) + 1, "no such record",
                     0};
    auto chunk = readChunk(bytes, static_cast<size_t>(offsets_[index]), 1, path_);
    if (!chunk)
        return chunk.error();
    if (chunk->count == 0)
        return Error{ErrorKind::BadRecord, path_, static_cast<long>(index) + 1,
                     "the record does not read", 0};
    return OrderRecord(OrderFile::Archives, chunk->table.fields(0));
}

} // namespace qm
