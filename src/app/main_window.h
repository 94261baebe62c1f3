#pragma once
// Form1: the frame of the program's one window. It holds the three tab pages and the settings
// panel over them, the clock line, the one-second refresh, and what happens at start and close.
// The screens are classes of their own modules.

#include "app_context.h"
#include "screen_refresh.h"

#include <QWidget>
#include <memory>

class QLabel;
class QTabWidget;
class QTimer;

namespace qm {

class CompletedPage;
class DataRefresh;
class DailyEvents;
class Messenger;
class NewOrderPage;
class OrderEditor;
class PendingPage;
class PendingQueue;
class SettingsPanel;
class TextGuard;
struct LoadedConfig;
struct MainWindowParts;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    enum Tab { NewOrderTab = 0, PendingTab = 1, CompletedTab = 2 };

    explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
    ~MainWindow() override;

    ScreenHooks& hooks() { return hooks_; }
    Messenger& messenger() { return *messenger_; }
    AppContext& context() { return context_; }
    QTabWidget* tabs() { return SSTab1; }
    OrderEditor& editor();
    PendingQueue& queue();
    SettingsPanel& settings() { return *Frame1; }

    // Fills the settings panel from the loaded settings and runs each slider's handler when
    // its position is not 0 (start-up).
    void applySettings(const LoadedConfig& loaded);
    void updateCaption();

    void openSettings();
    // OK on the settings panel: stores them and returns to the tabs.
    void acceptSettings();

    void startRefresh();
    void stopRefresh();
    bool refreshRunning() const;
    // One tick now, as the timer runs it.
    void refreshNow();

    void restoreFromAnotherCopy();

    // The slider handlers: the face colour, and the zoom of the window and its grids.
    void applyBrightness(int position);
    void applyZoomPosition(int position);
    // The designed window size and the grids' column widths before any zoom.
    void prepareScreen();

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    MainWindowParts appearanceParts();
    void onTabChanged(int index);
    void closeSettings();
    // A pulled order not saved back: asks before the window closes; false when the user stays.
    bool mayCloseWithPulledOrder();
    // The window became the active one: sign on to the mail system, load, then tick.
    void activated();
    void reportDataAccessError(const Error& error);
    void reportUnexpectedError(const Error& error);

    AppContext& context_;
    ScreenHooks hooks_;
    std::unique_ptr<Messenger> messenger_;
    std::unique_ptr<DailyEvents> daily_; // uses the messenger: declared after it
    std::unique_ptr<ScreenRefresh> screens_;
    std::unique_ptr<DataRefresh> refresh_;
    QTimer* timer_ = nullptr;
    TextGuard* textGuard_ = nullptr;
    int currentTab_ = NewOrderTab;
    // Set by a data-access failure: activation leaves the timer off until the settings are saved.
    bool refreshBlocked_ = false;

    QLabel* lblNow = nullptr;
    QLabel* lblDefaults = nullptr;
    QLabel* Label0 = nullptr;
    QTabWidget* SSTab1 = nullptr;
    NewOrderPage* newOrderPage_ = nullptr;
    PendingPage* pendingPage_ = nullptr;
    CompletedPage* completedPage_ = nullptr;
    SettingsPanel* Frame1 = nullptr;
};

} // namespace qm
