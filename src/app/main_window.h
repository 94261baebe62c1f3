#pragma once
// Form1: the one window of the program. It holds the three tabs, the settings frame over them,
// the clock line, and the one-second refresh that loads every list.

#include "app_context.h"
#include "data_refresh.h"

#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTimer;

namespace qm {

class DirectoryEditor;
class Messenger;
class OrderEditor;
class PendingQueue;
class TextGuard;
struct MainWindowParts;

// Work that later screens plug into the window; each does nothing until its screen exists.
struct ScreenHooks {
    std::function<Status()> rebuildPendingQueue;
    std::function<Status()> rebuildCompletedList;
    std::function<Status(int tickClock)> runDailyEvents;
    std::function<void()> clearOrderEditor;
};

class MainWindow : public QWidget, private RefreshView {
    Q_OBJECT
  public:
    enum Tab { NewOrderTab = 0, PendingTab = 1, CompletedTab = 2 };

    explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
    ~MainWindow() override;

    ScreenHooks& hooks() { return hooks_; }
    Messenger& messenger() { return *messenger_; }
    AppContext& context() { return context_; }

    // Fills the settings controls from the loaded settings (start-up).
    void applySettings(const LoadedConfig& loaded);
    void updateCaption();
    // Custom rates "Load" for order entry: cboType and cboMuni from the schedule with the
    // customer's own fees (whole dollars, as item data); "default" gives the plain schedule.
    // Only while the New Order tab is the current tab (as it is during the first load).
    void loadOrderRates(const QString& customer);
    // The town pick list of the chosen state.
    void FillTownList(const QString& state);

    void openSettings();
    // Saves the settings frame's values and returns to the tabs.
    void acceptSettings();

    void startRefresh();
    void stopRefresh();
    bool refreshRunning() const;
    // One tick now, as the timer would run it.
    void refreshNow();

    void restoreFromAnotherCopy();

    // The slider handlers: the face colour, and the zoom of the window and its grids.
    void applyBrightness(int position);
    void applyZoomPosition(int position);
    // The grids' column widths before any zoom.
    void prepareScreen();

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A pulled order not saved back: asks before the window closes; false when the user stays.
    bool mayCloseWithPulledOrder();
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    MainWindowParts appearanceParts();
    void buildNewOrderTab(QWidget* page);
    void buildPendingTab(QWidget* page);
    void buildCompletedTab(QWidget* page);
    QFrame* buildSettingsFrame();
    void onTabChanged(int index);
    void connectOrderEntry();
    void showEditStarted(const QString& fileNumber);
    void showEditEnded(bool orderDeleted);
    // The window became the active one: sign on to the mail system, then the timer runs.
    void activated();
    void reportDataAccessError(const Error& error);
    void reportUnexpectedError(const Error& error);
    Settings settingsFromScreen() const;
    void showMailTransport(const MailTransport& mail);
    // The custom column of the fee grid: a customer's rates shown, and stored back.
    void loadCustomRates(const QString& name);
    void saveCustomRates();
    // Sends a short message to the business's own address with the settings on screen.
    void sendTestMessage();
    // A key on the fee grid: true when it was taken as typing into the current cell.
    bool typeIntoServiceGrid(QKeyEvent* key);
    // Writes Services.dat from the grid under the lock.
    Status saveFeeSchedule();
    void showServices(const std::vector<ServiceEntry>& services);

    // RefreshView
    void showClockLine(const QString& text) override;
    QString rememberedTitleCompany() const override;
    QString rememberedSearcher() const override;
    void fillTitleCompanies(const QStringList& items, int selected) override;
    void fillAttorneys(const QStringList& items) override;
    void fillSearchers(const QStringList& items, int selected) override;
    void fillServiceGrid(const std::vector<ServiceEntry>& services) override;
    Status rebuildPendingQueue() override;
    Status rebuildCompletedList() override;
    Status runDailyEvents(int tickClock) override;
    void dayChanged(const QDate& today) override;

    AppContext& context_;
    ScreenHooks hooks_;
    DataRefresh refresh_;
    QTimer* timer_ = nullptr;
    TextGuard* textGuard_ = nullptr;
    std::unique_ptr<Messenger> messenger_;
    int currentTab_ = NewOrderTab;
    // Set by a data-access failure: activation leaves the timer off until the settings are saved.
    bool refreshBlocked_ = false;
    // The fee grid shows a schedule that was loaded or typed, so OK may store it.
    bool serviceGridHoldsSchedule_ = false;

  public:
    // Controls, by their given names.
    QLabel* lblNow = nullptr;
    QLabel* lblDefaults = nullptr;
    QLabel* Label0 = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QFrame* Line3 = nullptr;
    // New Order
    QLineEdit* txtFileNumb = nullptr;
    QComboBox* cboTitleCo = nullptr;
    QComboBox* cboCustomer = nullptr;
    QComboBox* cboSearcher = nullptr;
    QComboBox* cboType = nullptr;
    QComboBox* cboMuni = nullptr;
    QComboBox* cboTown = nullptr;
    QDateEdit* DTPicker1 = nullptr;
    QPushButton* cmdSave = nullptr;
    // Pending Searches
    QTableView* grdOrder = nullptr;
    QPushButton* cmdReset = nullptr;
    // Completed
    QComboBox* Combo1 = nullptr;
    // Settings
    QFrame* Frame1 = nullptr;
    QLineEdit* txtCoName = nullptr;
    QLineEdit* txtAddr1 = nullptr;
    QLineEdit* txtAddr2 = nullptr;
    QLineEdit* txtCSZip = nullptr;
    QLineEdit* txtPhone = nullptr;
    QLineEdit* txtFax = nullptr;
    QLineEdit* txtEmail = nullptr;
    QComboBox* cboState = nullptr;
    QLineEdit* txtDBasePath = nullptr;
    QRadioButton* optOutlook = nullptr;
    QRadioButton* optMAPI = nullptr;
    QCheckBox* chkAuto = nullptr;
    // How mail leaves this workstation: the SMTP server, or the mail program.
    QLineEdit* txtSmtpHost = nullptr;
    QSpinBox* txtSmtpPort = nullptr;
    QComboBox* cboSmtpSecurity = nullptr;
    QLineEdit* txtSmtpUser = nullptr;
    QLineEdit* txtSmtpPassword = nullptr;
    QLineEdit* txtSenderAddress = nullptr;
    QLineEdit* txtMailProgram = nullptr;
    QPushButton* cmdSendTest = nullptr;
    QLabel* Label12 = nullptr;
    QSlider* Slider1 = nullptr;
    QSlider* Slider2 = nullptr;
    QTableWidget* grdService = nullptr;
    QLabel* lblCustom = nullptr;
    QPushButton* cmdDefaults = nullptr;
    DirectoryEditor* directory = nullptr;

    // The two screens that live on the tabs; the controls above are theirs.
    OrderEditor* editor = nullptr;
    PendingQueue* queue = nullptr;
};

} // namespace qm
