#pragma once
// A real SMTP server on loopback (aiosmtpd) that keeps what it receives in a folder.

#include <string>
#include <vector>

namespace mailtest {

struct Received {
    int clientPort = 0;
    std::string mailFrom;
    std::vector<std::string> rcptTo;
    std::string content; // as received, dot-stuffing undone
};

// A fresh temporary folder, removed with the object.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

class SmtpServer {
  public:
    SmtpServer();
    ~SmtpServer();
    SmtpServer(const SmtpServer&) = delete;
    SmtpServer& operator=(const SmtpServer&) = delete;

    int port() const { return port_; }
    bool running() const { return pid_ > 0; }
    std::vector<Received> received() const;
    // The client port of each NOOP so far.
    std::vector<int> noopPorts() const;

  private:
    TempFolder folder_;
    int port_ = 0;
    int pid_ = -1;
};

// A loopback port nobody listens on just now.
int freePort();

} // namespace mailtest
