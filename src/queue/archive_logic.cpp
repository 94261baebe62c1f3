#include "archive_logic.h"

#include "cp1252.h"
#include "details_logic.h"
#include "disk_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qm {

namespace {

// Places are counted from 1, as the line's layout gives them.
struct Column {
    size_t place, width;
};
constexpr Column kCompletedColumn{1, 16};
constexpr Column kAddressColumn{17, 38};
constexpr Column kFileNumberColumn{55, 17};
constexpr Column kTypeColumn{72, 15};
constexpr Column kMuniColumn{87, 10};
constexpr Column kFeeColumn{97, 7};
constexpr Column kCopiesColumn{109, 7};
constexpr Column kStatementColumn{120, 10};
constexpr Column kStatementDateColumn{130, 5};

FieldView fieldOf(const RecordTable& table, size_t record, OrderField f) {
    return table.field(record, static_cast<size_t>(f));
}

void put(char* line, Column c, std::string_view value) {
    std::memcpy(line + c.place - 1, value.data(), std::min(value.size(), c.width));
}

// Right-aligned in its width. An amount too wide runs on into the blanks after its column
// (up to `end`, 1-based and exclusive) rather than losing its leading digits.
void putAmount(char* line, Column c, size_t end, const std::string& amount) {
    const size_t columnEnd = c.place - 1 + c.width;
    if (amount.size() <= c.width) {
        std::memcpy(line + columnEnd - amount.size(), amount.data(), amount.size());
        return;
    }
    std::memcpy(line + c.place - 1, amount.data(), std::min(amount.size(), end - c.place));
}

std::string twoDigits(int n) {
    const char digits[3] = {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10),
                            0};
    return digits;
}

Money moneyOf(const FieldView& field) {
    return field.money().value_or(Money());
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// "h:mm", "h:mm:ss", either with " AM"/" PM" or "AM"/"PM".
bool parseClock(std::string_view text, DateTime& when) {
    text = trimmed(text);
    int pm = -1;
    for (const char* suffix : {"AM", "PM", "am", "pm"}) {
        if (text.size() > 2 && text.ends_with(suffix)) {
            pm = suffix[0] == 'P' || suffix[0] == 'p';
            text = trimmed(text.substr(0, text.size() - 2));
            break;
        }
    }
    int parts[3] = {0, 0, 0};
    int count = 0;
    size_t pos = 0;
    while (count < 3) {
        int value = 0;
        size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 2) {
            value = value * 10 + (text[pos++] - '0');
            ++digits;
        }
        if (digits == 0)
            return false;
        parts[count++] = value;
        if (pos == text.size())
            break;
        if (text[pos++] != ':')
            return false;
    }
    if (pos != text.size() || count < 2 || parts[1] > 59 || parts[2] > 59)
        return false;
    int hour = parts[0];
    if (pm >= 0) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (pm ? 12 : 0);
    } else if (hour > 23) {
        return false;
    }
    when.hour = hour;
    when.minute = parts[1];
    when.second = parts[2];
    return true;
}

QString textOf(const OrderRecord& order, OrderField f) {
    return fromDisk(order.text(f));
}

FieldView viewOf(const OrderRecord& order, OrderField f) {
    const Field& field = order.field(f);
    return {field.kind, field.text};
}

std::array<unsigned char, 256> makeFoldTable() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        table[static_cast<size_t>(b)] = static_cast<unsigned char>(b);
        const char byte = static_cast<char>(b);
        const QString character = fromDisk(std::string_view(&byte, 1));
        const QString upper = character.toUpper();
        if (upper == character || upper.size() != 1)
            continue;
        const std::string back = utf8ToCp1252(upper.toStdString());
        if (back.size() == 1 && back != "?")
            table[static_cast<size_t>(b)] = static_cast<unsigned char>(back[0]);
    }
    return table;
}

const std::array<unsigned char, 256>& foldTable() {
    static const std::array<unsigned char, 256> table = makeFoldTable();
    return table;
}

// The single Windows-1252 byte of a character; none when the code page lacks it.
std::optional<unsigned char> diskByte(char32_t codePoint) {
    const QString character = QString::fromUcs4(&codePoint, 1);
    const std::string byte = utf8ToCp1252(character.toStdString());
    if (byte.size() != 1 || (byte == "?" && codePoint != U'?'))
        return std::nullopt;
    return static_cast<unsigned char>(byte[0]);
}

} // namespace

QString archiveCaption(const QString& searchText) {
    static const QString initial = QStringLiteral("Quillmark Archives") + QString(30, u' ') +
                                   QStringLiteral("search text =>") + QString(3, u' ');
    return initial + searchText;
}

std::string archiveAddress(std::string_view address1, std::string_view address2,
                           std::string_view town) {
    std::string address(address1);
    if (!address2.empty()) {
        address += ' ';
        address += address2;
    }
    return address + ", " + properCase(town);
}

std::optional<DateTime> archiveMoment(const FieldView& field) {
    if (auto when = field.date())
        return when;
    if (field.kind != FieldKind::Text && field.kind != FieldKind::Bare)
        return std::nullopt;
    const std::string_view text = trimmed(field.text);
    const size_t blank = text.find(' ');
    auto when = parseShortDate(text.substr(0, blank));
    if (!when)
        return std::nullopt;
    if (blank != std::string_view::npos && !parseClock(text.substr(blank + 1), *when))
        return std::nullopt;
    return when;
}

void writeArchiveLine(const RecordTable& table, size_t record, char* line) {
    std::memset(line, ' ', kArchiveLineWidth);
    auto field = [&](OrderField f) { return fieldOf(table, record, f); };

    const FieldView completed = field(OrderField::CompletedAt);
    if (const auto when = archiveMoment(completed)) {
        put(line, kCompletedColumn,
            twoDigits(when->month) + "/" + twoDigits(when->day) + "/" + twoDigits(when->year) +
                " " + twoDigits(when->hour) + ":" + twoDigits(when->minute));
    } else {
        put(line, kCompletedColumn, completed.text);
    }
    put(line, kAddressColumn,
        archiveAddress(field(OrderField::PropertyAddress1).text,
                       field(OrderField::PropertyAddress2).text, field(OrderField::Town).text));
    put(line, kFileNumberColumn, field(OrderField::FileNumber).text);
    put(line, kTypeColumn, field(OrderField::SearchType).text);
    put(line, kMuniColumn, field(OrderField::MuniSearch).text);
    const Money fees = moneyOf(field(OrderField::BaseFee)) + moneyOf(field(OrderField::MuniFee));
    putAmount(line, kFeeColumn, kCopiesColumn.place, fees.format0_00());
    putAmount(line, kCopiesColumn, kStatementColumn.place,
              moneyOf(field(OrderField::CopyCosts)).format0_00());
    put(line, kStatementColumn, field(OrderField::StatementNumber).text);
    const FieldView statementDate = field(OrderField::StatementDate);
    std::optional<DateTime> day = parseShortDate(trimmed(statementDate.text));
    if (!day)
        day = statementDate.date();
    put(line, kStatementDateColumn,
        day ? twoDigits(day->month) + "/" + twoDigits(day->day) : std::string(statementDate.text));
}

std::string archiveLine(const RecordTable& table, size_t record) {
    std::string line(kArchiveLineWidth, ' ');
    writeArchiveLine(table, record, line.data());
    return line;
}

std::string_view archiveCustomerKey(const RecordTable& table, size_t record) {
    const std::string_view company = fieldOf(table, record, OrderField::TitleCompany).text;
    if (!company.empty())
        return company;
    const std::string_view customer = fieldOf(table, record, OrderField::Customer).text;
    return customer.substr(0, customer.find(" - "));
}

std::vector<int> sortedCustomerOrder(const QStringList& keys) {
    std::vector<int> order(static_cast<size_t>(keys.size()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int byLetters = QString::compare(keys[a], keys[b], Qt::CaseInsensitive);
        return byLetters != 0 ? byLetters < 0 : keys[a] < keys[b];
    });
    return order;
}

QChar searchCharacter(QChar typed) {
    const QChar upper = typed.toUpper();
    return diskByte(upper.unicode()) ? upper : typed;
}

unsigned char foldCase(unsigned char c) {
    return foldTable()[c];
}

ArchiveSearch::ArchiveSearch(const QString& text) {
    for (char32_t codePoint : text.toUcs4()) {
        const auto byte = diskByte(codePoint);
        if (!byte) {
            unmatchable_ = true;
            return;
        }
        needle_ += static_cast<char>(foldCase(*byte));
    }
}

bool ArchiveSearch::foundIn(std::string_view text) const {
    const size_t n = needle_.size();
    if (n == 0)
        return true;
    if (n > text.size())
        return false;
    const auto& fold = foldTable();
    const auto* hay = reinterpret_cast<const unsigned char*>(text.data());
    const auto* needle = reinterpret_cast<const unsigned char*>(needle_.data());
    const unsigned char first = needle[0];
    const size_t last = text.size() - n;
    for (size_t i = 0; i <= last; ++i) {
        if (fold[hay[i]] != first)
            continue;
        size_t k = 1;
        while (k < n && fold[hay[i + k]] == needle[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

bool ArchiveSearch::straddles(std::string_view line, std::string_view tail) const {
    const size_t n = needle_.size();
    const auto& fold = foldTable();
    auto same = [&](std::string_view part, size_t from) {
        for (size_t j = 0; j < part.size(); ++j)
            if (fold[static_cast<unsigned char>(part[j])] !=
                static_cast<unsigned char>(needle_[from + j]))
                return false;
        return true;
    };
    // k bytes at the end of the line, the rest at the start of the tail.
    for (size_t k = 1; k < n && k <= line.size(); ++k) {
        if (n - k > tail.size())
            continue;
        if (same(line.substr(line.size() - k), 0) && same(tail.substr(0, n - k), k))
            return true;
    }
    return false;
}

double archiveListFontFactor(double zoomFactor) {
    const long position = std::lround((zoomFactor - 1) * 100);
    if (position >= 13 && position <= 15)
        return 1.05;
    if (position == 40)
        return 0.95;
    return 1.0;
}

QString plainAmount(const FieldView& field) {
    const auto amount = field.money();
    if (!amount)
        return fromDisk(field.text);
    std::string text = amount->toStored();
    if (text.starts_with('.'))
        text.insert(0, "0");
    else if (text.starts_with("-."))
        text.insert(1, "0");
    return QString::fromStdString(text);
}

QString archiveDetailsText(const ArchiveDetailsInput& in) {
    const OrderRecord& order = *in.order;
    const QString crlf = QStringLiteral("\r\n");
    const QString address = fromDisk(archiveAddress(order.text(OrderField::PropertyAddress1),
                                                    order.text(OrderField::PropertyAddress2),
                                                    order.text(OrderField::Town)));
    QString text = detailsOpening(order, address);

    const std::optional<DueDate> due = order.dueDate();
    text += crlf + QStringLiteral("DUE DATE:  ");
    if (due) {
        text += detailsLongDate(QDate(due->day.year, due->day.month, due->day.day));
    } else {
        QString stored = textOf(order, OrderField::DueDate);
        if (stored.endsWith(u'*'))
            stored.chop(1);
        text += stored;
    }
    text += crlf + QStringLiteral("COMPLETED: ");
    if (due && due->billedInAdvance) {
        text += QStringLiteral("... still pending");
    } else if (const auto done = archiveMoment(viewOf(order, OrderField::CompletedAt))) {
        text += detailsLongDate(QDate(done->year, done->month, done->day)) + QStringLiteral(" @ ") +
                detailsClockTime(QTime(done->hour, done->minute));
    } else {
        text += textOf(order, OrderField::CompletedAt);
    }
    text += detailsSearcherLine(order, in.homePhone, in.cellPhone);
    text += crlf + crlf + QStringLiteral("FEES:      Base = $") +
            plainAmount(viewOf(order, OrderField::BaseFee)) + QStringLiteral(",  Muni = $") +
            plainAmount(viewOf(order, OrderField::MuniFee)) + QStringLiteral(",  Copies = $") +
            plainAmount(viewOf(order, OrderField::CopyCosts)) + crlf;
    text += QStringLiteral("INVOICE:   ") + textOf(order, OrderField::StatementNumber) +
            QStringLiteral(" on ") + textOf(order, OrderField::StatementDate);
    return text + detailsNotes(order);
}

} // namespace qm
