#pragma once
// Mail through one SMTP connection, opened when the window comes up and kept until it closes.

#include "config.h"
#include "mail_transport.h"

#include <string>

namespace qm {

class SmtpSession final : public MailTransportClient {
  public:
    explicit SmtpSession(MailTransport settings);
    ~SmtpSession() override;
    SmtpSession(const SmtpSession&) = delete;
    SmtpSession& operator=(const SmtpSession&) = delete;

    // Connects, greets, starts TLS and logs in as configured, and checks the server answers.
    Status open() override;
    // Uses the open connection; a connection the server has dropped is made again.
    Status send(const Delivery& delivery) override;
    // Says goodbye to the server.
    void close() override;

    bool isOpen() const { return curl_ != nullptr; }

  private:
    struct Exchange;
    Status prepare();
    Status perform(Exchange& exchange, const char* what);

    MailTransport settings_;
    void* curl_ = nullptr; // CURL*, kept out of this header
};

} // namespace qm
