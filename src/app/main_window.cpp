#include "main_window.h"

#include "appearance_apply.h"
#include "archive_wiring.h"
#include "clock.h"
#include "completed_page.h"
#include "completed_wiring.h"
#include "cp1252.h"
#include "daily_events.h"
#include "dialogs.h"
#include "edit_wiring.h"
#include "message_wiring.h"
#include "messenger.h"
#include "new_order_page.h"
#include "order_editor.h"
#include "pending_page.h"
#include "pending_queue.h"
#include "settings_panel.h"
#include "split_wiring.h"
#include "text_guard.h"
#include "town_wiring.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace qm {

namespace {

QLabel* faceLabel(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    markFaceColoured(label);
    return label;
}

} // namespace

MainWindow::MainWindow(AppContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kDesignedCaption);
    markFaceColoured(this);

    lblDefaults = faceLabel("lblDefaults");
    lblDefaults->setText(QStringLiteral("Double-Click HERE for defaults"));
    lblDefaults->setToolTip(QStringLiteral(" DEFAULT SETTINGS "));
    lblDefaults->installEventFilter(this);
    lblNow = faceLabel("lblNow");
    lblNow->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label0 = faceLabel("Label0");
    Label0->setAlignment(Qt::AlignCenter);
    Label0->hide();

    messenger_ = std::make_unique<Messenger>(context_.settings, *context_.dialogs);
    SSTab1 = new QTabWidget;
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    newOrderPage_ = new NewOrderPage(context_, *messenger_);
    pendingPage_ = new PendingPage(context_);
    completedPage_ = new CompletedPage(context_);
    SSTab1->addTab(newOrderPage_, QStringLiteral("New Order"));
    SSTab1->addTab(pendingPage_, QStringLiteral(" Pending Searches"));
    SSTab1->addTab(completedPage_, QStringLiteral("Completed"));
    Frame1 = new SettingsPanel(context_);
    Frame1->hide();
    Frame1->setEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(lblDefaults);
    top->addStretch(1);
    top->addWidget(lblNow);
    auto* stack = new QGridLayout;
    stack->addWidget(SSTab1, 0, 0);
    stack->addWidget(Frame1, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(stack, 1);
    layout->addWidget(Label0);

    screens_ = std::make_unique<ScreenRefresh>(*lblNow, editor(), queue(), *Frame1, hooks_);
    refresh_ = std::make_unique<DataRefresh>(*context_.clock, context_.commandGuard, *screens_);
    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &MainWindow::refreshNow);
    textGuard_ = new TextGuard(this);

    connect(SSTab1, &QTabWidget::currentChanged, this, &MainWindow::onTabChanged);
    connect(Frame1->cmdDefaults, &QPushButton::clicked, this, &MainWindow::acceptSettings);
    connect(Frame1->Slider1, &QSlider::valueChanged, this, &MainWindow::applyBrightness);
    connect(Frame1->Slider2, &QSlider::valueChanged, this, &MainWindow::applyZoomPosition);
    queue().setTabCaption(
        [this](const QString& caption) { SSTab1->setTabText(PendingTab, caption); });
    wireTownLists(*Frame1, editor(), queue());
    wireEditCommand(*this);
    wireSplitCommand(*this);
    wireArchiveBrowser(*this);
    wireMessageDialog(*this);
    wireCompletedList(*this, *completedPage_, [this](const Error& e) { reportUnexpectedError(e); });
    queue().setUnexpectedError([this](const Error& error) { reportUnexpectedError(error); });
    hooks_.clearOrderEditor = [this] { editor().Clear(); };
    daily_ = std::make_unique<DailyEvents>(
        context_.programFolder, context_.settings, *messenger_, context_.clock->now(),
        [this](const QString& title, const QString& text) {
            context_.dialogs->notice(this, QMessageBox::Warning, title, text);
        });
    hooks_.runDailyEvents = [this](const QDateTime& previousTick, const QDateTime& now) {
        return daily_->tick(previousTick, now);
    };
    messenger_->setNotice(
        [this](const QString& text) {
            Label0->setText(text);
            Label0->show();
            Label0->repaint(); // signing on blocks; let the notice be seen meanwhile
        },
        [this] { Label0->hide(); });
}

MainWindow::~MainWindow() = default;

OrderEditor& MainWindow::editor() {
    return *newOrderPage_->editor;
}

PendingQueue& MainWindow::queue() {
    return *pendingPage_->queue;
}

void MainWindow::applySettings(const LoadedConfig& loaded) {
    Frame1->showSettings(loaded);
    if (Frame1->Slider1->value() != 0)
        applyBrightness(Frame1->Slider1->value());
    if (Frame1->Slider2->value() != 0)
        applyZoomPosition(Frame1->Slider2->value());
}

void MainWindow::updateCaption() {
    setWindowTitle(windowTitleFor(windowTitle(), Frame1->txtCoName->text()));
}

void MainWindow::openSettings() {
    lblDefaults->hide();
    Frame1->setEnabled(true);
    Frame1->show();
    Frame1->raise();
    SSTab1->hide();
}

void MainWindow::closeSettings() {
    SSTab1->show();
    Frame1->hide();
    Frame1->setEnabled(false);
    Frame1->lower();
    lblDefaults->show();
}

void MainWindow::acceptSettings() {
    const auto held = context_.commandGuard.hold();
    auto saved = Frame1->save();
    if (!saved) {
        reportUnexpectedError(saved.error());
        return;
    }
    if (*saved == SettingsPanel::Saved::No)
        return;
    if (*saved == SettingsPanel::Saved::NewDataFolder)
        refresh_->forgetStamps();
    messenger_->settingsChanged();
    closeSettings();
    refreshBlocked_ = false;
    startRefresh();
    updateCaption();
}

void MainWindow::startRefresh() {
    if (!timer_->isActive())
        timer_->start();
}

void MainWindow::stopRefresh() {
    timer_->stop();
}

bool MainWindow::refreshRunning() const {
    return timer_->isActive();
}

void MainWindow::refreshNow() {
    Status s = refresh_->tick(context_.dataFolder());
    if (s)
        return;
    if (isDataAccessError(s.error()))
        reportDataAccessError(s.error());
    else
        reportUnexpectedError(s.error());
}

void MainWindow::reportDataAccessError(const Error& error) {
    stopRefresh();
    refreshBlocked_ = true;
    context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("DATA ACCESS ERROR"),
                              dataAccessDescription(error));
    openSettings();
    Frame1->focusDataPath();
}

void MainWindow::reportUnexpectedError(const Error& error) {
    stopRefresh();
    const int number = error.sysErrno != 0 ? error.sysErrno : 1000 + static_cast<int>(error.kind);
    context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("Quillmark"),
                              QStringLiteral("Error %1: %2")
                                  .arg(number)
                                  .arg(QString::fromStdString(cp1252ToUtf8(error.describe()))));
    QCoreApplication::exit(1);
}

MainWindowParts MainWindow::appearanceParts() {
    return {this, Frame1->Label12, Label0, Frame1->grdService, queue().grdOrder};
}

void MainWindow::prepareScreen() {
    const double dpi = screenMetricsFor(this).logicalDpi;
    resize(twipsToPixels(kMainWindowBaseSize.width, dpi),
           twipsToPixels(kMainWindowBaseSize.height, dpi));
    applyStartupColumnWidths(appearanceParts(), dpi);
}

void MainWindow::applyBrightness(int position) {
    context_.faceColour = faceColourFor(position);
    applyColours(this, context_.faceColour);
}

void MainWindow::applyZoomPosition(int position) {
    context_.zoomFactor = zoomFactorFor(position);
    const ScreenMetrics screen = screenMetricsFor(this);
    applyZoom(appearanceParts(), position, screen.workArea, screen.logicalDpi);
}

void MainWindow::restoreFromAnotherCopy() {
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::onTabChanged(int index) {
    const int previous = currentTab_;
    currentTab_ = index;
    const bool newOrder = index == NewOrderTab;
    newOrderPage_->showSeparators(newOrder);
    OrderEditor& e = editor();
    if (newOrder) {
        e.txtFileNumb->setFocus();
        return;
    }
    if (previous == NewOrderTab && !e.txtFileNumb->text().isEmpty() && !e.cmdSave->isEnabled() &&
        hooks_.clearOrderEditor)
        hooks_.clearOrderEditor();
    if (index == PendingTab) {
        if (context_.selectedFileNumber.isEmpty())
            queue().cmdReset->setFocus();
        else
            queue().grdOrder->setFocus();
    } else {
        completedPage_->Combo1->setFocus();
    }
}

void MainWindow::activated() {
    if (refreshBlocked_ || refreshRunning())
        return;
    // A mail outage must not keep the business from its orders: the timer starts regardless.
    messenger_->signOn(this);
    startRefresh();
    // The first load at once, so the lists and the clock are there as the window appears.
    refreshNow();
}

bool MainWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        activated();
    return QWidget::event(e);
}

void MainWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // A display without a window manager never activates the window; showing it counts.
    if (!e->spontaneous())
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                activated();
        });
}

bool MainWindow::mayCloseWithPulledOrder() {
    OrderEditor& e = editor();
    if (!e.holdsUnsavedPull())
        return true;
    const auto answer = context_.dialogs->ask(
        this, QMessageBox::Warning, QStringLiteral(" CLOSE PROGRAM - ") + e.pulledFileNumber(),
        QStringLiteral("Closing the program without first clicking Save or Assign\n"
                       "keeps this order out of the queue until the next start. \"OK\" to close"),
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    return answer == QMessageBox::Ok;
}

void MainWindow::closeEvent(QCloseEvent* e) {
    if (!mayCloseWithPulledOrder()) {
        e->ignore();
        editor().cmdSave->setFocus();
        return;
    }
    stopRefresh();
    messenger_->signOff();
    e->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lblDefaults && e->type() == QEvent::MouseButtonDblClick) {
        openSettings();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

} // namespace qm
