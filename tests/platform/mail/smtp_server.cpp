#include "smtp_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace mailtest {

namespace fs = std::filesystem;

namespace {

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

} // namespace

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "qm-mail-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

int freePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

SmtpServer::SmtpServer() : port_(freePort()) {
    // The handler module sits beside this file in the source tree.
    setenv("PYTHONPATH", QM_MAIL_TEST_DIR, 1);
    const std::string listen = "127.0.0.1:" + std::to_string(port_);
    std::vector<std::string> args = {QM_MAIL_PYTHON, "-m", "aiosmtpd",       "-n",          "-l",
                                     listen,         "-c", "mail_sink.Sink", folder_.path()};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return;
    }
    pid_ = pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!accepts(port_)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_ ||
            std::chrono::steady_clock::now() > deadline) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

SmtpServer::~SmtpServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
}

std::vector<Received> SmtpServer::received() const {
    std::vector<Received> all;
    for (int n = 1;; ++n) {
        const fs::path base = fs::path(folder_.path()) / std::to_string(n);
        if (!fs::exists(fs::path(base).replace_extension(".env"))) {
            break;
        }
        Received message;
        std::istringstream envelope(readWhole(fs::path(base).replace_extension(".env")));
        std::string line;
        std::getline(envelope, line);
        message.clientPort = std::atoi(line.c_str());
        std::getline(envelope, message.mailFrom);
        while (std::getline(envelope, line)) {
            message.rcptTo.push_back(line);
        }
        message.content = readWhole(fs::path(base).replace_extension(".eml"));
        all.push_back(std::move(message));
    }
    return all;
}

} // namespace mailtest

namespace mailtest {

std::vector<int> SmtpServer::noopPorts() const {
    std::vector<int> ports;
    std::istringstream lines(readWhole(fs::path(folder_.path()) / "noop.txt"));
    for (std::string line; std::getline(lines, line);) {
        ports.push_back(std::atoi(line.c_str()));
    }
    return ports;
}

} // namespace mailtest
