// The fee editor of the Completed tab: "Edit Selected Item", CANCEL and the replace command.
// The list is not refreshed here: the next tick sees the rewritten Completed.fil.

#include "completed_page.h"
#include "dialogs.h"
#include "disk_text.h"
#include "fee_editor.h"
#include "money.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace qm {

bool CompletedPage::feeEditorOpen() const {
    return !Frame5->isHidden();
}

void CompletedPage::closeEditorOrDisableEdit() {
    if (feeEditorOpen())
        Command1Click();
    // The list is filled again with no line chosen.
    cmdEditSel->setEnabled(false);
}

void CompletedPage::fillFeeBoxes(const std::optional<StoredFees>& fees) {
    editing_.shown = fees;
    const std::array<std::string, 3> texts =
        fees ? feeTextsOf(*fees) : std::array<std::string, 3>{};
    for (size_t i = 0; i < 3; ++i)
        Frame5->box(i)->setText(fromDisk(texts[i]));
}

void CompletedPage::cmdEditSelClick() {
    if (clickedFileNumber_.empty())
        return;
    editing_ = FeeCorrection{clickedFileNumber_, std::nullopt, {}};
    Frame5->lblOrderID->setText(fromDisk(clickedFileNumber_));
    auto fees = storedFeesOf(context_.dataFolder(), clickedFileNumber_);
    if (!fees) {
        report(fees.error());
        return;
    }
    fillFeeBoxes(*fees);
    Frame5->show();
    Frame5->Command1->setFocus();
    cmdEditSel->setEnabled(false);
}

void CompletedPage::Command1Click() {
    const bool focusInEditor = Frame5->isAncestorOf(QApplication::focusWidget());
    if (!txtFilter->text().isEmpty()) {
        txtFilter->setFocus();
        txtFilter->selectAll();
    } else if (focusInEditor) {
        List2->setFocus(); // not wherever the hidden editor would send it
    }
    Frame5->clear();
    cmdEditSel->setEnabled(List2->selectionModel()->hasSelection());
}

void CompletedPage::Command2Click() {
    const auto held = context_.commandGuard.hold();
    const QString title = QStringLiteral(" FEE CORRECTION #  ") + Frame5->lblOrderID->text();
    for (size_t i = 0; i < 3; ++i)
        editing_.typed[i] = toDisk(Frame5->box(i)->text());
    if (auto refused = refusedFeeText(editing_.typed)) {
        context_.dialogs->message(this, QMessageBox::Warning, QStringLiteral(" FEE AMOUNT ???"),
                                  QStringLiteral("The amount is not accepted: ") +
                                      fromDisk(refused->reason) + QStringLiteral("\r") +
                                      QStringLiteral("Please ") + QString::fromLatin1(kAmountHint) +
                                      QStringLiteral("."));
        QLineEdit* box = Frame5->box(refused->box);
        box->setFocus();
        box->selectAll();
        return;
    }
    auto corrected = correctFees(context_.dataFolder(), editing_);
    if (!corrected) {
        report(corrected.error());
        return;
    }
    switch (*corrected) {
    case FeeCorrectionResult::Corrected:
        txtFilter->clear(); // from code: the list stays as it is until the rebuild
        Command1Click();
        return;
    case FeeCorrectionResult::Gone:
        context_.dialogs->message(
            this, QMessageBox::Information, title,
            QStringLiteral("This order is no longer in the completed list: nothing was changed."));
        Command1Click();
        return;
    case FeeCorrectionResult::ChangedMeanwhile:
        break;
    }
    context_.dialogs->message(this, QMessageBox::Information, title,
                              QStringLiteral("The amounts of this order were changed meanwhile: "
                                             "nothing was changed.") +
                                  QStringLiteral("\r") +
                                  QStringLiteral("The boxes now show the amounts stored."));
    auto fees = storedFeesOf(context_.dataFolder(), editing_.fileNumber);
    if (!fees) {
        report(fees.error());
        return;
    }
    fillFeeBoxes(*fees);
}

} // namespace qm
