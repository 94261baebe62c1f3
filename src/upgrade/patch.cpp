#include "patch.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace upm {

namespace {

std::string describeStatus(int status) {
    if (WIFEXITED(status))
        return "ended with the error status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("was stopped by the signal ") + ::strsignal(WTERMSIG(status));
    return "ended abnormally";
}

void pause(long milliseconds) {
    const timespec wait{0, milliseconds * 1000000L};
    ::nanosleep(&wait, nullptr);
}

} // namespace

std::string runPatch(const std::string& folder, const std::function<void()>& idle) {
    const std::string patch = folder + kPatchName;
    // The package's program is run whatever mode its archive gave it.
    struct stat info;
    if (::stat(patch.c_str(), &info) == 0 && !(info.st_mode & S_IXUSR))
        ::chmod(patch.c_str(), info.st_mode | S_IXUSR);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::string auto_ = "/auto";
    char* argv[] = {const_cast<char*>(patch.c_str()), auto_.data(), nullptr};
    // The patch gets the default signal handling back (upmender ignores SIGPIPE).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, patch.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);

    std::string problem;
    if (spawned != 0) {
        problem = kPatchName + std::string(" could not be started: ") + std::strerror(spawned);
    } else {
        int status = 0;
        for (;;) {
            const pid_t done = ::waitpid(child, &status, WNOHANG);
            if (done == child)
                break;
            if (done < 0 && errno != EINTR) {
                status = -1;
                break;
            }
            if (idle)
                idle();
            pause(20);
        }
        if (status != 0)
            problem = kPatchName + std::string(" ") + describeStatus(status) + ".";
    }
    if (::unlink(patch.c_str()) != 0) {
        if (!problem.empty())
            problem += "\n";
        problem += kPatchName + std::string(" could not be deleted: ") + std::strerror(errno);
    }
    return problem;
}

std::string refusedFolder(const std::string& folder) {
    const std::string probe = folder + ".quillmark-probe-" + std::to_string(::getpid());
    const std::string renamed = probe + ".renamed";
    const int fd =
        ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return "cannot create a file in " + folder + ": " + std::strerror(errno);
    ::close(fd);
    if (::rename(probe.c_str(), renamed.c_str()) != 0) {
        const std::string why = "cannot rename a file in " + folder + ": " + std::strerror(errno);
        ::unlink(probe.c_str());
        return why;
    }
    if (::unlink(renamed.c_str()) != 0)
        return "cannot remove a file in " + folder + ": " + std::strerror(errno);
    return {};
}

FolderLock::~FolderLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool FolderLock::acquire(const std::string& folder, bool& heldElsewhere, std::string& why) {
    heldElsewhere = false;
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        why = "cannot open " + folder + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
        return true;
    heldElsewhere = errno == EWOULDBLOCK;
    why = "cannot lock " + folder + ": " + std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
    return false;
}

} // namespace upm
