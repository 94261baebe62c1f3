#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace qm::process_test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, int stdinFd) {
    int pipeFds[2];
    // Close-on-exec, so that no other child keeps this output open past its writer's end.
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe2: ") + std::strerror(errno));
    const int nullFd = stdinFd < 0 ? ::open("/dev/null", O_RDONLY | O_CLOEXEC) : -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stdinFd < 0 ? nullFd : stdinFd, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int rc = ::posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (nullFd >= 0)
        ::close(nullFd);
    if (rc != 0) {
        ::close(pipeFds[0]);
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
    }
    out_ = pipeFds[0];
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), out_(std::exchange(other.out_, -1)), eof_(other.eof_),
      buffer_(std::move(other.buffer_)), nextLine_(other.nextLine_),
      lines_(std::move(other.lines_)) {}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (out_ >= 0)
        ::close(out_);
}

bool ChildProcess::fill(std::chrono::steady_clock::time_point deadline) {
    if (eof_)
        return true;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{out_, POLLIN, 0};
        const int ready = ::poll(&p, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char chunk[4096];
        const ssize_t n = ::read(out_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            eof_ = true;
            if (!buffer_.empty())
                lines_.push_back(std::exchange(buffer_, {}));
            return true;
        }
        buffer_.append(chunk, static_cast<size_t>(n));
        for (size_t end; (end = buffer_.find('\n')) != std::string::npos;) {
            lines_.push_back(buffer_.substr(0, end));
            buffer_.erase(0, end + 1);
        }
        return true;
    }
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (nextLine_ == lines_.size()) {
        if (eof_ || !fill(deadline))
            return std::nullopt;
    }
    return lines_[nextLine_++];
}

bool ChildProcess::outputEndsWithin(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!eof_)
        if (!fill(deadline))
            return false;
    return true;
}

int ChildProcess::wait() {
    if (pid_ <= 0)
        throw std::logic_error("the child was already reaped");
    while (!eof_)
        fill(std::chrono::steady_clock::now() + std::chrono::hours(1));
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR)
            throw std::runtime_error(std::string("waitpid: ") + std::strerror(errno));
    }
    pid_ = -1;
    return status;
}

int ChildProcess::kill() {
    // Never pid -1 or 0: that would signal every process we may signal, or our group.
    if (pid_ <= 0)
        throw std::logic_error("the child was already reaped");
    ::kill(pid_, SIGKILL);
    return wait();
}

bool exitedWith(int status, int code) {
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

bool killedBy(int status, int signal) {
    return WIFSIGNALED(status) && WTERMSIG(status) == signal;
}

} // namespace qm::process_test
