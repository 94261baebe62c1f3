#pragma once
// The command line and the download address of the upgrade package.

#include <optional>
#include <string>

namespace upm {

struct UpgradeRequest {
    std::string product;    // names the program in the privileges message
    std::string serverPath; // folder of the package on the vendor's server, "/"-separated
};

// Reads "/" + product + ":" + server path, where every "_" of the path stands for "/". Gives
// nothing for any other form, or for a path that is not plain folder names.
std::optional<UpgradeRequest> parseArgument(const std::string& argument);

inline constexpr const char* kPackageName = "UPGRADE.exe";

// base + "/" + server path + "/UPGRADE.exe", with the base's trailing "/" dropped.
std::string packageUrl(const std::string& baseUrl, const std::string& serverPath);

// A package may only come over HTTPS; plain HTTP only from this machine (the tests' servers).
// Gives the reason when the address is refused.
std::optional<std::string> refusedAddress(const std::string& url);

} // namespace upm
