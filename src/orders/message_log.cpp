#include "message_log.h"

#include "data_lock.h"
#include "disk_text.h"
#include "order_splice.h"

#include <QLocale>

namespace qm {

QString messageModeTag(MessageMode mode) {
    switch (mode) {
    case MessageMode::Note:
        return QStringLiteral("note");
    case MessageMode::Message:
        return QStringLiteral("msg");
    case MessageMode::List:
        break;
    }
    return QStringLiteral("email");
}

std::optional<MessageType> deliveryChoice(bool email, bool text) {
    if (email && text)
        return MessageType::EmailWithTextCopy;
    if (email)
        return MessageType::EmailOnly;
    if (text)
        return MessageType::TextOnly;
    return std::nullopt;
}

std::string messageLogEntry(const DateTime& now, std::string_view text, std::string_view initials,
                            MessageType type) {
    std::string entry = formatLogEntry(now, text, initials);
    if (type == MessageType::EmailOnly)
        entry += " via eml";
    else if (type == MessageType::TextOnly)
        entry += " via txt";
    return entry;
}

QString listGeneratedStamp(const QDateTime& now) {
    // English names and designators whatever the workstation's language.
    const QLocale c = QLocale::c();
    return c.toString(now, QStringLiteral("ddd, MM/dd/yy @ h:mmAP")) + QStringLiteral(" ...");
}

QString listMailBody(const QString& searcher, const QDateTime& now, const QString& listText,
                     const CompanyDetails& company) {
    return QStringLiteral("List of pending searches for  ") + searcher +
           QStringLiteral("  generated ") + listGeneratedStamp(now) + QStringLiteral("\r\n\r\n") +
           listText + QStringLiteral("\r\n") + fromDisk(company.name).toUpper() +
           QStringLiteral("   Phone: ") + fromDisk(company.phone) + QStringLiteral("   Fax: ") +
           fromDisk(company.fax);
}

QString singleLineText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : text) {
        if (c == QLatin1Char('"'))
            c = QLatin1Char('\'');
        else if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return text;
}

Result<PostResult> postLogEntryLocked(const DataLock& lock, const std::string& fileNumber,
                                      OrderField log, const std::string& entry) {
    auto found = findOrders(lock, OrderFile::Pending, fileNumber);
    if (!found)
        return found.error();
    if (found->orders.empty())
        return PostResult::NotPending;
    // Only the first record with the number: a hand-made duplicate further on is left alone.
    const FoundOrder& first = found->orders.front();
    OrderRecord posted = first.record;
    posted.setText(log, first.record.text(log) + entry);
    OrderSplice splice;
    splice.changes[first.place.index] = std::move(posted);
    if (Status spliced = spliceOrderFile(lock, *found, splice); !spliced)
        return spliced.error();
    return PostResult::Posted;
}

Result<PostResult> postLogEntry(const std::string& dataFolder, const std::string& fileNumber,
                                OrderField log, const std::string& entry) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    return postLogEntryLocked(*lock, fileNumber, log, entry);
}

Result<bool> isPendingOrder(const std::string& dataFolder, const std::string& fileNumber) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    auto found = findOrders(*lock, OrderFile::Pending, fileNumber);
    if (!found)
        return found.error();
    return !found->orders.empty();
}

} // namespace qm
