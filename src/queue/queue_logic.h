#pragma once
// What the pending queue shows: one row of cells per pending order, sorted by due date, the
// five filter lists collected while building, the filter test and the row colours. No widgets.

#include "order.h"

#include <QColor>
#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace qm {

inline constexpr int kQueueColumns = 7;
using QueueCells = std::array<QString, kQueueColumns>;

// One row of the queue, kept as its row cache entry: the seven cells joined by TAB, then "*"
// when sent. The filters search the entry; the grid shows its parts, so cell 6 ends with the
// sent marker as it does in a filtered grid.
struct QueueRow {
    QString entry;
    std::array<int, kQueueColumns + 1> start{}; // where cell c begins; start[7] = size + 1
    bool sent = false; // the searcher was notified: the stored Searcher holds a "*"
    QDate due;         // the date of cell 0

    QStringView cell(int c) const {
        return QStringView(entry).mid(start[c], start[c + 1] - start[c] - 1);
    }
    QueueCells cells() const;
};

// The row of one pending order: due date "mm/dd/yy" (+ "*" when billed in advance), address
// with the proper-case town, number, type, municipal search, searcher without "*", and the
// customer key TitleCompany + "_" + Customer.
QueueRow queueRowOf(const OrderTable& table, size_t record);

// Every record as a row, the latest in the file first, then sorted by due date: rows with the
// same date keep that newest-first order.
std::vector<QueueRow> buildQueueRows(const OrderTable& table);

enum QueueFilter { DueDateFilter = 1, CustomerFilter, TownFilter, TypeFilter, SearcherFilter };
inline constexpr int kQueueFilterCount = 5;
QString queueFilterPlaceholder(int filter); // "< due date >", ...
inline const QString kAllMunicipal = QStringLiteral("ALL MUNICIPAL");
inline const QString kAllRegular = QStringLiteral("ALL REGULAR");

// The items of the five filter lists, each without its placeholder, sorted without regard to
// case. A value already contained in an earlier one is left out (towns: only the same town).
using QueueFilterItems = std::array<QStringList, kQueueFilterCount + 1>; // 1..5
QueueFilterItems collectFilterItems(const OrderTable& table);

// The chosen text of each list; an empty text or the placeholder means no filter.
using QueueFilterChoice = std::array<QString, kQueueFilterCount + 1>;
bool isFilterActive(int filter, const QString& choice);
// The row passes every active filter (exact, case-sensitive containment in its cache entry).
// Built once per refill, so the keys are not rebuilt for every row.
class QueueFilterTest {
  public:
    explicit QueueFilterTest(const QueueFilterChoice& choice);
    bool passes(const QueueRow& row) const;

  private:
    struct Key {
        QString text;
        QString orText; // ALL REGULAR passes with either of two keys
    };
    std::vector<Key> keys_;
};
bool rowPassesFilters(const QueueRow& row, const QueueFilterChoice& choice);

// Background of all seven cells: red when past due, yellow when due today, none later.
std::optional<QColor> rowBackground(const QDate& due, const QDate& today);
// Rows without a colour show the grid's own background.
inline const QColor kQueueGridBackground(255, 255, 255);
// The searcher's name: black once the assignment was sent, grey before; on a background where
// grey would not read (red), white, which is as far from black as grey is and still reads.
QColor searcherTextColour(bool sent, const QColor& background);
// Contrast of two colours from their relative luminance (WCAG): 1 (none) to 21.
double contrastRatio(const QColor& a, const QColor& b);
inline constexpr double kMinTextContrast = 3.0;

// The selected order as it stood when a command was clicked, kept by the command so that what
// it acts on cannot change under its questions.
struct FeeBoxState {
    QString text;
    bool enabled = false;
    bool operator==(const FeeBoxState&) const = default;
};
struct QueueSelectionSnapshot {
    QString fileNumber;           // empty when not exactly one row is selected
    QString street;               // the address cell before its first ","
    QString searcher;             // without its "*"
    FeeBoxState base, muni, copy; // txtBase, txtMuni, txtCopy
};
// The row part of the snapshot: number, street and searcher of a row's cells.
QueueSelectionSnapshot selectionSnapshotOf(const QueueCells& cells);

QString pendingTabCaption(int shownRows); // "Pending Searches [n]"

} // namespace qm
