#pragma once
// One tick of the one-second refresh: the clock line, and a reload of each list whose data file
// changed since it was last filled, unless a command is running.

#include "directory_files.h"
#include "refresh_logic.h"
#include "result.h"

#include <QDate>
#include <QStringList>
#include <optional>

namespace qm {

class Clock;
class CommandGuard;

// What the refresh fills; the main window implements it, tests use a recording double.
class RefreshView {
  public:
    virtual ~RefreshView() = default;
    virtual void showClockLine(const QString& text) = 0;
    virtual QString rememberedTitleCompany() const = 0;
    virtual QString rememberedSearcher() const = 0;
    virtual void fillTitleCompanies(const QStringList& items, int selected) = 0;
    virtual void fillAttorneys(const QStringList& items) = 0; // selects the placeholder
    virtual void fillSearchers(const QStringList& items, int selected) = 0;
    virtual void fillServiceGrid(const std::vector<ServiceEntry>& services) = 0;
    virtual Status rebuildPendingQueue() = 0;
    virtual Status rebuildCompletedList() = 0;
    // Events whose daily moment lies after previousTick and not after now are due. On the
    // first tick both are the present moment.
    virtual Status runDailyEvents(const QDateTime& previousTick, const QDateTime& now) = 0;
    virtual void dayChanged(const QDate& today) = 0;
};

class DataRefresh {
  public:
    DataRefresh(const Clock& clock, const CommandGuard& guard, RefreshView& view)
        : clock_(clock), guard_(guard), view_(view) {}

    // Runs one tick over dataFolder. Stops at the first failure and returns it. While the
    // guard is held, or inside another tick, only the clock line changes.
    Status tick(const std::string& dataFolder);

    // A new data folder: every list is filled again on the next tick.
    void forgetStamps();

  private:
    Status checkFiles(const std::string& dataFolder, const QDateTime& now);
    // FileNotFound / PathNotFound when the file or its folder is missing.
    Result<bool> changed(FileStamp& stamp, const std::string& path);
    Status reloadTitleCompanies(const std::string& dataFolder);
    Status reloadAttorneys(const std::string& dataFolder);
    Status reloadSearchers(const std::string& dataFolder);
    Status reloadServices(const std::string& dataFolder);

    const Clock& clock_;
    const CommandGuard& guard_;
    RefreshView& view_;
    bool ticking_ = false;
    std::optional<QDateTime> lastCompleted_; // the moment the daily events were last given
    std::optional<QDate> lastDay_;
    FileStamp companies_, attorneys_, searchers_, services_, pending_, completed_;
};

// The message of a missing file or folder, for the data-access box.
QString dataAccessDescription(const Error& error);
bool isDataAccessError(const Error& error);

} // namespace qm
