#include "statement.h"

#include "completed_view.h"
#include "cp1252.h"

#include <utility>

namespace qm {

namespace {

std::string replacedAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The number of a split order's first part: the number without its trailing "m"s; empty when
// the number is no second part.
std::string firstPartOf(std::string_view fileNumber) {
    const size_t end = fileNumber.find_last_not_of('m');
    if (end == std::string_view::npos || end + 1 == fileNumber.size())
        return {};
    return std::string(fileNumber.substr(0, end + 1));
}

std::optional<Money> plus(const std::optional<Money>& a, const std::optional<Money>& b) {
    if (!a)
        return b;
    return b ? *a + *b : *a;
}

bool hasAmount(const std::optional<Money>& amount) {
    return amount && !amount->isZero();
}

} // namespace

std::vector<StatementLine> mergeSplitOrders(const std::vector<CompletedRow>& rows,
                                            const std::vector<size_t>& shown) {
    std::vector<StatementLine> lines;
    lines.reserve(shown.size());
    for (size_t i : shown) {
        const CompletedRow& r = rows[i];
        lines.push_back(
            {r.fileNumber, r.searchType, r.muniSearch, r.address, r.feeCents(), r.copiesCents()});
    }
    for (StatementLine& second : lines) {
        const std::string first = firstPartOf(second.fileNumber);
        if (first.empty())
            continue;
        for (StatementLine& target : lines) {
            if (target.fileNumber != first)
                continue;
            // A second part without a municipal search leaves the first part's in place.
            if (!second.muniSearch.empty())
                target.muniSearch = std::exchange(second.muniSearch, std::string());
            target.fee = plus(target.fee, std::exchange(second.fee, std::nullopt));
            target.copies = plus(target.copies, std::exchange(second.copies, std::nullopt));
            break;
        }
    }
    return lines;
}

std::string orderDescription(std::string_view searchType, std::string_view muniSearch) {
    std::string type(searchType);
    if (type.starts_with("R."))
        type = replacedAll(type, "R.", "");
    else if (type.starts_with("C."))
        type = replacedAll(type, "C.", "Com.");
    std::string muni(muniSearch);
    if (muni.starts_with("M."))
        muni = muni.substr(2) + ".Muni";
    if (!type.empty() && !muni.empty())
        return type + ", " + muni;
    return type.empty() ? muni : type;
}

StatementBody statementBodyOf(const std::vector<StatementLine>& lines) {
    StatementBody body;
    for (const StatementLine& line : lines) {
        const std::string number = line.fileNumber;
        const std::string description = orderDescription(line.searchType, line.muniSearch);
        if (description.empty() && !hasAmount(line.fee) && !hasAmount(line.copies))
            continue;
        body.rows.push_back({number,
                             description.empty() ? line.address : description + "; " + line.address,
                             line.fee});
        body.searches += line.fee.value_or(Money());
        if (hasAmount(line.copies)) {
            body.rows.push_back({number, "  copy costs", line.copies});
            body.copies += *line.copies;
        }
    }
    return body;
}

std::string upperCase(std::string_view cp1252) {
    return utf8ToCp1252(QString::fromStdString(cp1252ToUtf8(cp1252)).toUpper().toStdString());
}

std::string statementNumberForDocument(const QString& typed) {
    return utf8ToCp1252(typed.toUpper().toStdString());
}

QString statementFileName(const QString& typed) {
    std::string name = statementNumberForDocument(typed);
    for (char& c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string::npos)
            c = '-';
    }
    return QStringLiteral("Statement_") + QString::fromStdString(cp1252ToUtf8(name)) +
           QStringLiteral(".docx");
}

StatementModel statementModelOf(const CompanyDetails& business, const BillToBoxes& boxes,
                                const QString& typedNumber, const QDate& cutoff,
                                const std::vector<CompletedRow>& rows,
                                const std::vector<size_t>& shown) {
    StatementModel model;
    model.business = business;
    for (size_t i = 0; i < 4; ++i) {
        model.billTo[i] = utf8ToCp1252(boxes[i].text.toStdString());
        model.workFor[i] = utf8ToCp1252(boxes[i].directoryValue.toStdString());
    }
    model.number = statementNumberForDocument(typedNumber);
    model.cutoff = cutoff;
    // The period starts at the first shown order, as the list orders them.
    model.periodHeading = shown.empty()
                              ? QStringLiteral("PERIOD ENDING ")
                              : periodHeading(dayOf(rows[shown.front()].completedAt), cutoff);
    model.body = statementBodyOf(mergeSplitOrders(rows, shown));
    return model;
}

} // namespace qm
