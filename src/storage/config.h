#pragma once
// config.txt: the workstation's settings in the program folder.

#include "result.h"

#include <string>

namespace qm {

inline constexpr const char* kConfigFileName = "config.txt";

struct CompanyDetails {
    std::string name, address1, address2, cityStateZip, phone, fax, email;
    bool operator==(const CompanyDetails&) const = default;
};

enum class SmtpSecurity { None, StartTls, Tls };
const char* smtpSecurityName(SmtpSecurity security); // "none", "starttls", "tls"

// How mail leaves the workstation; the fifth record of config.txt.
struct MailTransport {
    std::string smtpHost;
    int smtpPort = 25;
    SmtpSecurity security = SmtpSecurity::None;
    std::string user;
    std::string password;
    std::string senderAddress;
    std::string mailProgram = "/usr/sbin/sendmail";
    bool operator==(const MailTransport&) const = default;
};

struct Settings {
    CompanyDetails company;
    std::string operatingState;
    double brightness = 0;
    double zoom = 0;
    bool autoMessaging = false;
    bool useOutlook = false; // true: the mail program; false: SMTP
    std::string dataFolder;  // ends with "/"
    MailTransport mail;
    bool operator==(const Settings&) const = default;
};

enum class ConfigPresence {
    Missing, // no config.txt: choose the first state, default data folder, nothing else
    Empty,   // size 0: every value empty, state unchanged, default data folder
    Present,
};

struct LoadedConfig {
    ConfigPresence presence = ConfigPresence::Missing;
    Settings settings;
};

// programFolder ends with "/"; the default data folder is programFolder + "data/".
std::string defaultDataFolder(const std::string& programFolder);

// Reads programFolder + "config.txt". Fewer than four records or a bad third record is an error
// that says which record is wrong.
Result<LoadedConfig> loadConfig(const std::string& programFolder);
Result<LoadedConfig> parseConfig(std::string_view bytes, const std::string& programFolder);

// The data path box's text as stored: blanks trimmed, empty gives the default, "/" added.
std::string normaliseDataFolder(std::string_view typed, const std::string& programFolder);

std::string encodeConfig(const Settings& settings);
// Replaces config.txt (mode 0600: it holds the mail password).
Status saveConfig(const std::string& programFolder, const Settings& settings);

// Creates the customrates folder; a missing data folder is PathNotFound.
Status prepareWorkspace(const std::string& dataFolder);

} // namespace qm
