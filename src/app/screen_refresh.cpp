#include "screen_refresh.h"

#include "order_editor.h"
#include "pending_queue.h"
#include "settings_panel.h"

#include <QLabel>

namespace qm {

void ScreenRefresh::showClockLine(const QString& text) {
    clockLine_.setText(text);
}

QString ScreenRefresh::rememberedTitleCompany() const {
    return editor_.rememberedTitleCompany();
}

QString ScreenRefresh::rememberedSearcher() const {
    return editor_.rememberedSearcher();
}

void ScreenRefresh::fillTitleCompanies(const QStringList& items, int selected) {
    editor_.fillTitleCompanies(items, selected);
}

void ScreenRefresh::fillAttorneys(const QStringList& items) {
    editor_.fillAttorneys(items);
}

void ScreenRefresh::fillSearchers(const QStringList& items, int selected) {
    editor_.fillSearchers(items, selected);
}

void ScreenRefresh::fillServiceGrid(const std::vector<ServiceEntry>& services) {
    settings_.fillServiceGrid(services);
}

Status ScreenRefresh::rebuildPendingQueue() {
    if (hooks_.rebuildPendingQueue)
        return hooks_.rebuildPendingQueue();
    return queue_.RebuildQueue();
}

Status ScreenRefresh::rebuildCompletedList() {
    return hooks_.rebuildCompletedList ? hooks_.rebuildCompletedList() : okStatus();
}

Status ScreenRefresh::runDailyEvents(const QDateTime& previousTick, const QDateTime& now) {
    return hooks_.runDailyEvents ? hooks_.runDailyEvents(previousTick, now) : okStatus();
}

void ScreenRefresh::dayChanged(const QDate& today) {
    editor_.dayChanged(today);
}

} // namespace qm
