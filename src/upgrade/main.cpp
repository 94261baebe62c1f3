// upmender: downloads an upgrade package from the vendor's server and installs it over the
// program folder (the current folder), then runs the patch program the package may bring.

#include "upgrade.h"
#include "upgrade_window.h"

#include <QApplication>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string vendorUrl() {
    if (qEnvironmentVariableIsSet("QUILLMARK_VENDOR_URL"))
        return qEnvironmentVariable("QUILLMARK_VENDOR_URL").toStdString();
    return QM_VENDOR_URL;
}

} // namespace

int main(int argc, char** argv) {
    // Started detached, it may outlive whoever reads its output; a write there must not end it.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    if (arguments.empty())
        return 0;

    upm::UpgradeWindow window;
    upm::UpgradeSettings settings;
    std::vector<char> folder(4096);
    if (::getcwd(folder.data(), folder.size()) == nullptr) {
        window.message(
            {upm::Icon::Critical, upm::kMessageTitle,
             std::string("The current folder cannot be found: ") + std::strerror(errno)});
        return 1;
    }
    settings.folder = folder.data();
    if (settings.folder.back() != '/')
        settings.folder += '/';
    settings.baseUrl = vendorUrl();
    return upm::runUpgrade(arguments, settings, window);
}
