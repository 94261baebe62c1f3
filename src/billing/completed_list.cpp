// The Completed tab's list: the rebuild from Completed.fil, the billing selector, the cutoff
// day, the text filter and the line last clicked.

#include "clock.h"
#include "completed_model.h"
#include "completed_page.h"
#include "completed_view.h"
#include "disk_text.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopedValueRollback>

namespace qm {

Status CompletedPage::Rebuild() {
    auto table = readOrderFile(context_.dataFolder(), OrderFile::Completed);
    if (!table && table.error().kind != ErrorKind::FileNotFound)
        return table.error();
    const QModelIndex top = List2->indexAt(QPoint(0, 0));
    const int topRow = top.isValid() ? top.row() : -1;
    QScopedValueRollback quietList(rebuilding_, true);
    List2->setUpdatesEnabled(false);
    // The new rows take over the old ones' memory: a large list is rebuilt without fresh pages.
    const OrderTable empty;
    auto rows = buildCompletedRows(table ? *table : empty, model_->takeRows());
    if (!rows) {
        List2->setUpdatesEnabled(true);
        return rows.error(); // the window reports it and ends
    }
    model_->setRows(std::move(rows).value());
    invoiceSpent_ = false;
    {
        QScopedValueRollback quietSelector(quiet_, true);
        Combo1->clear();
        Combo1->addItem(kShowAllEntry);
        Combo1->addItems(billingKeysOf(model_->allRows()));
        const int found =
            Combo1->findText(lastChosenKey_, Qt::MatchExactly | Qt::MatchCaseSensitive);
        Combo1->setCurrentIndex(found < 0 ? 0 : found);
    }
    Status chosen = chooseBillingKey(false);
    // A count that shrank below the old top line leaves the last lines in view.
    if (topRow >= 0 && model_->shownCount() > 0)
        List2->scrollTo(model_->index(std::min(topRow, model_->shownCount() - 1)),
                        QAbstractItemView::PositionAtTop);
    const int clicked =
        clickedFileNumber_.empty() ? -1 : model_->rowOfFileNumber(clickedFileNumber_);
    if (clicked >= 0) {
        const QModelIndex index = model_->index(clicked);
        List2->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        if (!List2->viewport()->rect().intersects(List2->visualRect(index)))
            List2->scrollTo(index, QAbstractItemView::PositionAtTop);
        cmdEditSel->setEnabled(true);
    }
    List2->setUpdatesEnabled(true);
    return chosen;
}

Status CompletedPage::chooseBillingKey(bool userChose, bool refresh) {
    const QDate today = context_.clock->today();
    setCutoff(today);
    if (userChose) {
        clickedFileNumber_.clear();
        txtFilter->clear(); // from code: does not filter
    }
    lastChosenKey_ = Combo1->currentText();
    clearBillTo();
    if (Combo1->currentIndex() > 0) {
        auto billTo = lookUpBillTo(context_.dataFolder(), lastChosenKey_);
        if (!billTo)
            return billTo.error();
        billToFound_ = billTo->found;
        for (size_t i = 0; i < 4; ++i) {
            directoryValues_[i] = billTo->boxes[i].directoryValue;
            txtBillTo[i]->setText(billTo->boxes[i].text);
        }
        if (billTo->isOverride)
            lblBillTo->setText(QStringLiteral("Billing Address*"));
    }
    if (!refresh)
        return okStatus();
    // A filter still typed is what the list was showing: a rebuild keeps it applied.
    if (!userChose && Combo1->currentIndex() == 0 && !txtFilter->text().isEmpty())
        applyFilter();
    else
        RefreshCompletedList();
    return okStatus();
}

void CompletedPage::RefreshCompletedList() {
    const int s = Combo1->currentIndex();
    closeEditorOrDisableEdit();
    const CompletedTotals totals =
        showRows(rowsForKey(model_->allRows(), s > 0 ? Combo1->currentText() : QString(), cutoff_,
                            context_.clock->today()));
    const bool billable = s > 0 && model_->shownCount() > 0;
    lblTotal->setText(billable ? invoiceTotalText(totals) : QString());
    cmdInvoice->setEnabled(billable && !invoiceSpent_);
}

CompletedTotals CompletedPage::showRows(std::vector<size_t> shown) {
    {
        QScopedValueRollback quietList(rebuilding_, true);
        model_->setShown(std::move(shown));
    }
    if (tabCaption_)
        tabCaption_(completedTabCaption(model_->shown().size()));
    const CompletedTotals totals = totalsOf(model_->allRows(), model_->shown());
    lblSubTotals->setText(subTotalsText(totals));
    lblSubTotals->adjustSize();
    return totals;
}

void CompletedPage::setCutoff(const QDate& day) {
    cutoff_ = day;
    {
        QScopedValueRollback quietCalendar(quiet_, true);
        const QDate today = context_.clock ? context_.clock->today() : day;
        Calendar1->setMaximumDate(today);
        Calendar1->setSelectedDate(day);
    }
    lblCutoff->setText(cutoffLabelText(day));
}

void CompletedPage::cutoffPicked() {
    const QDate picked = Calendar1->selectedDate();
    if (picked == cutoff_)
        return;
    if (!isCutoffAccepted(picked, context_.clock->today(), Combo1->currentIndex() <= 0)) {
        setCutoff(cutoff_); // the calendar keeps its day
        return;
    }
    setCutoff(picked);
    RefreshCompletedList();
}

void CompletedPage::filterTyped() {
    {
        QScopedValueRollback quietSelector(quiet_, true);
        Combo1->setCurrentIndex(0);
    }
    // The choice of "< show all >" without its list, which the filter's replaces at once.
    if (Status s = chooseBillingKey(false, false); !s) {
        report(s.error());
        return;
    }
    applyFilter();
}

void CompletedPage::applyFilter() {
    lblTotal->clear();
    cmdInvoice->setEnabled(false);
    closeEditorOrDisableEdit();
    showRows(rowsMatching(model_->allRows(), txtFilter->text()));
}

void CompletedPage::lineChosen() {
    const QModelIndex current = List2->currentIndex();
    if (!current.isValid())
        return;
    clickedFileNumber_ = model_->shownRow(current.row()).fileNumber;
    if (feeEditorOpen())
        Command1Click();
    else
        cmdEditSel->setEnabled(true);
}

} // namespace qm
