#include "mail_program.h"

#include "message.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace qm {

namespace {

// What the program says is kept for the failure text, up to this much of its end.
constexpr size_t kMaxOutput = 2000;

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
    }

  private:
    int fd_;
};

std::string systemText(int err) {
    return std::strerror(err);
}

std::string tidy(std::string output) {
    while (!output.empty() &&
           (output.back() == '\n' || output.back() == '\r' || output.back() == ' ')) {
        output.pop_back();
    }
    return output;
}

long long monotonicMillis() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

MailProgram::MailProgram(std::string program, std::string sender, int timeoutSeconds)
    : program_(std::move(program)), sender_(std::move(sender)), timeoutSeconds_(timeoutSeconds) {}

Status MailProgram::send(const Delivery& delivery) {
    if (program_.empty()) {
        return mailError("No mail program is set.");
    }
    if (deliveryRecipients(delivery).empty()) {
        return mailError("The message has no address to go to.");
    }
    const std::string message = composeMessage(sender_, delivery, localMailDate(std::time(nullptr)),
                                               messageIdDomainFor(sender_));

    // The message goes in over a socket so that a program that quits early cannot raise
    // SIGPIPE here (MSG_NOSIGNAL); its output comes back over the other end of the pair.
    int input[2];
    int output[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) {
        return mailError("Cannot start the mail program: " + systemText(errno));
    }
    Fd inputOurs(input[0]);
    Fd inputTheirs(input[1]);
    if (pipe2(output, O_CLOEXEC) != 0) {
        return mailError("Cannot start the mail program: " + systemText(errno));
    }
    Fd outputOurs(output[0]);
    Fd outputTheirs(output[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inputTheirs.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outputTheirs.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outputTheirs.get(), STDERR_FILENO);
    std::string dashT = "-t";
    std::string dashI = "-i";
    char* argv[] = {program_.data(), dashT.data(), dashI.data(), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return mailError("Cannot start the mail program " + program_ + ": " + systemText(spawned));
    }
    inputTheirs.reset();
    outputTheirs.reset();

    std::string said;
    auto keep = [&said](const char* bytes, size_t n) {
        said.append(bytes, n);
        if (said.size() > kMaxOutput) {
            said.erase(0, said.size() - kMaxOutput);
        }
    };
    size_t written = 0;
    bool timedOut = false;
    bool exited = false;
    int status = 0;
    const long long deadline = monotonicMillis() + static_cast<long long>(timeoutSeconds_) * 1000;
    if (message.empty()) {
        shutdown(inputOurs.get(), SHUT_WR);
    }
    // Ends when the program does: a helper it leaves behind may hold its output open.
    while (!exited) {
        const bool writing = written < message.size() && inputOurs.get() >= 0;
        if (!writing) {
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid || (done < 0 && errno != EINTR)) {
                exited = true;
                break;
            }
        }
        const long long left = deadline - monotonicMillis();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd fds[2] = {{outputOurs.get(), POLLIN, 0},
                         {inputOurs.get(), static_cast<short>(writing ? POLLOUT : 0), 0}};
        if (poll(fds, 2, static_cast<int>(std::min(left, 100LL))) < 0 && errno != EINTR) {
            break;
        }
        if (writing && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            const ssize_t n = ::send(inputOurs.get(), message.data() + written,
                                     message.size() - written, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                written += static_cast<size_t>(n);
                if (written == message.size()) {
                    shutdown(inputOurs.get(), SHUT_WR);
                }
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                inputOurs.reset(); // the program stopped reading; its status will say why
            }
        }
        if (outputOurs.get() >= 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char buffer[4096];
            const ssize_t n = read(outputOurs.get(), buffer, sizeof buffer);
            if (n > 0) {
                keep(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                outputOurs.reset();
            }
        }
    }
    if (!exited) {
        if (timedOut) {
            kill(pid, SIGKILL);
        }
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    // Whatever the program wrote before it ended is waiting in the pipe.
    if (outputOurs.get() >= 0) {
        fcntl(outputOurs.get(), F_SETFL, O_NONBLOCK);
        char buffer[4096];
        ssize_t n = 0;
        while ((n = read(outputOurs.get(), buffer, sizeof buffer)) > 0) {
            keep(buffer, static_cast<size_t>(n));
        }
    }
    said = tidy(std::move(said));
    const std::string detail = said.empty() ? std::string(".") : ": " + said;
    if (timedOut) {
        return mailError("The mail program " + program_ + " did not finish within " +
                         std::to_string(timeoutSeconds_) + " seconds" + detail);
    }
    if (WIFSIGNALED(status)) {
        return mailError("The mail program " + program_ + " was stopped by signal " +
                         std::to_string(WTERMSIG(status)) + detail);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        return mailError("The mail program " + program_ + " failed with exit status " +
                         std::to_string(WEXITSTATUS(status)) + detail);
    }
    if (written < message.size()) {
        return mailError("The mail program " + program_ + " did not read the whole message" +
                         detail);
    }
    return okStatus();
}

} // namespace qm
