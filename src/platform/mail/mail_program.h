#pragma once
// Mail handed to the workstation's sendmail-compatible program, one process per message.

#include "mail_transport.h"

#include <string>

namespace qm {

class MailProgram final : public MailTransportClient {
  public:
    // program: a path, run as `program -t -i` with no shell; sender may be empty, for the
    // program to fill in its own.
    MailProgram(std::string program, std::string sender, int timeoutSeconds = 120);

    Status send(const Delivery& delivery) override;

  private:
    std::string program_;
    std::string sender_;
    int timeoutSeconds_;
};

} // namespace qm
