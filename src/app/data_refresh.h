#pragma once
// One tick of the one-second refresh: the clock line, the tick clock, and a reload of each list
// whose data file changed since it was last filled.

#include "directory_files.h"
#include "refresh_logic.h"
#include "result.h"

#include <QDate>
#include <QStringList>
#include <optional>

namespace qm {

class Clock;

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
    virtual Status runDailyEvents(int tickClock) = 0;
    virtual void dayChanged(const QDate& today) = 0;
};

class DataRefresh {
  public:
    DataRefresh(const Clock& clock, RefreshView& view) : clock_(clock), view_(view) {}

    // Runs one tick over dataFolder. Stops at the first failure and returns it.
    Status tick(const std::string& dataFolder);

    // A new data folder: every list is filled again on the next tick.
    void forgetStamps();
    int tickClock() const { return tickClock_.seconds(); }

  private:
    // FileNotFound / PathNotFound when the file or its folder is missing.
    Result<bool> changed(FileStamp& stamp, const std::string& path);
    Status reloadTitleCompanies(const std::string& dataFolder);
    Status reloadAttorneys(const std::string& dataFolder);
    Status reloadSearchers(const std::string& dataFolder);
    Status reloadServices(const std::string& dataFolder);

    const Clock& clock_;
    RefreshView& view_;
    TickClock tickClock_;
    std::optional<QDate> lastDay_;
    FileStamp companies_, attorneys_, searchers_, services_, pending_, completed_;
};

// The message of a missing file or folder, for the data-access box.
QString dataAccessDescription(const Error& error);
bool isDataAccessError(const Error& error);

} // namespace qm
