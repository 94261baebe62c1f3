#include "pending_queue.h"

#include "clock.h"
#include "cp1252.h"
#include "details_logic.h"
#include "directory_lookup.h"
#include "disk_text.h"
#include "queue_model.h"
#include "queue_widgets.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>

namespace qm {

namespace {

std::optional<OrderRecord> recordOf(const OrderTable& table, const QString& number) {
    const std::string bytes = utf8ToCp1252(number.toStdString());
    for (size_t i = 0; i < table.size(); ++i)
        if (table.field(i, OrderField::FileNumber).text == bytes)
            return table.record(i);
    return std::nullopt;
}

// The record of that number as Pending.fil holds it now; none when it is gone or unreadable.
// Only the structure is read: the fields are shown, not trusted for anything else.
std::optional<OrderRecord> pendingOrder(const std::string& dataFolder, const QString& number) {
    const std::string path = dataFolder + orderFileName(OrderFile::Pending);
    auto bytes = readWholeFile(path);
    if (!bytes)
        return std::nullopt;
    auto table = parseOrderTable(OrderFile::Pending, std::move(bytes).value(), path);
    return table ? recordOf(*table, number) : std::nullopt;
}

} // namespace

PendingQueue::PendingQueue(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("PendingQueue"));
    QWidget* grid = buildGrid();
    QLayout* filters = buildFilters();
    buildMenu();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid, 3);
    layout->addLayout(filters);
    layout->addWidget(buildDetailsPane(), 2);
    resetDetails();
}

QWidget* PendingQueue::buildGrid() {
    const QString headings[6] = {
        QStringLiteral("  Due Date"),    QStringLiteral(" Property Address"),
        QStringLiteral(" Order Number"), QStringLiteral(" Type"),
        QStringLiteral("  Municipal"),   QStringLiteral(" Searcher")};
    auto* box = new QWidget;
    // The headings sit over their columns, wherever the column widths and zoom put them.
    headingBar_ = new QWidget;
    for (int i = 0; i < 6; ++i)
        lblHeader[i] =
            named(new QLabel(headings[i], headingBar_), QStringLiteral("lblHeader(%1)").arg(i));
    headingBar_->setFixedHeight(lblHeader[0]->sizeHint().height());
    headingBar_->installEventFilter(this);

    grdOrder = named(new QTableView, QStringLiteral("grdOrder"));
    model_ = new QueueModel(this);
    grdOrder->setModel(model_);
    grdOrder->setFont(queueTextFont());
    // The searcher colours are chosen to read on this background (and the row colours).
    QPalette gridPalette = grdOrder->palette();
    gridPalette.setColor(QPalette::Base, kQueueGridBackground);
    grdOrder->setPalette(gridPalette);
    grdOrder->horizontalHeader()->hide();
    grdOrder->verticalHeader()->hide();
    grdOrder->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdOrder->setColumnHidden(6, true); // the customer key is there for the filter only
    grdOrder->setShowGrid(false);
    grdOrder->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdOrder->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grdOrder->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdOrder->setWordWrap(false);
    grdOrder->setTextElideMode(Qt::ElideNone); // a long cell is cut at the column's edge
    grdOrder->setItemDelegate(new RowDelegate(grdOrder));
    grdOrder->setTabKeyNavigation(false);
    // Right-clicks must not move the selection that the menu's commands work on.
    grdOrder->setContextMenuPolicy(Qt::PreventContextMenu);
    grdOrder->installEventFilter(this);
    grdOrder->viewport()->installEventFilter(this);
    fitRowHeight();
    connect(grdOrder->horizontalHeader(), &QHeaderView::sectionResized, this,
            &PendingQueue::placeHeadings);
    connect(grdOrder->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &PendingQueue::placeHeadings);
    connect(grdOrder->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!rebuilding_)
            ShowOrderDetails();
    });
    // From the keyboard the menu opens under the current row, brought into view first.
    addMenuShortcuts(grdOrder, [this] {
        const QModelIndex current = grdOrder->currentIndex();
        if (current.isValid())
            grdOrder->scrollTo(current, QAbstractItemView::EnsureVisible);
        const QRect row = grdOrder->visualRect(current);
        const QPoint at = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
        popUpSelectionMenu(grdOrder->viewport()->mapToGlobal(at));
    });

    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(headingBar_);
    layout->addWidget(grdOrder, 1);
    return box;
}

QLayout* PendingQueue::buildFilters() {
    auto* filters = new QHBoxLayout;
    for (int k = 1; k <= kQueueFilterCount; ++k) {
        auto* list = named(new DropDownList, QStringLiteral("cboFilter(%1)").arg(k));
        list->setMinimumContentsLength(k == CustomerFilter || k == TownFilter ? 18 : 10);
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->addItem(queueFilterPlaceholder(k));
        paintBackground(list, kIdleFilterColour);
        list->installEventFilter(this);
        connect(list, &QComboBox::currentIndexChanged, this, [this, k] {
            if (!filling_)
                ApplyQueueFilters(k);
        });
        // Choosing the item already shown changes no index but still ends the choice.
        connect(list, &QComboBox::activated, this, [this] {
            if (focusInFilterList())
                cmdReset->setFocus();
        });
        connect(list, &DropDownList::droppedDown, this,
                [list] { paintBackground(list, kIdleFilterColour); });
        cboFilter[k] = list;
        filters->addWidget(list, k == CustomerFilter || k == TownFilter ? 2 : 1);
    }
    cmdReset = named(new QPushButton(QStringLiteral("Reset")), QStringLiteral("cmdReset"));
    connect(cmdReset, &QPushButton::clicked, this, &PendingQueue::cmdResetClick);
    filters->addWidget(cmdReset);
    return filters;
}

QWidget* PendingQueue::buildDetailsPane() {
    auto* pane = new QWidget;
    txtDetails = named(new QTextEdit, QStringLiteral("txtDetails"));
    txtDetails->setReadOnly(true);
    txtDetails->setLineWrapMode(QTextEdit::NoWrap);
    txtDetails->setFont(queueTextFont());
    txtDetails->setAcceptRichText(false);

    auto feeLabel = [this](const char* name, const QString& caption, bool override) {
        auto* label = named(new QLabel(caption), QString::fromLatin1(name));
        if (override) {
            label->setToolTip(QStringLiteral(" Dbl-Click for override "));
            label->installEventFilter(this);
        }
        return label;
    };
    lblBase = feeLabel("lblBase", QStringLiteral("Base Fee ................."), true);
    lblMuni = feeLabel("lblMuni", QStringLiteral("Municipal ................"), true);
    lblCopy = feeLabel("lblCopy", QStringLiteral("Copy Costs ..............."), false);
    txtBase = named(new QLineEdit, QStringLiteral("txtBase"));
    txtMuni = named(new QLineEdit, QStringLiteral("txtMuni"));
    txtCopy = named(new QLineEdit, QStringLiteral("txtCopy"));
    auto button = [](const char* name, const QString& caption, const QString& tip) {
        auto* b = named(new QPushButton(caption), QString::fromLatin1(name));
        b->setToolTip(tip);
        return b;
    };
    cmdEdit = button("cmdEdit", QStringLiteral("EDIT"),
                     QStringLiteral(" pull order for edit or delete "));
    cmdNotes = button("cmdNotes", QStringLiteral("NOTES"), QStringLiteral(" enter file notes "));
    cmdMessage = button("cmdMessage", QStringLiteral("MESSAGE"),
                        QStringLiteral(" send message to searcher "));
    cmdBill = button("cmdBill", QStringLiteral("BILL"), QStringLiteral(" bill in advance "));
    cmdClose = button("cmdClose", QStringLiteral("CLOSE ORDER"),
                      QStringLiteral(" close the order with its fees "));
    connect(cmdBill, &QPushButton::clicked, this, &PendingQueue::cmdBillClick);
    connect(cmdClose, &QPushButton::clicked, this, &PendingQueue::cmdCloseClick);
    cmdArchives = button("cmdArchives", QStringLiteral("Browse Archives"),
                         QStringLiteral(" find billed orders in the archive "));

    auto* fees = new QGridLayout;
    const std::pair<QLabel*, QLineEdit*> rows[] = {
        {lblBase, txtBase}, {lblMuni, txtMuni}, {lblCopy, txtCopy}};
    int r = 0;
    for (auto [label, box] : rows) {
        box->setMaximumWidth(90);
        box->setAlignment(Qt::AlignRight);
        fees->addWidget(label, r, 0);
        fees->addWidget(box, r++, 1);
    }
    auto* commands = new QGridLayout;
    commands->addWidget(cmdEdit, 0, 0);
    commands->addWidget(cmdNotes, 0, 1);
    commands->addWidget(cmdMessage, 1, 0);
    commands->addWidget(cmdBill, 1, 1);
    commands->addWidget(cmdClose, 2, 0, 1, 2);
    commands->addWidget(cmdArchives, 3, 0, 1, 2);
    auto* side = new QVBoxLayout;
    side->addLayout(fees);
    side->addSpacing(8);
    side->addLayout(commands);
    side->addStretch(1);
    auto* layout = new QHBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtDetails, 1);
    layout->addLayout(side);
    return pane;
}

Status PendingQueue::RebuildQueue() {
    auto table = readOrderFile(context_.dataFolder(), OrderFile::Pending);
    if (!table && table.error().kind != ErrorKind::FileNotFound)
        return table.error();
    const OrderTable empty;
    const OrderTable& orders = table ? *table : empty;

    const int topRow = grdOrder->rowAt(0);
    // The refill empties the fee boxes; what was typed there goes back if the same order comes
    // back with the same stored fees.
    const std::optional<FeeSource> feesBefore = feesShown_;
    const std::array<FeeBoxState, 3> typed = feeBoxes();
    QLineEdit* focusedBox = nullptr;
    for (QLineEdit* box : {txtBase, txtMuni, txtCopy})
        if (box->hasFocus())
            focusedBox = box;
    const int cursor = focusedBox ? focusedBox->cursorPosition() : 0;
    grdOrder->setUpdatesEnabled(false);
    rebuilding_ = true;
    model_->setRows({}); // the old rows go before the new ones are built
    model_->setRows(buildQueueRows(orders));
    fillFilterLists(collectFilterItems(orders));
    {
        QScopedValueRollback quiet(filling_, true);
        // One refill below serves all five lists; the keyboard focus stays where it is.
        for (int k = 1; k <= kQueueFilterCount; ++k) {
            const int found = cboFilter[k]->findText(remembered_[k], Qt::MatchExactly);
            cboFilter[k]->setCurrentIndex(found < 0 ? 0 : found);
            if (found <= 0)
                paintBackground(cboFilter[k], kIdleFilterColour);
        }
    }
    refill();
    // A count that shrank below the old top row leaves the last rows in view.
    if (topRow >= 0 && model_->shownCount() > 0) {
        const int row = std::min(topRow, model_->shownCount() - 1);
        grdOrder->scrollTo(model_->index(row, 0), QAbstractItemView::PositionAtTop);
    }
    bool reselected = false;
    if (!context_.selectedFileNumber.isEmpty()) {
        const int row = model_->rowOfFileNumber(context_.selectedFileNumber);
        if (row < 0) {
            context_.selectedFileNumber.clear();
        } else {
            const QModelIndex index = model_->index(row, 0);
            grdOrder->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                                   QItemSelectionModel::Rows);
            if (!grdOrder->viewport()->rect().intersects(grdOrder->visualRect(index)))
                grdOrder->scrollTo(index, QAbstractItemView::PositionAtTop);
            reselected = true;
        }
    }
    rebuilding_ = false;
    if (reselected) {
        showDetails(&orders); // the file as just read
        if (feesBefore && feesShown_ == feesBefore)
            restoreFeeBoxes(typed, focusedBox, cursor);
    }

    grdOrder->setUpdatesEnabled(true);
    return okStatus();
}

void PendingQueue::fillFilterLists(const QueueFilterItems& items) {
    QScopedValueRollback quiet(filling_, true);
    for (int k = 1; k <= kQueueFilterCount; ++k) {
        cboFilter[k]->clear();
        cboFilter[k]->addItem(queueFilterPlaceholder(k));
        cboFilter[k]->addItems(items[k]);
    }
}

bool PendingQueue::focusInFilterList() const {
    const QWidget* focus = QApplication::focusWidget();
    for (int k = 1; k <= kQueueFilterCount; ++k)
        if (focus && (focus == cboFilter[k] || cboFilter[k]->isAncestorOf(focus)))
            return true;
    return false;
}

void PendingQueue::ApplyQueueFilters(int k) {
    remembered_[k] = cboFilter[k]->currentText();
    if (focusInFilterList())
        cmdReset->setFocus();
    if (cboFilter[k]->currentIndex() <= 0)
        paintBackground(cboFilter[k], kIdleFilterColour);
    QScopedValueRollback quiet(rebuilding_, true);
    refill();
}

void PendingQueue::refill() {
    QueueFilterChoice choice;
    for (int k = 1; k <= kQueueFilterCount; ++k) {
        choice[k] = cboFilter[k]->currentText();
        remembered_[k] = choice[k];
    }
    highlightAlways(false);
    model_->applyFilters(choice, context_.clock->today());
    if (tabCaption_)
        tabCaption_(pendingTabCaption(model_->shownCount()));
    resetDetails();
    mnuEmail->setEnabled(isFilterActive(SearcherFilter, choice[SearcherFilter]));
}

void PendingQueue::resetDetails() {
    detailsText_.clear();
    feesShown_.reset();
    txtDetails->clear();
    for (QLineEdit* box : {txtBase, txtMuni, txtCopy}) {
        box->clear();
        box->setEnabled(false);
    }
    showCommands(false);
}

void PendingQueue::showCommands(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{lblBase, lblMuni, lblCopy, cmdEdit,
                                                      cmdMessage, cmdNotes, cmdBill, cmdClose})
        w->setEnabled(enabled);
    mnuSplit->setEnabled(enabled);
}

std::pair<int, int> PendingQueue::selectionEnds() const {
    const QModelIndex current = grdOrder->currentIndex();
    const QModelIndexList selected = grdOrder->selectionModel()->selectedRows();
    if (!current.isValid() || selected.isEmpty())
        return {-1, -1};
    const int r1 = current.row();
    int r2 = r1;
    for (const QModelIndex& index : selected)
        if (std::abs(index.row() - r1) > std::abs(r2 - r1))
            r2 = index.row();
    return {r1, r2};
}

void PendingQueue::ShowOrderDetails() {
    showDetails(nullptr);
}

void PendingQueue::showDetails(const OrderTable* justRead) {
    const auto [current, last] = selectionEnds();
    if (current < 0 || current != last) {
        resetDetails();
        return;
    }
    const QueueCells cells = model_->shownCells(current);
    context_.selectedFileNumber = cells[2];
    highlightAlways(true);
    const auto order =
        justRead ? recordOf(*justRead, cells[2]) : pendingOrder(context_.dataFolder(), cells[2]);
    if (order) {
        showOrder(*order, cells);
        return;
    }
    // Another workstation closed or pulled it since the grid was built.
    resetDetails();
    detailsText_ = orderGoneText(cells[2]);
    txtDetails->setPlainText(detailsText_);
}

void PendingQueue::showOrder(const OrderRecord& order, const QueueCells& cells) {
    DetailsInput input{&order, cells[1], {}, {}, context_.clock->today()};
    std::tie(input.homePhone, input.cellPhone) =
        searcherPhones(context_.dataFolder(), fromDisk(order.searcherName()));
    detailsText_ = orderDetailsText(input);
    // The text box keeps paragraphs, not line ends: CR LF would count twice.
    txtDetails->setPlainText(
        QString(detailsText_).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    const DetailsCommands commands = detailsCommandsFor(order);
    mnuSplit->setEnabled(commands.split);
    cmdNotes->setEnabled(commands.notes);
    cmdEdit->setEnabled(commands.edit);
    cmdMessage->setEnabled(commands.message);
    for (QLabel* label : {lblBase, lblMuni, lblCopy})
        label->setEnabled(commands.feeLabels);
    txtBase->setEnabled(false);
    txtBase->setText(commands.baseFee);
    txtMuni->setEnabled(false);
    txtMuni->setText(commands.muniFee);
    txtCopy->clear();
    txtCopy->setEnabled(commands.copyCosts);
    cmdBill->setEnabled(commands.bill);
    cmdClose->setEnabled(commands.close);
    feesShown_ = feeSourceOf(order);
}

std::array<FeeBoxState, 3> PendingQueue::feeBoxes() const {
    return {FeeBoxState{txtBase->text(), txtBase->isEnabled()},
            FeeBoxState{txtMuni->text(), txtMuni->isEnabled()},
            FeeBoxState{txtCopy->text(), txtCopy->isEnabled()}};
}

void PendingQueue::restoreFeeBoxes(const std::array<FeeBoxState, 3>& boxes, QLineEdit* focused,
                                   int cursor) {
    QLineEdit* const edits[] = {txtBase, txtMuni, txtCopy};
    for (size_t i = 0; i < boxes.size(); ++i) {
        edits[i]->setText(boxes[i].text);
        edits[i]->setEnabled(boxes[i].enabled);
    }
    if (focused && focused->isEnabled()) {
        focused->setFocus(Qt::OtherFocusReason);
        focused->setCursorPosition(cursor);
    }
}

QueueSelectionSnapshot PendingQueue::selectionSnapshot() const {
    QueueSelectionSnapshot snapshot;
    const auto [current, last] = selectionEnds();
    if (current >= 0 && current == last)
        snapshot = selectionSnapshotOf(model_->shownCells(current));
    const std::array<FeeBoxState, 3> fees = feeBoxes();
    snapshot.base = fees[0];
    snapshot.muni = fees[1];
    snapshot.copy = fees[2];
    return snapshot;
}

void PendingQueue::cmdResetClick() {
    bool anyFilter = false;
    for (int k = 1; k <= kQueueFilterCount; ++k) {
        if (cboFilter[k]->currentIndex() > 0) {
            anyFilter = true;
            cboFilter[k]->setCurrentIndex(0); // refills through the index change
        }
    }
    if (!anyFilter)
        ApplyQueueFilters(1);
    context_.selectedFileNumber.clear();
}

void PendingQueue::unlockFee(QLineEdit* box) {
    box->setEnabled(true);
    box->setFocus();
    box->setSelection(0, 7);
}

void PendingQueue::highlightAlways(bool always) {
    QPalette palette = grdOrder->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     always ? palette.color(QPalette::Active, QPalette::Highlight)
                            : QColor(Qt::transparent));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(always ? QPalette::Active : QPalette::Inactive,
                                   always ? QPalette::HighlightedText : QPalette::Text));
    grdOrder->setPalette(palette);
}

void PendingQueue::placeHeadings() {
    const QHeaderView* columns = grdOrder->horizontalHeader();
    headingBar_->setFixedHeight(lblHeader[0]->sizeHint().height());
    const int left = grdOrder->viewport()->x(); // inside the grid's frame
    for (int i = 0; i < 6; ++i)
        lblHeader[i]->setGeometry(left + columns->sectionViewportPosition(i), 0,
                                  columns->sectionSize(i), headingBar_->height());
}

void PendingQueue::fitRowHeight() {
    grdOrder->verticalHeader()->setDefaultSectionSize(grdOrder->fontMetrics().height() + 2);
}

} // namespace qm
