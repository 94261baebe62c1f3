#pragma once
// One run of the upgrade utility, from the command line to the clean-up.

#include "download.h"
#include "package.h"

#include <string>
#include <vector>

namespace upm {

inline constexpr const char* kWindowCaption = " Corvelant Automatic Upgrade";
inline constexpr const char* kMessageTitle = "Upmender";
inline constexpr const char* kDownloadingStep = "Downloading replacement files ...";
inline constexpr const char* kUpgradingStep = "Performing upgrade ...";

enum class Icon { None, Information, Critical };

struct Message {
    Icon icon = Icon::None;
    std::string title;
    std::string text;
};

// What a run needs from its window.
class UpgradeUi {
  public:
    virtual ~UpgradeUi() = default;
    virtual void showWindow() = 0;
    virtual void showStep(const std::string& text) = 0; // shown and repainted at once
    virtual void idle() = 0;                            // lets pending window events run
    virtual void message(const Message& message) = 0;   // modal, OK only
};

struct UpgradeSettings {
    std::string folder;  // the program folder, ending with "/"
    std::string baseUrl; // the vendor's web server
    DownloadOptions download;
    PackageLimits limits;
};

// The privileges message, naming the product to restart.
Message privilegesMessage(const std::string& product);

// Runs the whole upgrade for the command line's arguments (without the program name) and
// returns the exit status: 0 when the upgrade was done or there was nothing to do.
int runUpgrade(const std::vector<std::string>& arguments, const UpgradeSettings& settings,
               UpgradeUi& ui);

} // namespace upm
