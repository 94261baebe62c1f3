#include "generator.h"

#include "config.h"
#include "directory_files.h"
#include "files.h"
#include "order.h"
#include "record.h"
#include "sample_data.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace qm {

namespace {

using namespace sample;

// ---- calendar: moments are seconds on the civil calendar; the files know no time zones.

using Moment = std::int64_t;
constexpr Moment kHour = 3600;
constexpr Moment kDay = 24 * kHour;

std::int64_t daysFromCivil(int year, int month, int day) {
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return std::int64_t{era} * 146097 + doe - 719468;
}

DateTime civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int doe = static_cast<int>(days - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    DateTime out;
    out.day = doy - (153 * mp + 2) / 5 + 1;
    out.month = mp < 10 ? mp + 3 : mp - 9;
    out.year = static_cast<int>(yoe + era * 400) + (out.month <= 2 ? 1 : 0);
    return out;
}

Moment toMoment(const DateTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * kDay + t.hour * kHour + t.minute * 60 + t.second;
}

DateTime toDateTime(Moment m) {
    std::int64_t days = m / kDay;
    std::int64_t rest = m % kDay;
    if (rest < 0) {
        rest += kDay;
        --days;
    }
    DateTime out = civilFromDays(days);
    out.hour = static_cast<int>(rest / kHour);
    out.minute = static_cast<int>(rest % kHour / 60);
    out.second = static_cast<int>(rest % 60);
    return out;
}

Moment startOfDay(Moment m) {
    return m - (m % kDay + kDay) % kDay;
}

// ---- order files

// Writes records through a large buffer: one system call per few megabytes.
class RecordFile {
  public:
    explicit RecordFile(std::string path) : path_(std::move(path)) {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd_ < 0)
            status_ = systemError(path_, errno, "cannot create the file");
        buffer_.reserve(kFlushAt + 64 * 1024);
    }
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    void add(const OrderRecord& record) {
        appendEncodedRecord(buffer_, record.fields());
        ++records_;
        if (buffer_.size() >= kFlushAt)
            flush();
    }
    size_t records() const { return records_; }

    Status finish() {
        flush();
        if (fd_ >= 0 && ::close(fd_) != 0 && status_)
            status_ = systemError(path_, errno, "cannot close the file");
        fd_ = -1;
        return status_;
    }

  private:
    static constexpr size_t kFlushAt = 4 << 20;

    void flush() {
        std::string_view rest = buffer_;
        while (status_ && !rest.empty()) {
            const ssize_t n = ::write(fd_, rest.data(), rest.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                status_ = systemError(path_, errno, "cannot write the file");
            else
                rest.remove_prefix(static_cast<size_t>(n));
        }
        buffer_.clear();
    }

    std::string path_;
    int fd_ = -1;
    std::string buffer_;
    size_t records_ = 0;
    Status status_ = okStatus();
};

// One order as the program would have built it, before it is laid out as a record.
struct Draft {
    Moment entered = 0;
    bool enteredAsText = false; // edited and saved again
    std::string number;
    const Customer* company = nullptr;
    const Customer* attorney = nullptr;
    std::string address1, address2, town, owner;
    std::string searchType, muniSearch;
    DateTime due;
    bool billedInAdvance = false;
    std::string searcher; // with the "*" marker when notified
    std::string enteredBy;
    Money baseFee, muniFee;
    std::string notes, messages;
    Moment completedAt = 0;
    bool completedAtIsEntered = false; // the copy made when billing in advance
    Money copyCosts;
    std::string statementNumber;
    DateTime statementDate;
};

enum class CopyPlace { None, Completed, Archives };

class OrderMaker {
  public:
    OrderMaker(Random& random, const Directory& dir, const GeneratorOptions& options)
        : random_(random), dir_(dir), today_(toMoment(options.today.dateOnly())) {
        const size_t total = options.pending + options.completed + options.archived;
        // Generated numbers have five digits; keep their share below that at any size.
        qmPermille_ =
            total == 0 ? 0 : static_cast<std::uint32_t>(std::min<size_t>(700, 95'000'000 / total));
    }

    Moment today() const { return today_; }

    Draft newOrder(Moment entered, bool wantGenerated = false) {
        Draft d;
        d.entered = entered;
        d.enteredAsText = random_.percent(20);
        const std::uint32_t who = random_.below(100);
        if (who < 55 || who >= 90)
            d.company =
                &dir_.companies[random_.below(static_cast<std::uint32_t>(dir_.companies.size()))];
        if (who >= 55)
            d.attorney =
                &dir_.attorneys[random_.below(static_cast<std::uint32_t>(dir_.attorneys.size()))];
        d.number = fileNumber(d.company ? *d.company : *d.attorney, wantGenerated);
        d.address1 = streetAddress(random_);
        if (random_.percent(12)) {
            if (random_.percent(50)) {
                d.address2 = "Unit " + std::to_string(random_.between(1, 40));
            } else {
                d.address2 = "Lot " + std::to_string(random_.between(1, 60));
                d.address2 += " Block " + std::to_string(random_.between(1, 900));
            }
        }
        d.town = std::string(random_.pick(kTowns));
        d.owner = ownerName();
        const std::uint32_t kind = random_.below(100);
        if (kind < 85)
            d.searchType = regularService().code;
        if (kind >= 45 || d.searchType.empty())
            d.muniSearch = muniService().code;
        d.baseFee = pickListFee(d, d.searchType);
        d.muniFee = pickListFee(d, d.muniSearch);
        d.due = toDateTime(startOfDay(entered) + random_.between(3, 10) * kDay).dateOnly();
        d.searcher =
            dir_.searchers[random_.below(static_cast<std::uint32_t>(dir_.searchers.size()))].name +
            "*";
        d.enteredBy = enteredByName(random_.pick(kUsers));
        return d;
    }

    // Log lines between two moments, oldest first.
    void addNotes(Draft& d, int count, Moment until) {
        addLog(d.notes, count, d.entered, until, kNoteTexts, false);
    }
    void addMessages(Draft& d, int count, Moment until) {
        addLog(d.messages, count, d.entered, until, kMessageTexts, true);
    }
    void addLogs(Draft& d, Moment until) {
        const std::uint32_t n = random_.below(100);
        addNotes(d, n < 45 ? 0 : n < 75 ? 1 : n < 90 ? 2 : random_.between(3, 5), until);
        const std::uint32_t m = random_.below(100);
        addMessages(d, m < 50 ? 0 : random_.between(1, 3), until);
    }

    std::string logLine(Moment when, std::string_view text) {
        return formatLogEntry(toDateTime(when), text, userInitials(random_.pick(kUsers)));
    }

    // The municipal half of a combined order leaves as its own order, numbered with "m".
    Draft splitOff(Draft& original, Moment when) {
        if (original.muniSearch.empty())
            original.muniSearch = muniService().code;
        if (original.searchType.empty()) {
            original.searchType = regularService().code;
            original.baseFee = pickListFee(original, original.searchType);
        }
        Draft half = original;
        half.number += "m";
        half.entered = when;
        half.enteredAsText = false;
        half.searchType.clear();
        half.baseFee = Money();
        half.muniFee = pickListFee(half, half.muniSearch);
        half.notes.clear();
        half.messages.clear();
        original.muniSearch.clear();
        original.muniFee = Money();
        original.enteredAsText = true; // pulled, saved again
        return half;
    }

    // Closing confirms the fees, mostly as they were.
    void close(Draft& d, Moment when) {
        d.completedAt = when;
        if (random_.percent(12)) {
            const std::int64_t change =
                std::array{250000, -100000, 125000, 500000}[random_.below(4)];
            d.baseFee = std::max(Money(), d.baseFee + Money::fromUnits(change));
        }
        // Copies in steps of 2.50.
        d.copyCosts =
            random_.percent(40) ? Money() : Money::fromUnits(25000 * random_.between(1, 16));
    }

    void billOnStatement(Draft& d, Moment statementDay) {
        d.statementDate = toDateTime(statementDay).dateOnly();
        const Customer& c = d.company ? *d.company : *d.attorney;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%02d%02d-%02zu", d.statementDate.year % 100,
                      d.statementDate.month, c.id);
        d.statementNumber = buf;
    }

    Moment workingMoment(Moment day) {
        return startOfDay(day) + 8 * kHour + random_.between(0, 10 * 3600 - 1);
    }
    // The day's 24 hours squeezed into 08:00 to 18:00, keeping the order of moments.
    static Moment duringWork(Moment m) {
        const Moment day = startOfDay(m);
        return day + 8 * kHour + (m - day) * 10 / 24;
    }

    Random& random() { return random_; }

  private:
    std::string fileNumber(const Customer& c, bool wantGenerated) {
        if (nextQm_ <= 99999 && (wantGenerated || random_.below(1000) < qmPermille_)) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "QM%05ld", nextQm_++);
            return buf;
        }
        // The customer's own numbers; the running count keeps them unique.
        char buf[48];
        std::snprintf(buf, sizeof buf, c.attorney ? "%s%06zu" : "%s-%06zu", c.numberPrefix.c_str(),
                      ++ownNumbers_);
        return buf;
    }

    std::string ownerName() {
        const std::string first(random_.pick(kFirstNames));
        const std::string last(random_.pick(kLastNames));
        switch (random_.below(10)) {
        case 0:
            return last + " Family Trust";
        case 1:
            return "Estate of " + first + " " + last;
        case 2:
            return std::string(random_.pick(kStreets)) + " Holdings LLC";
        case 3:
        case 4:
            return first + " & " + std::string(random_.pick(kFirstNames)) + " " + last;
        default:
            return first + " " + last;
        }
    }

    const Service& regularService() {
        for (;;) {
            const Service& s = random_.pick(kServices);
            if (!std::string_view(s.code).starts_with("M."))
                return s;
        }
    }
    const Service& muniService() {
        for (;;) {
            const Service& s = random_.pick(kServices);
            if (std::string_view(s.code).starts_with("M."))
                return s;
        }
    }

    // The pick lists carry whole dollars, from the customer's rates when it has its own.
    static Money pickListFee(const Draft& d, const std::string& code) {
        if (code.empty())
            return Money();
        const Customer* rates = d.company ? d.company : d.attorney;
        for (const auto& [c, fee] : rates->customRates)
            if (c == code)
                return Money::fromDollars(roundFeeToDollars(fee));
        for (const Service& s : kServices)
            if (code == s.code)
                return Money::fromDollars(roundFeeToDollars(s.fee));
        return Money();
    }

    // Lines fall in working hours, in order, after the order was entered and by `until`.
    template <size_t N>
    void addLog(std::string& log, int count, Moment from, Moment until,
                const std::string_view (&texts)[N], bool channels) {
        until = std::max(until, from + kHour);
        const Moment step = std::max<Moment>(60, (until - from) / (count + 1));
        Moment raw = from;
        Moment last = from;
        for (int i = 0; i < count; ++i) {
            raw += 60 + random_.below(static_cast<std::uint32_t>(step));
            last = std::min(until, std::max(duringWork(raw), last + 60));
            log += logLine(last, random_.pick(texts));
            if (channels && random_.percent(20))
                log += random_.percent(50) ? " via eml" : " via txt";
        }
    }

    Random& random_;
    const Directory& dir_;
    Moment today_;
    std::uint32_t qmPermille_ = 0;
    long nextQm_ = 1;
    size_t ownNumbers_ = 0;
};

OrderRecord toRecord(const Draft& d, OrderFile file) {
    OrderRecord r(file);
    const Field entered = d.enteredAsText ? Field::ofText(formatIsoDateTime(toDateTime(d.entered)))
                                          : Field::ofDate(toDateTime(d.entered));
    r.set(OrderField::EnteredAt, entered);
    r.setText(OrderField::FileNumber, d.number);
    r.setText(OrderField::TitleCompany, d.company ? d.company->listText : "");
    r.setText(OrderField::Customer, d.attorney ? d.attorney->listText : "");
    r.setText(OrderField::PropertyAddress1, d.address1);
    r.setText(OrderField::PropertyAddress2, d.address2);
    r.setText(OrderField::Town, d.town);
    r.setText(OrderField::CurrentOwner, d.owner);
    r.setText(OrderField::SearchType, d.searchType);
    r.setText(OrderField::MuniSearch, d.muniSearch);
    r.setDueDate({d.due, d.billedInAdvance});
    r.setText(OrderField::Searcher, d.searcher);
    r.setText(OrderField::EnteredBy, d.enteredBy);
    r.set(OrderField::BaseFee, Field::ofMoney(d.baseFee));
    r.set(OrderField::MuniFee, Field::ofMoney(d.muniFee));
    r.setText(OrderField::NotesLog, d.notes);
    r.setText(OrderField::MessagesLog, d.messages);
    if (file == OrderFile::Pending)
        return r;
    r.set(OrderField::CompletedAt,
          d.completedAtIsEntered ? entered : Field::ofDate(toDateTime(d.completedAt)));
    r.set(OrderField::CopyCosts, Field::ofMoney(d.copyCosts));
    if (file == OrderFile::Completed)
        return r;
    r.setText(OrderField::StatementNumber, d.statementNumber);
    r.setText(OrderField::StatementDate, formatStatementDate(d.statementDate));
    return r;
}

// Orders closed and perhaps billed: `count` records in the order they were closed, entered
// between `from` and `to` (day moments).
void writeClosedOrders(OrderMaker& maker, RecordFile& out, OrderFile file, size_t count,
                       Moment from, Moment to) {
    Random& random = maker.random();
    const Moment today = maker.today();
    const std::int64_t spanDays = std::max<std::int64_t>(1, (to - from) / kDay);
    for (size_t i = 0; i < count; ++i) {
        const Moment day = from + static_cast<Moment>(static_cast<std::int64_t>(i) * spanDays /
                                                      static_cast<std::int64_t>(count)) *
                                      kDay;
        Draft d = maker.newOrder(maker.workingMoment(day));
        Moment closed = std::min(today + 17 * kHour,
                                 maker.workingMoment(d.entered + random.between(1, 10) * kDay));
        closed = std::max(closed, d.entered + kHour);
        const bool split = i + 1 < count && random.percent(2);
        Draft half;
        if (split)
            half = maker.splitOff(d, std::min(closed, d.entered + random.between(1, 8) * kHour));
        if (random.percent(3)) { // billed in advance earlier, closed since: the marker is gone
            const Moment billed = OrderMaker::duringWork(d.entered + (closed - d.entered) / 2);
            maker.addLogs(d, billed);
            d.notes += maker.logLine(std::max(billed, d.entered), kBillInAdvanceNote);
        } else {
            maker.addLogs(d, closed);
        }
        maker.close(d, closed);
        Moment statement = 0;
        if (file == OrderFile::Archives) {
            statement = std::min(today, startOfDay(closed) + random.between(2, 20) * kDay);
            maker.billOnStatement(d, statement);
        }
        out.add(toRecord(d, file));
        if (split) {
            maker.close(half, closed);
            if (file == OrderFile::Archives)
                maker.billOnStatement(half, statement);
            out.add(toRecord(half, file));
            ++i;
        }
    }
}

// Where the copies of orders billed in advance go: about one pending order in twenty, at most
// half of each closed file, and both files when both have room.
std::vector<CopyPlace> planBilledInAdvance(const GeneratorOptions& o) {
    std::vector<CopyPlace> plan(o.pending, CopyPlace::None);
    size_t completedRoom = std::max(o.completed / 2, std::min<size_t>(o.completed, 1));
    size_t archivedRoom = std::max(o.archived / 2, std::min<size_t>(o.archived, 1));
    size_t billed = 0;
    for (size_t i = 0; i < o.pending; i += 20, ++billed) {
        const bool archiveFirst = billed % 3 == 1;
        if (archiveFirst && archivedRoom > 0) {
            plan[i] = CopyPlace::Archives;
            --archivedRoom;
        } else if (completedRoom > 0) {
            plan[i] = CopyPlace::Completed;
            --completedRoom;
        } else if (archivedRoom > 0) {
            plan[i] = CopyPlace::Archives;
            --archivedRoom;
        }
    }
    return plan;
}

void writePendingOrders(OrderMaker& maker, const std::vector<CopyPlace>& plan, RecordFile& pending,
                        RecordFile& completed, RecordFile& archives) {
    Random& random = maker.random();
    const Moment today = maker.today();
    const Moment now = today + 18 * kHour;
    const size_t count = plan.size();
    for (size_t i = 0; i < count; ++i) {
        const Moment day = today - 20 * kDay + static_cast<Moment>(20 * i / count) * kDay;
        const bool split = i + 1 < count && plan[i] == CopyPlace::None &&
                           plan[i + 1] == CopyPlace::None && (i == 4 || random.percent(2));
        Draft d = maker.newOrder(maker.workingMoment(day), split || plan[i] != CopyPlace::None);
        // The queue's colours: overdue, due yesterday, today, tomorrow, later. The first few
        // orders show each of them.
        static constexpr int kFirstDue[] = {-1, 0, 1, 7};
        const std::uint32_t r = random.below(100);
        const int dueIn = i < std::size(kFirstDue) ? kFirstDue[i]
                          : r < 10                 ? -random.between(2, 10)
                          : r < 22                 ? -1
                          : r < 40                 ? 0
                          : r < 58                 ? 1
                                                   : random.between(2, 21);
        d.due = toDateTime(today + dueIn * kDay).dateOnly();
        if (d.entered > toMoment(d.due) - kDay)
            d.entered =
                maker.workingMoment(std::min(today, toMoment(d.due) - random.between(2, 6) * kDay));
        const std::uint32_t who = random.below(100);
        if (i == 1 || (i > 3 && who < 12))
            d.searcher.pop_back(); // chosen, not yet sent
        else if (i == 2 || (i > 3 && who < 25))
            d.searcher.clear();
        if (i == 1)
            d.enteredAsText = true;
        if (i == 3)
            d.enteredAsText = false;
        Draft half;
        if (split)
            half = maker.splitOff(d, std::min(now, d.entered + random.between(1, 30) * kHour));
        const Moment billedAt = std::max(
            d.entered,
            OrderMaker::duringWork(std::min(now, d.entered + random.between(1, 48) * kHour)));
        const Moment logsUntil = plan[i] == CopyPlace::None ? now : billedAt;
        if (i < 2)
            maker.addNotes(d, 2 + static_cast<int>(i), logsUntil);
        else
            maker.addLogs(d, logsUntil);
        if (plan[i] != CopyPlace::None) {
            d.billedInAdvance = true;
            d.notes += maker.logLine(billedAt, kBillInAdvanceNote);
            Draft copy = d;
            maker.close(copy, billedAt);
            copy.completedAtIsEntered = true;
            if (copy.copyCosts.isZero())
                copy.copyCosts = Money::fromDollars(5);
            if (plan[i] == CopyPlace::Archives) {
                maker.billOnStatement(
                    copy, std::min(today, startOfDay(billedAt) + random.between(0, 5) * kDay));
                archives.add(toRecord(copy, OrderFile::Archives));
            } else {
                completed.add(toRecord(copy, OrderFile::Completed));
            }
        }
        pending.add(toRecord(d, OrderFile::Pending));
        if (split) {
            pending.add(toRecord(half, OrderFile::Pending));
            ++i;
        }
    }
}

Status writeSmallFile(const std::string& path, const std::string& bytes) {
    return writeWholeFile(path, bytes);
}

std::string linesOf(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += l + "\r\n";
    return out;
}

} // namespace

Status generateDataFolder(const std::string& dataFolder, const GeneratorOptions& options) {
    const DateTime& t = options.today;
    if (!isValidDate(t.year, t.month, t.day))
        return Error{ErrorKind::BadName, "", 0, "the day " + formatDateLiteral(t) + " is no date",
                     0};
    std::error_code ec;
    std::filesystem::create_directories(dataFolder, ec);
    if (ec)
        return Error{ErrorKind::Io, dataFolder, 0, "cannot create the folder: " + ec.message(),
                     ec.value()};
    if (Status s = prepareWorkspace(dataFolder); !s)
        return s;

    Random random(options.seed);
    const Directory dir = makeDirectory(random);
    const std::pair<DirectoryKind, const std::vector<std::string>*> lists[] = {
        {DirectoryKind::Companies, &dir.companyLines},
        {DirectoryKind::Attorneys, &dir.attorneyLines},
        {DirectoryKind::Searchers, &dir.searcherLines}};
    for (const auto& [kind, lines] : lists)
        if (Status s = writeSmallFile(dataFolder + directoryFileName(kind), linesOf(*lines)); !s)
            return s;
    std::vector<std::pair<std::string, double>> schedule;
    for (const Service& s : kServices)
        schedule.emplace_back(s.code, s.fee);
    if (Status s = writeSmallFile(dataFolder + kServicesFileName, encodeServiceEntries(schedule));
        !s)
        return s;
    for (const std::vector<Customer>* group : {&dir.companies, &dir.attorneys})
        for (const Customer& c : *group)
            if (!c.customRates.empty())
                if (Status s = writeCustomRates(dataFolder, c.rateName, c.customRates); !s)
                    return s;
    if (Status s = writeSmallFile(dataFolder + kBillingFileName, linesOf(dir.billingLines)); !s)
        return s;

    const std::vector<CopyPlace> plan = planBilledInAdvance(options);
    const auto copiesIn = [&](CopyPlace place) {
        return static_cast<size_t>(std::count(plan.begin(), plan.end(), place));
    };
    OrderMaker maker(random, dir, options);
    RecordFile pending(dataFolder + orderFileName(OrderFile::Pending));
    RecordFile completed(dataFolder + orderFileName(OrderFile::Completed));
    RecordFile archives(dataFolder + orderFileName(OrderFile::Archives));
    // Oldest first, so that generated numbers rise through the files as they would.
    const Moment today = maker.today();
    const size_t archived = options.archived - copiesIn(CopyPlace::Archives);
    const Moment archiveDays = std::clamp<Moment>(static_cast<Moment>(archived / 8), 60, 12 * 365);
    writeClosedOrders(maker, archives, OrderFile::Archives, archived,
                      today - (archiveDays + 45) * kDay, today - 45 * kDay);
    writeClosedOrders(maker, completed, OrderFile::Completed,
                      options.completed - copiesIn(CopyPlace::Completed), today - 40 * kDay,
                      today - 3 * kDay);
    writePendingOrders(maker, plan, pending, completed, archives);
    for (RecordFile* f : {&pending, &completed, &archives})
        if (Status s = f->finish(); !s)
            return s;
    return okStatus();
}

DateTime currentDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, 0, 0, 0};
}

} // namespace qm
