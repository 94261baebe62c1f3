#include "order_splice.h"

#include "data_file.h"
#include "file_number_scan.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

FileStamp stampOf(const struct stat& st) {
    return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

Result<FileStamp> stampOfPath(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return FileStamp{};
        return systemError(path, errno, "cannot look at the file");
    }
    return stampOf(st);
}

// Output of a splice: small pieces gathered, large ones written or copied as they come.
class Sink {
  public:
    Sink(int fd, const std::string& path) : fd_(fd), path_(path) { buffer_.reserve(kBuffer); }

    Status add(std::string_view bytes) {
        if (bytes.empty())
            return okStatus();
        last_ = bytes.back();
        if (buffer_.size() + bytes.size() <= kBuffer) {
            buffer_ += bytes;
            return okStatus();
        }
        if (Status flushed = flush(); !flushed)
            return flushed;
        if (bytes.size() < kBuffer) {
            buffer_ += bytes;
            return okStatus();
        }
        return write(bytes);
    }

    // Bytes [offset, offset + length) of the open file `from`, copied by the kernel when it can.
    Status copy(int from, std::uint64_t offset, std::uint64_t length) {
        if (length == 0)
            return okStatus();
        if (Status flushed = flush(); !flushed)
            return flushed;
        auto in = static_cast<off_t>(offset);
        std::uint64_t left = length;
        while (left > 0 && kernelCopy_) {
            const ssize_t n = ::copy_file_range(
                from, &in, fd_, nullptr,
                static_cast<size_t>(std::min<std::uint64_t>(left, std::uint64_t{1} << 30)), 0);
            if (n > 0) {
                left -= static_cast<std::uint64_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0)
                return Error{ErrorKind::Io, path_, 0, "the file being copied ended early", 0};
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                return systemError(path_, errno, "cannot write the file");
            kernelCopy_ = false; // file systems that cannot: copy by hand
        }
        std::vector<char> chunk(std::min<std::uint64_t>(left, kBuffer));
        while (left > 0) {
            const auto want = static_cast<size_t>(std::min<std::uint64_t>(left, chunk.size()));
            const ssize_t n = ::pread(from, chunk.data(), want, in);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n == 0
                           ? Error{ErrorKind::Io, path_, 0, "the file being copied ended early", 0}
                           : systemError(path_, errno, "cannot read the file");
            if (Status w = write({chunk.data(), static_cast<size_t>(n)}); !w)
                return w;
            in += n;
            left -= static_cast<std::uint64_t>(n);
        }
        if (::pread(from, &last_, 1, static_cast<off_t>(offset + length - 1)) != 1)
            return systemError(path_, errno, "cannot read the file");
        return okStatus();
    }

    // A record added after a last record that lacks its line end must not run into it.
    Status endLine() {
        if (last_ == 0 || last_ == '\n')
            return okStatus();
        return add("\r\n");
    }

    Status flush() {
        Status written = write(buffer_);
        buffer_.clear();
        return written;
    }

  private:
    static constexpr size_t kBuffer = size_t{1} << 20;

    Status write(std::string_view bytes) {
        if (!writeAll(fd_, bytes))
            return systemError(path_, errno, "cannot write the file");
        return okStatus();
    }

    int fd_;
    const std::string& path_;
    std::string buffer_;
    char last_ = 0;
    bool kernelCopy_ = true;
};

// One record replaced or dropped, at its place in the source.
struct Edit {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    const std::optional<OrderRecord>* replacement = nullptr;
};

Status checkKinds(OrderFile file, const OrderSplice& splice, const std::string& path) {
    auto wrong = [&](const OrderRecord& r) { return r.file() != file; };
    for (const auto& [index, replacement] : splice.changes)
        if (replacement && wrong(*replacement))
            return Error{ErrorKind::BadRecord, path, static_cast<long>(index + 1),
                         "the new record has the fields of another order file", 0};
    for (const OrderRecord& r : splice.appended)
        if (wrong(r))
            return Error{ErrorKind::BadRecord, path, 0,
                         "an added record has the fields of another order file", 0};
    return okStatus();
}

// Writes the source's bytes [0, end) with the edits (sorted by offset) applied, then the added
// records. `copy` puts source bytes [from, to) into the sink.
Status writeSpliced(Sink& sink, const std::vector<Edit>& edits, std::uint64_t end,
                    const std::vector<OrderRecord>& appended,
                    const std::function<Status(std::uint64_t, std::uint64_t)>& copy) {
    std::uint64_t at = 0;
    std::string encoded;
    for (const Edit& edit : edits) {
        if (Status s = copy(at, edit.offset); !s)
            return s;
        if (*edit.replacement) {
            encoded.clear();
            appendEncodedRecord(encoded, (*edit.replacement)->fields());
            if (Status s = sink.add(encoded); !s)
                return s;
        }
        at = edit.offset + edit.length;
    }
    if (Status s = copy(at, end); !s)
        return s;
    if (!appended.empty()) {
        if (Status s = sink.endLine(); !s)
            return s;
        for (const OrderRecord& r : appended) {
            encoded.clear();
            appendEncodedRecord(encoded, r.fields());
            if (Status s = sink.add(encoded); !s)
                return s;
        }
    }
    return sink.flush();
}

} // namespace

Result<FoundOrders> findOrders(const DataLock& lock, OrderFile file, std::string_view fileNumber) {
    const std::string path = lock.dataFolder() + orderFileName(file);
    FoundOrders found;
    found.file = file;
    auto before = stampOfPath(path);
    if (!before)
        return before.error();
    found.stamp = *before;
    if (!found.stamp.exists)
        return found;
    std::optional<Error> unreadable;
    Status scanned = scanOrderFileInPieces(path, file, [&](const ScannedPiece& piece) {
        const auto& numbers = *piece.numbers;
        for (size_t i = 0; i < numbers.size(); ++i) {
            if (numbers[i] != fileNumber)
                continue;
            const std::uint64_t start = (*piece.starts)[i];
            const std::uint64_t end =
                i + 1 < numbers.size() ? (*piece.starts)[i + 1] : piece.bytes.size();
            const std::string_view raw = piece.bytes.substr(start, end - start);
            auto table = readRecords(raw, orderFieldCount(file), path);
            if (!table || table->size() != 1) {
                unreadable = table
                                 ? Error{ErrorKind::BadRecord, path, 0, "a record did not read", 0}
                                 : table.error();
                if (unreadable->record > 0)
                    unreadable->record = static_cast<long>(piece.firstRecord + i + 1);
                return false;
            }
            found.orders.push_back({{piece.firstRecord + i, piece.offset + start, end - start},
                                    OrderRecord(file, table->fields(0))});
        }
        return true;
    });
    if (!scanned)
        return scanned.error();
    if (unreadable)
        return *unreadable;
    auto after = stampOfPath(path);
    if (!after)
        return after.error();
    if (!(*after == found.stamp))
        return Error{ErrorKind::Io, path, 0, "the file changed while it was read", 0};
    return found;
}

Status spliceOrderFile(const DataLock& lock, const OrderTable& current, const OrderSplice& splice) {
    const std::string path = lock.dataFolder() + orderFileName(current.file());
    if (Status kinds = checkKinds(current.file(), splice, path); !kinds)
        return kinds;
    const std::string_view bytes = current.bytes();
    const RecordTable& records = current.records();
    auto placeOf = [&](size_t index) {
        const std::string_view raw = records.rawRecord(index);
        return Edit{static_cast<std::uint64_t>(raw.data() - bytes.data()), raw.size(), nullptr};
    };
    std::vector<Edit> edits;
    for (const auto& [index, replacement] : splice.changes) {
        if (index >= current.size())
            return Error{ErrorKind::BadRecord, path, static_cast<long>(index + 1),
                         "there is no such record to change", 0};
        Edit edit = placeOf(index);
        edit.replacement = &replacement;
        edits.push_back(edit);
    }
    // Blanks after the last record are left out, as a rewrite of the records leaves them out.
    std::uint64_t end = 0;
    if (current.size() > 0) {
        const Edit last = placeOf(current.size() - 1);
        end = last.offset + last.length;
    }
    return rewriteFileThrough(lock, path, [&](int fd) -> Status {
        Sink sink(fd, path);
        return writeSpliced(sink, edits, end, splice.appended,
                            [&](std::uint64_t from, std::uint64_t to) {
                                return sink.add(bytes.substr(from, to - from));
                            });
    });
}

Status spliceOrderFile(const DataLock& lock, const FoundOrders& found, const OrderSplice& splice) {
    const std::string path = lock.dataFolder() + orderFileName(found.file);
    if (Status kinds = checkKinds(found.file, splice, path); !kinds)
        return kinds;
    std::vector<Edit> edits;
    for (const auto& [index, replacement] : splice.changes) {
        const size_t wanted = index; // clang 14 cannot capture a structured binding
        const auto match =
            std::find_if(found.orders.begin(), found.orders.end(),
                         [wanted](const FoundOrder& o) { return o.place.index == wanted; });
        if (match == found.orders.end())
            return Error{ErrorKind::BadRecord, path, static_cast<long>(index + 1),
                         "the record to change was not among those found", 0};
        edits.push_back({match->place.offset, match->place.length, &replacement});
    }
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.offset < b.offset; });
    FileDescriptor source;
    if (found.stamp.exists) {
        auto opened = openPlainFile(path, O_RDONLY, 0, "cannot open the file");
        if (!opened)
            return opened.error();
        source = std::move(opened).value();
    }
    bool unchanged = false;
    if (source.valid()) {
        struct stat st {};
        unchanged = ::fstat(source.get(), &st) == 0 && stampOf(st) == found.stamp;
    } else {
        const auto now = stampOfPath(path);
        unchanged = now && !now->exists;
    }
    if (!unchanged)
        return Error{ErrorKind::Io, path, 0,
                     "the file changed after its records were found; nothing was changed", 0};
    return rewriteFileThrough(lock, path, [&](int fd) -> Status {
        Sink sink(fd, path);
        return writeSpliced(sink, edits, found.stamp.size, splice.appended,
                            [&](std::uint64_t from, std::uint64_t to) {
                                return sink.copy(source.get(), from, to - from);
                            });
    });
}

} // namespace qm
