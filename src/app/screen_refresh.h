#pragma once
// Which screen each part of a tick fills: the editor's pick lists, the settings panel's fee
// grid, the pending queue, and the work later screens plug in.

#include "data_refresh.h"

#include <functional>

class QLabel;

namespace qm {

class OrderEditor;
class PendingQueue;
class SettingsPanel;

// Work that later screens plug into the window; each does nothing until its screen exists.
struct ScreenHooks {
    std::function<Status()> rebuildPendingQueue;
    std::function<Status()> rebuildCompletedList;
    std::function<Status(const QDateTime& previousTick, const QDateTime& now)> runDailyEvents;
    std::function<void()> clearOrderEditor;
};

class ScreenRefresh final : public RefreshView {
  public:
    ScreenRefresh(QLabel& clockLine, OrderEditor& editor, PendingQueue& queue,
                  SettingsPanel& settings, ScreenHooks& hooks)
        : clockLine_(clockLine), editor_(editor), queue_(queue), settings_(settings),
          hooks_(hooks) {}

    void showClockLine(const QString& text) override;
    QString rememberedTitleCompany() const override;
    QString rememberedSearcher() const override;
    void fillTitleCompanies(const QStringList& items, int selected) override;
    void fillAttorneys(const QStringList& items) override;
    void fillSearchers(const QStringList& items, int selected) override;
    void fillServiceGrid(const std::vector<ServiceEntry>& services) override;
    Status rebuildPendingQueue() override;
    Status rebuildCompletedList() override;
    Status runDailyEvents(const QDateTime& previousTick, const QDateTime& now) override;
    void dayChanged(const QDate& today) override;

  private:
    QLabel& clockLine_;
    OrderEditor& editor_;
    PendingQueue& queue_;
    SettingsPanel& settings_;
    ScreenHooks& hooks_;
};

} // namespace qm
