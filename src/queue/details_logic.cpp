#include "details_logic.h"

#include "cp1252.h"
#include "directory_lookup.h"

#include <QLocale>

namespace qm {

namespace {

QString textOf(const OrderRecord& order, OrderField field) {
    return QString::fromStdString(cp1252ToUtf8(order.text(field)));
}

// Day and month names in English whatever the workstation's language.
QString longDate(const QDate& day) {
    return QLocale::c().toString(day, QStringLiteral("dddd, MMMM dd, yyyy"));
}

QString clockTime(const QTime& time) {
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2%3")
        .arg(hour12)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString feeText(const OrderRecord& order, OrderField field) {
    return QString::fromStdString(order.money(field).value_or(Money()).format0_00());
}

} // namespace

QString phoneDigits(const QString& box) {
    QString digits;
    for (QChar c : box)
        if (c.unicode() >= 48)
            digits += c;
    return digits;
}

QString detailsLongDate(const QDate& day) {
    return longDate(day);
}

QString detailsClockTime(const QTime& time) {
    return clockTime(time);
}

QString detailsOpening(const OrderRecord& order, const QString& addressText) {
    const QString crlf = QStringLiteral("\r\n");
    const QString titleCompany = textOf(order, OrderField::TitleCompany);
    const QString customer = textOf(order, OrderField::Customer);
    const QString searchType = textOf(order, OrderField::SearchType);
    const QString muni = textOf(order, OrderField::MuniSearch);
    QString service = searchType;
    if (searchType.isEmpty())
        service = muni;
    else if (!muni.isEmpty())
        service = searchType + QStringLiteral(" w/ ") + muni;

    QString text = textOf(order, OrderField::FileNumber) + QStringLiteral("    ") + addressText +
                   QStringLiteral("    ") + service;
    text += crlf + crlf + QStringLiteral("FROM:      ") +
            (titleCompany.isEmpty() ? customer : titleCompany);
    if (const auto entered = order.enteredAt()) {
        const QDateTime when(QDate(entered->year, entered->month, entered->day),
                             QTime(entered->hour, entered->minute, entered->second));
        text += crlf + QStringLiteral("ENTERED:   ") + longDate(when.date()) +
                QStringLiteral(" @ ") + clockTime(when.time()) + QStringLiteral(" by ") +
                textOf(order, OrderField::EnteredBy);
    } else {
        text += crlf + QStringLiteral("ENTERED:   ");
    }
    return text;
}

QString detailsSearcherLine(const OrderRecord& order, const QString& homePhone,
                            const QString& cellPhone) {
    const QString searcher = textOf(order, OrderField::Searcher);
    QString text = QStringLiteral("\r\nSEARCHER:  ") +
                   QString::fromStdString(cp1252ToUtf8(order.searcherName()));
    if (!searcher.isEmpty())
        text += QStringLiteral("  h ") + phoneDigits(homePhone) + QStringLiteral("  c ") +
                phoneDigits(cellPhone);
    return text;
}

QString detailsNotes(const OrderRecord& order) {
    const QString crlf = QStringLiteral("\r\n");
    const QString titleCompany = textOf(order, OrderField::TitleCompany);
    const QString customer = textOf(order, OrderField::Customer);
    QString agent;
    if (!titleCompany.isEmpty() && !customer.isEmpty())
        agent = QStringLiteral("agent-> ") + customer + crlf + QString(11, QLatin1Char(' '));
    QString text = crlf + crlf + QStringLiteral("NOTES:     ") + agent +
                   QStringLiteral("owner-> ") + textOf(order, OrderField::CurrentOwner) + crlf +
                   textOf(order, OrderField::NotesLog);
    if (titleCompany.isEmpty() || customer.isEmpty())
        text += crlf;
    if (const QString messages = textOf(order, OrderField::MessagesLog); !messages.isEmpty())
        text += crlf + crlf + QStringLiteral("MESSAGES ...") + crlf + messages;
    return text;
}

QString orderDetailsText(const DetailsInput& in) {
    const OrderRecord& order = *in.order;
    QString text = detailsOpening(order, in.addressText);
    text += QStringLiteral("\r\nDUE:       ");
    if (const auto due = order.dueDate()) {
        const QDate day(due->day.year, due->day.month, due->day.day);
        const qint64 days = in.today.daysTo(day);
        text += longDate(day) + QStringLiteral("  [");
        text += days < 0 ? QStringLiteral("%1 days PAST DUE]").arg(-days)
                         : QStringLiteral("%1 days remaining]").arg(days);
    }
    return text + detailsSearcherLine(order, in.homePhone, in.cellPhone) + detailsNotes(order);
}

std::pair<QString, QString> searcherPhones(const std::string& dataFolder, const QString& name) {
    const DirectoryBoxes none = placeholderBoxes(DirectoryKind::Searchers);
    if (name.isEmpty())
        return {none[4], none[5]};
    auto searchers = DirectoryLookup::load(dataFolder, DirectoryKind::Searchers);
    if (!searchers)
        return {none[4], none[5]};
    const auto entry = searchers->entryAt(searchers->firstRowContaining(name));
    if (!entry)
        return {none[4], none[5]};
    return {entry->boxes[4], entry->boxes[5]};
}

QString orderGoneText(const QString& fileNumber) {
    return QStringLiteral("Order %1 is no longer pending; it was changed at another workstation.")
        .arg(fileNumber);
}

DetailsCommands detailsCommandsFor(const OrderRecord& order) {
    const std::optional<DueDate> due = order.dueDate();
    const bool billed = due && due->billedInAdvance;
    const bool hasService =
        !order.text(OrderField::SearchType).empty() || !order.text(OrderField::MuniSearch).empty();
    DetailsCommands c;
    c.notes = true;
    c.edit = !billed;
    c.message = !order.text(OrderField::Searcher).empty();
    c.feeLabels = true;
    c.copyCosts = !billed;
    c.bill = hasService && !billed;
    c.close = hasService;
    c.split = !billed && !order.text(OrderField::SearchType).empty() &&
              !order.text(OrderField::MuniSearch).empty();
    c.baseFee = feeText(order, OrderField::BaseFee);
    c.muniFee = feeText(order, OrderField::MuniFee);
    return c;
}

FeeSource feeSourceOf(const OrderRecord& order) {
    const std::optional<DueDate> due = order.dueDate();
    return {textOf(order, OrderField::FileNumber), order.text(OrderField::BaseFee),
            order.text(OrderField::MuniFee), due && due->billedInAdvance};
}

} // namespace qm
