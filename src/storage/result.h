#pragma once
// One error channel for the storage layer: a value, or an error saying what failed where.

#include <string>
#include <utility>
#include <variant>

namespace qm {

enum class ErrorKind {
    FileNotFound, // the file is missing but its folder exists
    PathNotFound, // the folder itself is missing
    BadRecord,    // the bytes do not form the expected record
    BadName,      // a name that cannot be used as a file name
    BadConfig,    // config.txt is unreadable
    Io,           // any other operating-system failure
    LockBusy,     // the lock was still held elsewhere when a bounded wait ended
};

struct Error {
    ErrorKind kind = ErrorKind::Io;
    std::string file; // path of the file concerned, may be empty
    long record = 0;  // 1-based record or line number, 0 when not about one record
    std::string message;
    int sysErrno = 0; // errno of the failing call, 0 when not a system error

    // "file, record N: message" as one line for people.
    std::string describe() const;
};

// Error from errno after a failed system call on path.
Error systemError(const std::string& path, int err, const std::string& what);

template <typename T> class [[nodiscard]] Result {
  public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    const Error& error() const { return std::get<1>(v_); }

  private:
    std::variant<T, Error> v_;
};

struct Ok {};
using Status = Result<Ok>;
inline Status okStatus() {
    return Ok{};
}

} // namespace qm
