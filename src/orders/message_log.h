#pragma once
// What the message dialog writes and sends: the log entries of notes and messages, their
// posting to a pending order under the lock, the body of an e-mailed work list, and the one-line
// form of text that arrives by paste or drop. No widgets; log texts are Windows-1252 bytes.

#include "config.h"
#include "mail_logic.h"
#include "order.h"
#include "result.h"
#include "values.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

class DataLock;

// The dialog's three modes and their tags.
enum class MessageMode { Note, Message, List };
QString messageModeTag(MessageMode mode); // "note", "msg", "email"

// The channels of the two delivery boxes; none when neither is ticked.
std::optional<MessageType> deliveryChoice(bool email, bool text);

// A message's log line: the entry of formatLogEntry, then " via eml" for e-mail only or
// " via txt" for text only (nothing for both).
std::string messageLogEntry(const DateTime& now, std::string_view text, std::string_view initials,
                            MessageType type);

// "ddd, mm/dd/yy @ h:mmAMPM ..." in English, e.g. "Mon, 12/07/26 @ 9:05AM ...".
QString listGeneratedStamp(const QDateTime& now);
// The heading line, a blank line, the list, and the business's signature line.
QString listMailBody(const QString& searcher, const QDateTime& now, const QString& listText,
                     const CompanyDetails& company);

// Text for the one-line box: double quotes become apostrophes, and each line break (CR LF, CR
// or LF) and each TAB becomes one blank.
QString singleLineText(QString text);

enum class PostResult {
    Posted,
    NotPending, // no pending record carries the number: nothing written
};
// Appends entry to the notes (or messages) of the first pending record with the number.
Result<PostResult> postLogEntryLocked(const DataLock& lock, const std::string& fileNumber,
                                      OrderField log, const std::string& entry);
// The same as one locked step of its own.
Result<PostResult> postLogEntry(const std::string& dataFolder, const std::string& fileNumber,
                                OrderField log, const std::string& entry);

// Whether Pending.fil holds a record with the number, read under the lock.
Result<bool> isPendingOrder(const std::string& dataFolder, const std::string& fileNumber);

} // namespace qm
