// SAVE, ASSIGN, EDIT, the split of an order and CLEAR of the order editor.

#include "busy_pointer.h"
#include "disk_text.h"
#include "order_editor.h"

#include "clock.h"
#include "cp1252.h"
#include "dialogs.h"
#include "drop_down_list.h"
#include "messenger.h"
#include "split_order.h"
#include "user.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace qm {

namespace {

// The text a list stores: empty for its placeholder item or no choice.
QString chosenText(const QComboBox* list) {
    return list->currentIndex() > 0 ? list->currentText() : QString();
}

long chosenFee(const QComboBox* list) {
    return list->currentIndex() > 0 ? static_cast<long>(list->currentData().toLongLong()) : 0;
}

QDate dateOf(const DateTime& day) {
    return QDate(day.year, day.month, day.day);
}

} // namespace

OrderDraft OrderEditor::draftFromScreen(bool byAssign) const {
    OrderDraft d;
    d.fileNumber = toDisk(txtFileNumb->text().trimmed());
    d.titleCompany = toDisk(chosenText(cboTitleCo));
    d.customer = toDisk(chosenText(cboCustomer));
    d.address1 = toDisk(txtPropAddr1->text());
    d.address2 = toDisk(txtPropAddr2->text());
    d.town = toDisk(cboTown->currentText());
    d.owner = toDisk(txtCurrOwner->text());
    d.searchType = toDisk(chosenText(cboType));
    d.muniSearch = toDisk(chosenText(cboMuni));
    d.typeListFee = chosenFee(cboType);
    d.muniListFee = chosenFee(cboMuni);
    d.typeFeeOverride = state_.typeFeeOverride;
    d.muniFeeOverride = state_.muniFeeOverride;
    d.dueDate = storedDay(DTPicker1->date());
    d.searcher = toDisk(chosenText(cboSearcher));
    d.notifiedSearcher = toDisk(state_.notifiedSearcher);
    d.enteredAt = toDisk(state_.enteredAt);
    d.notesCache = toDisk(state_.notesCache);
    d.messagesCache = toDisk(state_.messagesCache);
    d.note = toDisk(txtNotes->text());
    d.instructions = toDisk(txtMessg->text());
    d.startedByAssign = byAssign;
    return d;
}

AttorneyChange OrderEditor::attorneyChange() const {
    AttorneyChange change;
    change.line = toDisk(attorneyLineOf(attorneyFields()));
    change.replacedLine = toDisk(state_.recText);
    if (optAddNew->isChecked())
        change.kind = AttorneyChange::Kind::AddNew;
    else if (optReplace->isChecked())
        change.kind = AttorneyChange::Kind::Replace;
    return change;
}

std::optional<SaveOutcome> OrderEditor::runSave(const SaveRequest& request) {
    BusyPointer busy;
    auto outcome = saveOrder(context_.dataFolder(), request);
    if (!outcome) {
        reportError(outcome.error());
        return std::nullopt;
    }
    return *outcome;
}

void OrderEditor::Save() {
    saveFrom(false);
}

void OrderEditor::saveFrom(bool byAssign) {
    cmdSave->setEnabled(false);
    state_.duplicateRefused = false;
    const bool savingBack = holdsUnsavedPull();
    SaveRequest request{draftFromScreen(byAssign), attorneyChange(),
                        storedMoment(context_.clock->now()), logOnName(),
                        savingBack ? state_.reservedNumber : std::string()};
    for (;;) {
        const std::optional<SaveOutcome> outcome = runSave(request);
        if (!outcome) {
            UpdateEntryCommands(); // nothing was lost: the user may try again
            return;
        }
        if (!outcome->duplicate) {
            txtFileNumb->setText(fromDisk(outcome->fileNumber));
            cmdSave->setEnabled(false);
            context_.selectedFileNumber = txtFileNumb->text();
            if (outcome->notReleased)
                reportError(*outcome->notReleased);
            if (state_.splitLocked)
                state_.savedSincePull = true; // saving it again is a plain duplicate
            if (savingBack) {
                state_.savedSincePull = true;
                if (Status removed = removeRecovery(state_.recoveryCopy); !removed)
                    reportError(removed.error());
            }
            emit orderSaved(txtFileNumb->text());
            return;
        }
        if (state_.splitLocked && !state_.savedSincePull) {
            // Another workstation took the number since the split began: the next one is free.
            auto next = nextSplitNumber(context_.dataFolder(), toDisk(state_.pulledFileNumber));
            if (!next) {
                reportError(next.error());
                UpdateEntryCommands();
                return;
            }
            if (*next != request.draft.fileNumber) {
                showSplitNumber(fromDisk(*next));
                request.draft.fileNumber = *next;
                request.attorney.kind = AttorneyChange::Kind::None; // written once per SAVE
                continue;
            }
        }
        const std::optional<OrderRecord>& existing = outcome->existing;
        const bool splitSearch = existing && !request.draft.muniSearch.empty() &&
                                 request.draft.searchType.empty() &&
                                 existing->text(OrderField::MuniSearch).empty();
        if (splitSearch &&
            context_.dialogs->ask(this, QMessageBox::Question, QStringLiteral(" SPLIT SEARCH ???"),
                                  splitQuestionText(fromDisk(splitQuestionAddress(*existing))),
                                  QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::No) == QMessageBox::Yes) {
            txtFileNumb->setText(txtFileNumb->text() + QLatin1Char('m'));
            cmdSave->setEnabled(false);
            state_.messagesCache.clear();
            state_.notesCache.clear();
            state_.notifiedSearcher.clear();
            state_.enteredAt.clear();
            request.draft = draftFromScreen(byAssign);
            request.attorney.kind = AttorneyChange::Kind::None; // written once per SAVE
            continue;
        }
        QString refusal =
            QStringLiteral("File \"%1\" already exists").arg(fromDisk(request.draft.fileNumber));
        if (!existing && outcome->reservedBy)
            refusal += QStringLiteral(": it is pulled for editing") +
                       fromDisk(pulledByText(*outcome->reservedBy));
        context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("Pending Searches"),
                                  refusal);
        txtFileNumb->setFocus();
        txtFileNumb->selectAll();
        state_.duplicateRefused = true;
        cmdAssign->setEnabled(false);
        return;
    }
}

void OrderEditor::Assign() {
    if (cmdAssign->text() != QStringLiteral("ASSIGN"))
        return;                                          // a notice is already on its way
    const QString searcher = cboSearcher->currentText(); // a refresh while saving may refill it
    if (cmdSave->isEnabled()) {
        saveFrom(true);
        QApplication::processEvents();
    }
    if (state_.duplicateRefused || cmdSave->isEnabled())
        return;
    QFont italic = cmdAssign->font();
    italic.setItalic(true);
    cmdAssign->setFont(italic);
    cmdAssign->setText(QStringLiteral("sending ..."));
    NoticeFields notice{txtPropAddr1->text(), txtPropAddr2->text(), cboTown->currentText(),
                        txtCurrOwner->text(), chosenText(cboType),  chosenText(cboMuni),
                        DTPicker1->date(),    txtMessg->text()};
    const SendResult result =
        messenger_.SendMsg(this, searcher, QStringLiteral("SEARCH ORDER"), noticeBody(notice),
                           MessageType::EmailWithTextCopy);
    italic.setItalic(false);
    cmdAssign->setFont(italic);
    cmdAssign->setText(QStringLiteral("ASSIGN"));
    // The order is saved either way; a notice that did not go may be sent again.
    cmdAssign->setEnabled(!result.sent());
}

void OrderEditor::selectItem(QComboBox* list, const QString& text) {
    const int index = list->findText(text, Qt::MatchExactly);
    if (index < 0)
        return;
    list->setCurrentIndex(index);
    emit list->activated(index);
}

bool OrderEditor::Edit(bool askFirst) {
    // Taken now: a refresh while the question is open may clear the queue's selection.
    const QString selected = context_.selectedFileNumber;
    if (selected.isEmpty())
        return false;
    if (askFirst &&
        context_.dialogs->ask(this, QMessageBox::Question, QStringLiteral(" EDIT ORDER"),
                              QStringLiteral("This action will temporarily remove the selected\n"
                                             "order from the queue. \"OK\" to continue"),
                              QMessageBox::Ok | QMessageBox::Cancel,
                              QMessageBox::Cancel) != QMessageBox::Ok)
        return false;
    state_.pull = EditorState::Pull::Loading;
    std::optional<PulledOrder> pulled;
    {
        BusyPointer busy;
        auto taken = pullOrder(context_.dataFolder(), toDisk(selected), logOnName(),
                               storedMoment(context_.clock->now()),
                               recoveryFolderOf(context_.programFolder, logOnName()));
        if (!taken) {
            state_.pull = EditorState::Pull::None;
            reportError(taken.error());
            return false;
        }
        pulled = std::move(*taken);
    }
    if (!pulled) {
        state_.pull = EditorState::Pull::None;
        reportNoLongerPending(selected);
        return false;
    }
    state_.reservedNumber = toDisk(selected);
    state_.recoveryCopy = pulled->recoveryCopy;
    fillFromPulled(pulled->order);
    state_.pull = EditorState::Pull::Editing;
    state_.savedSincePull = false;
    state_.pulledFileNumber = txtFileNumb->text();
    emit editStarted(state_.pulledFileNumber);
    UpdateEntryCommands();
    return true;
}

void OrderEditor::reportNoLongerPending(const QString& fileNumber) {
    context_.dialogs->message(
        this, QMessageBox::Information, QStringLiteral(" EDIT ORDER"),
        QStringLiteral("Order %1 is no longer pending: another workstation has changed it.")
            .arg(fileNumber));
}

bool OrderEditor::Split(const QString& fileNumber) {
    if (fileNumber.isEmpty())
        return false;
    std::optional<SplitStart> start;
    {
        BusyPointer busy;
        auto read = startSplit(context_.dataFolder(), toDisk(fileNumber));
        if (!read) {
            reportError(read.error());
            return false;
        }
        start = std::move(*read);
    }
    if (!start) {
        reportNoLongerPending(fileNumber);
        return false;
    }
    fillFromPulled(start->order);
    state_.notifiedSearcher.clear(); // the searcher has not been told of the new order
    state_.splitLocked = true;
    state_.pull = EditorState::Pull::Editing;
    state_.savedSincePull = false;
    state_.pulledFileNumber = fileNumber;
    emit editStarted(fileNumber);
    showSplitNumber(fromDisk(start->fileNumber));
    txtFileNumb->setReadOnly(true);
    cboType->setCurrentIndex(0);
    serviceChosen(cboType); // "< none >" deselects the type and drops its fee
    cboType->setEnabled(false);
    // Nothing to save or send before the new order's municipal search is chosen.
    cmdSave->setEnabled(false);
    cmdAssign->setEnabled(false);
    cboMuni->setFocus();
    cboMuni->showPopup();
    return true;
}

void OrderEditor::showSplitNumber(const QString& fileNumber) {
    txtFileNumb->setMaxLength(std::max(kFileNumberLength, static_cast<int>(fileNumber.size())));
    txtFileNumb->setText(fileNumber);
}

void OrderEditor::fillFromPulled(const OrderRecord& order) {
    auto text = [&](OrderField f) { return fromDisk(order.text(f)); };
    state_.enteredAt = text(OrderField::EnteredAt);
    txtFileNumb->setText(text(OrderField::FileNumber));
    selectItem(cboTitleCo, text(OrderField::TitleCompany));
    selectItem(cboCustomer, text(OrderField::Customer));
    txtPropAddr1->setText(text(OrderField::PropertyAddress1));
    txtPropAddr2->setText(text(OrderField::PropertyAddress2));
    selectItem(cboTown, text(OrderField::Town));
    txtCurrOwner->setText(text(OrderField::CurrentOwner));
    if (order.text(OrderField::TitleCompany).empty() && order.text(OrderField::Customer).empty())
        loadOrderRates(QStringLiteral("default"));
    selectItem(cboType, text(OrderField::SearchType));
    state_.typeFeeOverride = order.money(OrderField::BaseFee);
    selectItem(cboMuni, text(OrderField::MuniSearch));
    state_.muniFeeOverride = order.money(OrderField::MuniFee);
    const std::optional<DueDate> due = order.dueDate();
    const std::optional<DateTime> entered = order.enteredAt();
    if (due) {
        const QDate dueDay = dateOf(due->day);
        const QDate enteredDay = entered ? dateOf(*entered) : dueDay;
        DTPicker1->setMinimumDate(std::min(dueDay, enteredDay));
        DTPicker1->setDate(dueDay);
    }
    const QString searcher = fromDisk(order.searcherName());
    selectItem(cboSearcher, searcher);
    txtMessg->clear();
    if (order.searcherNotified())
        state_.notifiedSearcher = searcher;
    state_.notesCache = text(OrderField::NotesLog);
    state_.messagesCache = text(OrderField::MessagesLog);
}

void OrderEditor::Clear() {
    const bool wasEditing = state_.pull == EditorState::Pull::Editing;
    bool deleted = false;
    // Warn whatever SAVE's state: a pulled order not saved back is lost by clearing.
    if (holdsUnsavedPull()) {
        if (context_.dialogs->ask(
                this, QMessageBox::Warning,
                QStringLiteral(" DELETE ORDER - ") + state_.pulledFileNumber,
                QStringLiteral("Clearing the edit without first clicking Save or Assign\n"
                               "will result in the loss of this order. \"OK\" to delete"),
                QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) != QMessageBox::Ok) {
            cmdSave->setFocus();
            return;
        }
        deleted = true;
        if (Status dropped = dropPulledOrder(context_.dataFolder(), state_.reservedNumber,
                                             logOnName(), state_.recoveryCopy);
            !dropped)
            reportError(dropped.error());
    }
    cboCustomer->setCurrentIndex(-1);
    if (cboCustomer->count() > 0) {
        cboCustomer->setCurrentIndex(0);
        lawFirmChosen(0);
    }
    showTypedLawFirm(false);
    txtFileNumb->clear();
    if (cboTitleCo->count() > 0) {
        cboTitleCo->setCurrentIndex(0);
        titleCompanyChosen(0);
    }
    txtTitleCo->clear();
    txtPropAddr1->clear();
    txtPropAddr2->clear();
    cboTown->setCurrentIndex(cboTown->count() > 0 ? 0 : -1);
    txtCurrOwner->clear();
    loadOrderRates(QStringLiteral("default"));
    setCaptionColour(lblType, kCaptionRed);
    setCaptionColour(lblMuni, kCaptionRed);
    DTPicker1->setDate(context_.clock->today());
    if (cboSearcher->count() > 0) {
        cboSearcher->setCurrentIndex(0);
        searcherChosen(0);
    }
    state_.messagesCache.clear();
    txtNotes->clear();
    state_.notesCache.clear();
    txtFileNumb->setFocus();
    if (wasEditing) {
        txtFileNumb->setReadOnly(false);
        txtFileNumb->setMaxLength(kFileNumberLength);
        cboType->setEnabled(true);
        state_.splitLocked = false;
        state_.pulledFileNumber.clear();
        state_.reservedNumber.clear();
        state_.recoveryCopy.clear();
        state_.typeFeeOverride.reset();
        state_.muniFeeOverride.reset();
        state_.notifiedSearcher.clear();
        state_.enteredAt.clear();
        state_.pull = EditorState::Pull::None;
        state_.savedSincePull = false;
        emit editEnded(deleted);
    }
    UpdateEntryCommands();
}

} // namespace qm
