#pragma once
// The seam between SendMsg and whatever carries the mail away.

#include "mail_logic.h"
#include "result.h"

namespace qm {

class MailTransportClient {
  public:
    virtual ~MailTransportClient() = default;
    // Signs on where the mail system has a session; the error's message says why it failed.
    virtual Status open() { return okStatus(); }
    // Blocks until the mail system has taken the message.
    virtual Status send(const Delivery& delivery) = 0;
    virtual void close() {}
};

// The error a transport reports: its message is the failure text shown to the user.
inline Error mailError(std::string message) {
    Error error;
    error.kind = ErrorKind::Io;
    error.message = std::move(message);
    return error;
}

} // namespace qm
