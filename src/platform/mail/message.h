#pragma once
// The Internet message a transport hands on: headers and a UTF-8 plain-text body.

#include "mail_logic.h"

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// A moment and the UTC offset of the clock it was read from.
struct MailDate {
    std::time_t when = 0;
    long utcOffsetSeconds = 0;
};
MailDate localMailDate(std::time_t when);
// "Tue, 05 Mar 2024 14:07:09 -0500"
std::string formatMailDate(const MailDate& date);

// An address fit for a header or an SMTP command: line breaks and other controls removed,
// surrounding blanks trimmed.
std::string cleanAddress(std::string_view address);
// The distinct non-empty addresses of To and Cc, cleaned.
std::vector<std::string> deliveryRecipients(const Delivery& delivery);

// The domain part of the sender's address, else this machine's name.
std::string messageIdDomainFor(std::string_view sender);

// RFC 5322 text with CR LF line ends. `from` may be empty, for a mail program that adds its own.
// The body is not dot-stuffed; that is the transport's business.
std::string composeMessage(std::string_view from, const Delivery& delivery, const MailDate& date,
                           std::string_view messageIdDomain);

} // namespace qm
