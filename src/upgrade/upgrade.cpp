#include "upgrade.h"

#include "arguments.h"
#include "install.h"
#include "patch.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace upm {

namespace {

// A run that was killed leaves its download and staging folder behind; no other run can be
// using them while this one holds the lock. A folder of set-aside files is kept: after a crash
// halfway it holds the only copy of the old version.
void removeLeftovers(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(std::string(kWorkPrefix) + "-download.", 0) == 0 ||
            name.rfind(std::string(kWorkPrefix) + "-staging.", 0) == 0)
            fs::remove_all(entry.path(), error);
    }
}

void note(const std::string& text) {
    std::fprintf(stderr, "upmender: %s\n", text.c_str());
}

Message plain(const std::string& text) {
    return Message{Icon::None, kMessageTitle, text};
}

Message problem(const std::string& text) {
    return Message{Icon::Critical, kMessageTitle, text};
}

// Unpacks the downloaded package into the program folder; gives the message for a failure.
std::optional<Message> unpack(const std::string& packagePath, const UpgradeSettings& settings,
                              UpgradeUi& ui) {
    Package package;
    std::string why;
    if (!package.open(packagePath, why) || !package.inspect(settings.limits, why)) {
        note(why);
        return problem("The upgrade package was refused; nothing was changed.\n" + why);
    }
    ui.idle();
    Installer installer(settings.folder, package);
    if (!installer.checkTargets(why) || !installer.stage(why)) {
        note(why);
        return problem("The upgrade package cannot be unpacked; nothing was changed.\n" + why);
    }
    ui.idle();
    if (!installer.install(why)) {
        note(why);
        if (installer.restored())
            return problem("The upgrade could not be installed; the previous version was kept.\n" +
                           why);
        return problem("The upgrade could not be installed, and the previous version could not "
                       "be put back whole.\n" +
                       why);
    }
    return std::nullopt;
}

} // namespace

Message privilegesMessage(const std::string& product) {
    return Message{Icon::Critical, " Elevated Privileges Required",
                   "The Upgrade Patch performs file operations that require Administrator "
                   "privileges. Please RE-START " +
                       product +
                       " by RIGHT-Clicking the desktop shortcut and choosing \"Run As "
                       "Administrator\""};
}

int runUpgrade(const std::vector<std::string>& arguments, const UpgradeSettings& settings,
               UpgradeUi& ui) {
    if (arguments.empty())
        return 0;
    const auto request = arguments.size() == 1 ? parseArgument(arguments[0]) : std::nullopt;
    if (!request) {
        note("usage: upmender /PRODUCT:SERVER_PATH   (\"_\" in the path stands for \"/\")");
        return 2;
    }
    if (const std::string why = refusedFolder(settings.folder); !why.empty()) {
        note(why);
        ui.message(privilegesMessage(request->product));
        return 1;
    }
    FolderLock lock;
    bool elsewhere = false;
    std::string why;
    if (!lock.acquire(settings.folder, elsewhere, why)) {
        note(why);
        ui.message(elsewhere ? plain("An upgrade of this program is already running.")
                             : problem(why));
        return 1;
    }
    removeLeftovers(settings.folder);

    ui.showWindow();
    ui.showStep(kDownloadingStep);
    DownloadOptions download = settings.download;
    download.idle = [&ui] { ui.idle(); };
    const std::string url = packageUrl(settings.baseUrl, request->serverPath);
    std::string packagePath;
    if (!downloadPackage(url, settings.folder, download, packagePath, why)) {
        note(url + ": " + why);
        ui.message(plain("Cannot download CAB file"));
        return 1;
    }

    ui.showStep(kUpgradingStep);
    const auto failed = unpack(packagePath, settings, ui);
    ::unlink(packagePath.c_str());
    if (failed) {
        ui.message(*failed);
        return 1;
    }
    struct stat info;
    if (::lstat((settings.folder + kPatchName).c_str(), &info) != 0) {
        ui.message(plain("Upgrade Completed [no patch]"));
        return 0;
    }
    if (const std::string patchProblem = runPatch(settings.folder, [&ui] { ui.idle(); });
        !patchProblem.empty()) {
        note(patchProblem);
        ui.message(problem("The upgrade was installed, but its patch did not finish well.\n" +
                           patchProblem));
        return 1;
    }
    return 0;
}

} // namespace upm
