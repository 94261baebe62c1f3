#pragma once
// A program started by a test, with its standard output read through a pipe. A child still
// running when its handle goes is killed and reaped, so a failing test leaves no process behind.

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qm::process_test {

class ChildProcess {
  public:
    // Starts argv[0] with stdinFd as its input (/dev/null when -1); throws when it cannot.
    explicit ChildProcess(const std::vector<std::string>& argv, int stdinFd = -1);
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    // The next output line without its "\n"; nothing at the end of output or after timeout.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Whether the output ends (the child exits) within timeout; lines read meanwhile are kept.
    bool outputEndsWithin(std::chrono::milliseconds timeout);
    // Reads the output to its end and reaps the child; returns the wait status.
    int wait();
    pid_t pid() const { return pid_; }
    // SIGKILL, then wait().
    int kill();

    // Every output line read so far, including those readLine has already returned.
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    // Reads what is there within timeout into buffer_; false on timeout.
    bool fill(std::chrono::steady_clock::time_point deadline);

    pid_t pid_ = -1;
    int out_ = -1;
    bool eof_ = false;
    std::string buffer_;
    size_t nextLine_ = 0; // index in lines_ of the next line readLine returns
    std::vector<std::string> lines_;
};

bool exitedWith(int status, int code);
bool killedBy(int status, int signal);

} // namespace qm::process_test
