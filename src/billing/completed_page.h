#pragma once
// The "Completed" tab: the completed orders not yet billed, per billing key up to a cutoff day or
// found by free text, their totals and the customer's bill-to address; "Generate Invoice", the
// fee editor (Frame5) and the way to the archives.

#include "app_context.h"
#include "bill_to.h"
#include "completed_view.h"
#include "fee_correction.h"
#include "invoice_request.h"
#include "result.h"

#include <QWidget>
#include <array>
#include <functional>
#include <string>

class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace qm {

class CompletedModel;
class FeeEditor;

class CompletedPage final : public QWidget {
    Q_OBJECT
  public:
    explicit CompletedPage(AppContext& context, QWidget* parent = nullptr);

    // Reads Completed.fil again and shows it, keeping the chosen key, the scroll position and
    // the line last clicked. A missing file holds no orders.
    Status Rebuild();
    // The shown lines, caption, totals and "Generate Invoice" for the chosen key and cutoff.
    void RefreshCompletedList();
    // What "Generate Invoice" works from, as the screen shows it now.
    InvoiceRequest invoiceRequest() const;

    void setTabCaption(std::function<void(const QString&)> caption) {
        tabCaption_ = std::move(caption);
    }
    // Runs "Generate Invoice" on the snapshot; true when the orders were archived.
    void setInvoiceCommand(std::function<bool(const InvoiceRequest&)> command) {
        invoiceCommand_ = std::move(command);
    }
    // Where a file error that a command cannot go on from is handed.
    void setUnexpectedError(std::function<void(const Error&)> report) {
        unexpectedError_ = std::move(report);
    }

    CompletedModel& model() { return *model_; }

    QComboBox* Combo1 = nullptr;
    QCalendarWidget* Calendar1 = nullptr;
    QLabel* lblCutoff = nullptr;
    QLineEdit* txtFilter = nullptr;
    QListView* List2 = nullptr;
    QLabel* lblHeader[7] = {}; // lblHeader(6) to lblHeader(12)
    QLineEdit* txtBillTo[4] = {};
    QLabel* lblBillTo = nullptr;
    QLabel* lblSubTotals = nullptr;
    QLabel* lblTotal = nullptr;
    QPushButton* cmdInvoice = nullptr;
    QPushButton* cmdEditSel = nullptr;
    QPushButton* cmdArchives = nullptr;
    FeeEditor* Frame5 = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildTopRow();
    QWidget* buildList();
    QWidget* buildBillTo();
    QWidget* buildCommands();
    void placeHeadings();

    // The reaction to a choice of the billing selector; userChose when made on the selector.
    Status chooseBillingKey(bool userChose, bool refresh = true);
    void setCutoff(const QDate& day);
    void cutoffPicked();
    void filterTyped();
    // Every line holding the filter's text; no total, no invoice.
    void applyFilter();
    // Shows the rows with their count and sub-totals; the totals, for the invoice total.
    CompletedTotals showRows(std::vector<size_t> shown);
    void lineChosen();
    void clearBillTo();
    void billToDoubleClicked(size_t box);
    void cmdInvoiceClick();

    bool feeEditorOpen() const;
    // What a list change does to the fee editor: closed if open, and "Edit" off.
    void closeEditorOrDisableEdit();
    void cmdEditSelClick();
    void Command1Click();
    void Command2Click();
    void fillFeeBoxes(const std::optional<StoredFees>& fees);
    void report(const Error& error);

    AppContext& context_;
    CompletedModel* model_ = nullptr;
    QWidget* headingBar_ = nullptr;
    QWidget* totalsBar_ = nullptr;
    std::function<void(const QString&)> tabCaption_;
    std::function<bool(const InvoiceRequest&)> invoiceCommand_;
    std::function<void(const Error&)> unexpectedError_;
    QString lastChosenKey_;         // the selector's text last chosen
    std::string clickedFileNumber_; // the whole number of the line last clicked
    QDate cutoff_;
    std::array<QString, 4> directoryValues_; // what the directory gave the bill-to boxes
    bool billToFound_ = false;
    bool invoiceSpent_ = false; // a statement archived the shown orders: no second one
    bool quiet_ = false;        // the selector or calendar is set from code
    bool rebuilding_ = false;   // selection changes are the rebuild's, not the user's
    FeeCorrection editing_;     // what the fee editor was opened on
};

} // namespace qm
