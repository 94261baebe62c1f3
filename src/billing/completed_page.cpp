#include "completed_page.h"

#include "clock.h"
#include "completed_model.h"
#include "completed_view.h"
#include "fee_editor.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace qm {

namespace {

template <typename W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// Courier New 9.75 pt: the lines are fixed columns, and the headings and totals line up on them.
QFont listFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setPointSizeF(9.75);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

// Each heading's words stand over the first column of their values, or end over the last
// column of the amounts, whatever blanks the heading text starts with.
struct Heading {
    const char* text;
    LineColumns columns;
    bool overAmounts;
};
constexpr Heading kHeadings[7] = {
    {"  Closed", kClosedColumns, false},          {"  Property Address", kAddressColumns, false},
    {" Order Number", kFileNumberColumns, false}, {" Type", kTypeColumns, false},
    {"   Municipal", kMuniColumns, false},        {"  Fee", kFeeColumns, true},
    {"    Copies", kCopiesColumns, true}};

// The headings are lblHeader(6) to lblHeader(12), apart from the pending queue's.
constexpr int kFirstHeading = 6;

// The 0-based character position where the heading's text starts.
int headingStart(const Heading& h) {
    const int length = static_cast<int>(qstrlen(h.text));
    int blanks = 0;
    while (h.text[blanks] == ' ')
        ++blanks;
    const int first =
        h.overAmounts ? h.columns.first + h.columns.width - (length - blanks) : h.columns.first;
    return first - 1 - blanks;
}
// "Sub-Totals     $" puts the fee sum's last digit under the fee column's last one.
constexpr int kSubTotalsColumn = kFeeColumns.first + kFeeColumns.width - 25;

} // namespace

CompletedPage::CompletedPage(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("tabCompleted"));
    model_ = new CompletedModel(this);
    QWidget* top = buildTopRow();
    QWidget* list = buildList();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildBillTo(), 3);
    bottom->addWidget(Calendar1, 0, Qt::AlignTop);
    bottom->addWidget(buildCommands(), 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(top);
    layout->addWidget(list, 1);
    layout->addLayout(bottom);

    cutoff_ = context_.clock ? context_.clock->today() : QDate::currentDate();
    setCutoff(cutoff_);
    clearBillTo();
    cmdInvoice->setEnabled(false);
    cmdEditSel->setEnabled(false);
}

QWidget* CompletedPage::buildTopRow() {
    auto* row = new QWidget;
    Combo1 = named(new QComboBox, QStringLiteral("Combo1"));
    Combo1->setMinimumContentsLength(34);
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo1->addItem(kShowAllEntry);
    connect(Combo1, &QComboBox::activated, this, [this] {
        if (Status s = chooseBillingKey(true); !s)
            report(s.error());
    });
    auto* find = named(new QLabel(QStringLiteral("Find ...")), QStringLiteral("lblFind"));
    txtFilter = named(new QLineEdit, QStringLiteral("txtFilter"));
    find->setBuddy(txtFilter);
    connect(txtFilter, &QLineEdit::textEdited, this, &CompletedPage::filterTyped);
    lblCutoff = named(new QLabel, QStringLiteral("lblCutoff"));
    QFont bold = lblCutoff->font();
    bold.setBold(true);
    lblCutoff->setFont(bold);

    Calendar1 = named(new QCalendarWidget, QStringLiteral("Calendar1"));
    Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Calendar1->setLocale(QLocale::c());
    connect(Calendar1, &QCalendarWidget::selectionChanged, this, [this] {
        if (!quiet_)
            cutoffPicked();
    });

    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Combo1, 2);
    layout->addSpacing(12);
    layout->addWidget(find);
    layout->addWidget(txtFilter, 1);
    layout->addSpacing(12);
    layout->addWidget(lblCutoff);
    return row;
}

QWidget* CompletedPage::buildList() {
    auto* box = new QWidget;
    headingBar_ = new QWidget;
    for (int i = 0; i < 7; ++i) {
        lblHeader[i] = named(new QLabel(QString::fromLatin1(kHeadings[i].text), headingBar_),
                             QStringLiteral("lblHeader(%1)").arg(kFirstHeading + i));
        lblHeader[i]->setFont(listFont());
    }
    headingBar_->setFixedHeight(lblHeader[0]->sizeHint().height());
    headingBar_->installEventFilter(this);

    List2 = named(new QListView, QStringLiteral("List2"));
    List2->setModel(model_);
    List2->setFont(listFont());
    List2->setUniformItemSizes(true);
    List2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List2->setSelectionMode(QAbstractItemView::SingleSelection);
    List2->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(List2->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!rebuilding_)
            lineChosen();
    });
    connect(List2->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &CompletedPage::placeHeadings);

    totalsBar_ = new QWidget;
    lblSubTotals =
        named(new QLabel(QStringLiteral("Sub-Totals"), totalsBar_), QStringLiteral("lblSubTotals"));
    lblSubTotals->setFont(listFont());
    totalsBar_->setFixedHeight(lblSubTotals->sizeHint().height() + 4);
    totalsBar_->installEventFilter(this);

    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(headingBar_);
    layout->addWidget(List2, 1);
    layout->addWidget(totalsBar_);
    return box;
}

QWidget* CompletedPage::buildBillTo() {
    auto* group = new QWidget;
    lblBillTo = named(new QLabel, QStringLiteral("lblBillTo"));
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lblBillTo);
    for (size_t i = 0; i < 4; ++i) {
        auto* box = named(new QLineEdit, QStringLiteral("txtBillTo(%1)").arg(i));
        box->setPlaceholderText(QStringLiteral(" Dbl-Click to override"));
        box->setToolTip(QStringLiteral(" Dbl-Click to override"));
        box->installEventFilter(this);
        txtBillTo[i] = box;
        layout->addWidget(box);
    }
    layout->addStretch(1);
    return group;
}

QWidget* CompletedPage::buildCommands() {
    auto* side = new QWidget;
    auto* totalCaption =
        named(new QLabel(QStringLiteral("Invoice Total:")), QStringLiteral("lblTotalCaption"));
    lblTotal = named(new QLabel, QStringLiteral("lblTotal"));
    QFont bold = lblTotal->font();
    bold.setBold(true);
    lblTotal->setFont(bold);
    cmdInvoice =
        named(new QPushButton(QStringLiteral("Generate Invoice")), QStringLiteral("cmdInvoice"));
    cmdEditSel =
        named(new QPushButton(QStringLiteral("Edit Selected Item")), QStringLiteral("cmdEditSel"));
    cmdArchives =
        named(new QPushButton(QStringLiteral("Browse Archives")), QStringLiteral("cmdArchives"));
    connect(cmdInvoice, &QPushButton::clicked, this, &CompletedPage::cmdInvoiceClick);
    connect(cmdEditSel, &QPushButton::clicked, this, &CompletedPage::cmdEditSelClick);

    Frame5 = new FeeEditor;
    // Opening the editor must not shrink the list above it.
    QSizePolicy keep = Frame5->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Frame5->setSizePolicy(keep);
    connect(Frame5->Command1, &QPushButton::clicked, this, &CompletedPage::Command1Click);
    connect(Frame5->Command2, &QPushButton::clicked, this, &CompletedPage::Command2Click);

    auto* total = new QHBoxLayout;
    total->addWidget(totalCaption);
    total->addWidget(lblTotal, 1);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(total);
    layout->addWidget(cmdInvoice);
    layout->addWidget(cmdEditSel);
    layout->addWidget(cmdArchives);
    layout->addWidget(Frame5);
    layout->addStretch(1);
    return side;
}

void CompletedPage::placeHeadings() {
    // Measured as a run of characters: advances are fractional, and rounding each one would
    // push the later headings off their columns.
    const QFontMetricsF metrics(List2->font());
    auto columnX = [&](int characters) {
        return qRound(
            metrics.horizontalAdvance(QString(std::max(characters, 0), QLatin1Char('0'))));
    };
    // Inside the list's frame, moved with its horizontal scrolling.
    const int left =
        List2->viewport()->x() - List2->horizontalScrollBar()->value() + List2->spacing() + 3;
    // Zoom changes the fonts: the bars follow their labels' height.
    headingBar_->setFixedHeight(lblHeader[0]->sizeHint().height());
    totalsBar_->setFixedHeight(lblSubTotals->sizeHint().height() + 4);
    for (int i = 0; i < 7; ++i) {
        QLabel* label = lblHeader[i];
        label->adjustSize();
        const int start = headingStart(kHeadings[i]);
        label->move(left + (start < 0 ? -columnX(-start) : columnX(start)), 0);
    }
    lblSubTotals->adjustSize();
    lblSubTotals->move(left + columnX(kSubTotalsColumn - 1), 2);
}

bool CompletedPage::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == headingBar_ || watched == totalsBar_) && event->type() == QEvent::Resize)
        placeHeadings();
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (size_t i = 0; i < 4; ++i) {
            if (watched == txtBillTo[i]) {
                billToDoubleClicked(i);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CompletedPage::clearBillTo() {
    for (size_t i = 0; i < 4; ++i) {
        QLineEdit* box = txtBillTo[i];
        box->clear();
        directoryValues_[i].clear();
        box->setReadOnly(true);
        QFont plain = box->font();
        plain.setBold(false);
        box->setFont(plain);
    }
    billToFound_ = false;
    lblBillTo->setText(QStringLiteral("Billing Address"));
}

void CompletedPage::billToDoubleClicked(size_t i) {
    if (Combo1->currentIndex() <= 0)
        return;
    QLineEdit* box = txtBillTo[i];
    box->setReadOnly(false);
    QFont bold = box->font();
    bold.setBold(true);
    box->setFont(bold);
    box->setFocus();
    box->selectAll();
}

InvoiceRequest CompletedPage::invoiceRequest() const {
    InvoiceRequest request;
    request.billingKey = Combo1->currentIndex() > 0 ? Combo1->currentText() : QString();
    request.cutoff = cutoff_;
    for (size_t i = 0; i < 4; ++i)
        request.billTo[i] = BillToBox{txtBillTo[i]->text(), directoryValues_[i]};
    request.billToFound = billToFound_;
    request.shown = model_->shownRows();
    return request;
}

void CompletedPage::cmdInvoiceClick() {
    if (!invoiceCommand_ || invoiceSpent_)
        return;
    // No tick rebuilds the list while the statement is made from what it shows.
    const auto held = context_.commandGuard.hold();
    const InvoiceRequest request = invoiceRequest();
    cmdInvoice->setEnabled(false);
    invoiceSpent_ = invoiceCommand_(request);
    cmdInvoice->setEnabled(!invoiceSpent_);
}

void CompletedPage::report(const Error& error) {
    if (unexpectedError_)
        unexpectedError_(error);
}

} // namespace qm
