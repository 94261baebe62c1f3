#pragma once
// The " Pending Searches" tab: the queue grid with its headings and five filters, the details
// pane with the fee boxes and the order commands, and the pop-up menu of copy and print.

#include "app_context.h"
#include "close_order.h"
#include "details_logic.h"
#include "drop_down_list.h"
#include "list_output.h"
#include "order.h"
#include "queue_logic.h"
#include "result.h"

#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QTextEdit;

namespace qm {

class QueueModel;

class PendingQueue final : public QWidget {
    Q_OBJECT
  public:
    explicit PendingQueue(AppContext& context, QWidget* parent = nullptr);

    // Rebuilds grid, cache and filter lists from Pending.fil, keeping the user's filters,
    // scroll position and selected order. A missing file is an empty queue.
    Status RebuildQueue();
    // The reaction to choosing an item of filter list k (1 to 5).
    void ApplyQueueFilters(int k);
    // The reaction to a change of the grid's selection.
    void ShowOrderDetails();
    // The selected order and the fee boxes as they are now, for a command to keep.
    QueueSelectionSnapshot selectionSnapshot() const;

    void setTabCaption(std::function<void(const QString&)> caption) {
        tabCaption_ = std::move(caption);
    }
    // Where BILL and CLOSE hand a file error they cannot go on from.
    void setUnexpectedError(std::function<void(const Error&)> report) {
        unexpectedError_ = std::move(report);
    }
    // The order editor's town list, which orders the work list.
    void setTownList(std::function<QStringList()> towns) { townList_ = std::move(towns); }

    QueueModel& model() { return *model_; }
    // The report set by setUnexpectedError, for the commands wired from outside the queue.
    const std::function<void(const Error&)>& unexpectedErrorReport() const {
        return unexpectedError_;
    }
    // The text Copy List puts on the clipboard with the selection as it is now.
    QString workListText() const {
        bool single = false;
        return copyListText(outputRows(&single), townItems());
    }

    QTableView* grdOrder = nullptr;
    QLabel* lblHeader[6] = {};
    DropDownList* cboFilter[kQueueFilterCount + 1] = {}; // 1 to 5
    QPushButton* cmdReset = nullptr;
    QTextEdit* txtDetails = nullptr;
    QLabel* lblBase = nullptr;
    QLabel* lblMuni = nullptr;
    QLabel* lblCopy = nullptr;
    QLineEdit* txtBase = nullptr;
    QLineEdit* txtMuni = nullptr;
    QLineEdit* txtCopy = nullptr;
    QPushButton* cmdNotes = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdMessage = nullptr;
    QPushButton* cmdBill = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdArchives = nullptr; // the archives browser; not tied to the selection
    QMenu* mnuSelection = nullptr;
    QAction* mnuCopySel = nullptr;
    QAction* mnuPrintSel = nullptr;
    QAction* mnuCopyList = nullptr;
    QAction* mnuPrintList = nullptr;
    QAction* mnuEmail = nullptr;
    QAction* mnuSplit = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildGrid();
    QLayout* buildFilters();
    QWidget* buildDetailsPane();
    void buildMenu();
    void fillFilterLists(const QueueFilterItems& items);
    void refill();
    void resetDetails();
    void showCommands(bool enabled);
    // ShowOrderDetails with Pending.fil as the rebuild has just read it, or afresh (nullptr).
    void showDetails(const OrderTable* justRead);
    void showOrder(const OrderRecord& order, const QueueCells& cells);
    std::array<FeeBoxState, 3> feeBoxes() const;
    // Puts back what the user had in the fee boxes, the focus and cursor included.
    void restoreFeeBoxes(const std::array<FeeBoxState, 3>& boxes, QLineEdit* focused, int cursor);
    void cmdResetClick();
    void unlockFee(QLineEdit* box);
    bool focusInFilterList() const;
    // The selection's highlight shows only while the grid has the focus, or always.
    void highlightAlways(bool always);
    void fitRowHeight();
    void placeHeadings();
    void popUpSelectionMenu(const QPoint& globalPos);
    // The current row and the far end of the selection; -1 for both when there is none.
    std::pair<int, int> selectionEnds() const;
    // Rows to output with the current selection, as the grid shows them.
    std::vector<QueueCells> outputRows(bool* singleWithDetails) const;
    void copyDetail();
    void printDetailRows();
    void copyList();
    void printWorkList();
    void reportPrinterError();
    QStringList townItems() const;
    void cmdBillClick();
    void cmdCloseClick();
    // The fee texts, or nothing after telling the user which box holds no amount.
    std::optional<FeeTexts> acceptedFees(const QueueSelectionSnapshot& snapshot);
    // The copy-cost question; false when the user goes back to the box.
    bool copyCostsConfirmed(const QueueSelectionSnapshot& snapshot, const FeeTexts& fees);
    void reportCommandError(const Error& error);

    AppContext& context_;
    QueueModel* model_ = nullptr;
    QueueFilterChoice remembered_;
    std::function<void(const QString&)> tabCaption_;
    std::function<QStringList()> townList_;
    std::function<void(const Error&)> unexpectedError_;
    QWidget* headingBar_ = nullptr;
    QString detailsText_;                // as composed, lines ending CR LF; txtDetails shows it
    std::optional<FeeSource> feesShown_; // what the fee boxes were filled from
    bool rebuilding_ = false;            // selection changes while rebuilding show nothing yet
    bool filling_ = false; // filter lists refilled or re-selected: no refill per change
};

} // namespace qm
