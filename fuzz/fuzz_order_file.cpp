// Order files: the full reader, the field checks and the light FileNumber scan agree, and the
// values an order carries are written in forms that read back.
//
// Input: byte 0 picks the file (b % 3: Pending, Completed, Archives); the rest is the file.

#include "fuzz_support.h"
#include "order.h"

#include <algorithm>

using namespace qm;

namespace {

void checkRecord(const OrderTable& table, size_t i) {
    const OrderFile file = table.file();
    const size_t count = orderFieldCount(file);

    for (const FieldProblem& p : checkOrderFields(table.records(), i)) {
        FUZZ_CHECK(static_cast<size_t>(p.field) < count, "problems name fields the file has");
        FUZZ_CHECK(p.message.starts_with(orderFieldName(p.field)), "problems say the field");
    }

    const OrderRecord record = table.record(i);
    FUZZ_CHECK(record.fields().size() == count, "a record has its file's field count");
    auto again = parseOrderTable(file, record.encode(), "again");
    FUZZ_CHECK(again && again->size() == 1, "a written order reads back as one record");
    FUZZ_CHECK(again->record(0).fields() == record.fields(), "a written order reads back the same");

    for (OrderFile other : kAllOrderFiles) {
        const OrderRecord moved = record.movedTo(other);
        const size_t keep = std::min(count, orderFieldCount(other));
        FUZZ_CHECK(moved.fields().size() == orderFieldCount(other), "a moved order fits its file");
        for (size_t f = 0; f < keep; ++f)
            FUZZ_CHECK(moved.fields()[f] == record.fields()[f], "moving keeps the shared fields");
    }

    if (const auto entered = parseEnteredAt(table.field(i, OrderField::EnteredAt))) {
        // An edited order keeps EnteredAt as quoted full-form text.
        const Field edited = Field::ofText(formatIsoDateTime(*entered));
        const auto back = parseEnteredAt({edited.kind, edited.text});
        FUZZ_CHECK(back && *back == *entered, "EnteredAt saved as text reads back equal");
    }

    if (const auto due = parseDueDate(table.field(i, OrderField::DueDate))) {
        const Field written = encodeDueDate(*due);
        const auto back = parseDueDate({written.kind, written.text});
        // Reported: years before 1000 are written with fewer than four digits.
        if (!(fuzz::kSkipReported && due->billedInAdvance && due->day.year < 1000)) {
            FUZZ_CHECK(back, "a due date written reads back");
            FUZZ_CHECK(back->day == due->day.dateOnly() &&
                           back->billedInAdvance == due->billedInAdvance,
                       "a due date written reads back as the same day and marker");
        }
    }

    if (file == OrderFile::Archives) {
        const FieldView stated = table.field(i, OrderField::StatementDate);
        if (const auto day = parseShortDate(stated.text)) {
            const auto back = parseShortDate(formatStatementDate(*day));
            // Reported: years before 1000 are written with fewer than four digits.
            if (!(fuzz::kSkipReported && day->year < 1000))
                FUZZ_CHECK(back && *back == *day, "a statement date written reads back equal");
        }
    }

    const std::string name = record.searcherName();
    FUZZ_CHECK(name.find('*') == std::string::npos, "the searcher's name has no marker");
    FUZZ_CHECK(record.searcherNotified() ==
                   (name.size() != record.text(OrderField::Searcher).size()),
               "a marker follows the name exactly when the order was sent");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const OrderFile file = kAllOrderFiles[data[0] % 3];
    const std::string_view bytes = fuzz::asText(data + 1, size - 1);

    auto table = parseOrderTable(file, std::string(bytes), "fuzz.fil");
    auto numbers = scanFileNumbers(bytes, file, "fuzz.fil");
    if (numbers) {
        const std::string next = nextGeneratedFileNumber(*numbers);
        FUZZ_CHECK(next.starts_with("QM") && next.size() >= 7,
                   "generated numbers are QM and digits");
    }
    if (!table)
        return 0;

    // The scan is the lighter reading of the same structure.
    FUZZ_CHECK(numbers, "the scan reads every file the reader reads");
    FUZZ_CHECK(numbers->size() == table->size(), "the scan finds every record");
    for (size_t i = 0; i < table->size(); ++i) {
        const FieldView number = table->field(i, OrderField::FileNumber);
        // Reported: the scan keeps a #literal# FileNumber with its # signs and what follows.
        const bool literal = number.kind == FieldKind::Date || number.kind == FieldKind::Boolean;
        if (!(fuzz::kSkipReported && literal))
            FUZZ_CHECK((*numbers)[i] == number.text, "the scan finds each record's FileNumber");
        checkRecord(*table, i);
    }
    return 0;
}
