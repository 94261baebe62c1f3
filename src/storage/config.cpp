#include "config.h"

#include "directory_files.h"
#include "files.h"
#include "record.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr size_t kRecordFieldCounts[] = {7, 1, 4, 1};
constexpr size_t kMailFieldCount = 7;

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

SmtpSecurity securityFromName(std::string_view name) {
    if (name == "starttls")
        return SmtpSecurity::StartTls;
    if (name == "tls")
        return SmtpSecurity::Tls;
    return SmtpSecurity::None;
}

// Reads one record of `count` fields starting at pos; advances pos past it.
Result<std::vector<Field>> readOneRecord(std::string_view bytes, size_t& pos, size_t count,
                                         int number, const std::string& path) {
    auto table = readRecords(bytes.substr(pos), count, path, 1);
    if (!table || table->size() == 0) {
        std::string why = table ? "is missing" : "does not read: " + table.error().message;
        return Error{ErrorKind::BadConfig, path, number,
                     "record " + std::to_string(number) + " " + why, 0};
    }
    pos += table->rawRecord(0).size();
    return table->fields(0);
}

} // namespace

const char* smtpSecurityName(SmtpSecurity security) {
    switch (security) {
    case SmtpSecurity::None:
        return "none";
    case SmtpSecurity::StartTls:
        return "starttls";
    case SmtpSecurity::Tls:
        return "tls";
    }
    return "none";
}

std::string defaultDataFolder(const std::string& programFolder) {
    return programFolder + "data/";
}

std::string normaliseDataFolder(std::string_view typed, const std::string& programFolder) {
    const std::string_view trimmed = trimBlanks(typed);
    if (trimmed.empty())
        return defaultDataFolder(programFolder);
    std::string out(trimmed);
    if (!out.ends_with('/'))
        out += '/';
    return out;
}

Result<LoadedConfig> parseConfig(std::string_view bytes, const std::string& programFolder) {
    const std::string path = programFolder + kConfigFileName;
    LoadedConfig out;
    out.settings.dataFolder = defaultDataFolder(programFolder);
    if (bytes.empty()) {
        out.presence = ConfigPresence::Empty;
        return out;
    }
    out.presence = ConfigPresence::Present;
    size_t pos = 0;
    std::vector<Field> records[4];
    for (int i = 0; i < 4; ++i) {
        auto rec = readOneRecord(bytes, pos, kRecordFieldCounts[i], i + 1, path);
        if (!rec)
            return rec.error();
        records[i] = std::move(rec).value();
    }
    Settings& s = out.settings;
    const auto& c = records[0];
    s.company = {c[0].text, c[1].text, c[2].text, c[3].text, c[4].text, c[5].text, c[6].text};
    s.operatingState = records[1][0].text;

    const auto& r3 = records[2];
    const auto number = [&](size_t i) { return FieldView{r3[i].kind, r3[i].text}.number(); };
    const auto brightness = number(0), zoom = number(1), automatic = number(2);
    const auto outlook = FieldView{r3[3].kind, r3[3].text}.boolean();
    if (r3[0].kind != FieldKind::Number || r3[1].kind != FieldKind::Number ||
        r3[2].kind != FieldKind::Number || !brightness || !zoom || !automatic || !outlook)
        return Error{ErrorKind::BadConfig, path, 3,
                     "record 3 must hold two slider positions, 0 or 1, and #TRUE# or #FALSE#", 0};
    s.brightness = *brightness;
    s.zoom = *zoom;
    s.autoMessaging = *automatic != 0;
    s.useOutlook = *outlook;
    // A hand-edited path without its trailing "/" would run into the file names.
    s.dataFolder = normaliseDataFolder(records[3][0].text, programFolder);

    // The mail record came later; older files end after record 4.
    if (trimBlanks(bytes.substr(pos)).find_first_not_of(" \t\r\n") != std::string_view::npos) {
        auto mail = readOneRecord(bytes, pos, kMailFieldCount, 5, path);
        if (!mail)
            return mail.error();
        const auto& m = *mail;
        const auto port = FieldView{m[1].kind, m[1].text}.number();
        if (!port || *port < 1 || *port > 65535)
            return Error{ErrorKind::BadConfig, path, 5, "record 5 has no valid SMTP port", 0};
        s.mail = {m[0].text,
                  static_cast<int>(*port),
                  securityFromName(m[2].text),
                  m[3].text,
                  m[4].text,
                  m[5].text,
                  m[6].text};
    }
    return out;
}

// A config.txt written by an older copy, or copied in by hand, may be readable by others while it
// holds the mail password: closed to its owner as saving would. Not through a symlink, and a file
// this user cannot change is left as it is.
static void keepPasswordPrivate(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 077) != 0)
        (void)::fchmod(fd, 0600);
    ::close(fd);
}

Result<LoadedConfig> loadConfig(const std::string& programFolder) {
    auto bytes = readWholeFile(programFolder + kConfigFileName);
    if (!bytes) {
        if (bytes.error().kind == ErrorKind::FileNotFound) {
            LoadedConfig missing;
            missing.presence = ConfigPresence::Missing;
            missing.settings.dataFolder = defaultDataFolder(programFolder);
            return missing;
        }
        return bytes.error();
    }
    auto loaded = parseConfig(*bytes, programFolder);
    if (loaded && !loaded->settings.mail.password.empty())
        keepPasswordPrivate(programFolder + kConfigFileName);
    return loaded;
}

std::string encodeConfig(const Settings& s) {
    std::string out;
    const Field company[] = {
        Field::ofText(s.company.name),     Field::ofText(s.company.address1),
        Field::ofText(s.company.address2), Field::ofText(s.company.cityStateZip),
        Field::ofText(s.company.phone),    Field::ofText(s.company.fax),
        Field::ofText(s.company.email)};
    appendEncodedRecord(out, company);
    const Field state[] = {Field::ofText(s.operatingState)};
    appendEncodedRecord(out, state);
    const Field view[] = {Field::ofNumber(s.brightness), Field::ofNumber(s.zoom),
                          Field::ofNumber(s.autoMessaging ? 1 : 0), Field::ofBool(s.useOutlook)};
    appendEncodedRecord(out, view);
    const Field folder[] = {Field::ofText(s.dataFolder)};
    appendEncodedRecord(out, folder);
    const MailTransport& m = s.mail;
    const Field mail[] = {Field::ofText(m.smtpHost),
                          Field::ofNumber(m.smtpPort),
                          Field::ofText(smtpSecurityName(m.security)),
                          Field::ofText(m.user),
                          Field::ofText(m.password),
                          Field::ofText(m.senderAddress),
                          Field::ofText(m.mailProgram)};
    appendEncodedRecord(out, mail);
    return out;
}

Status saveConfig(const std::string& programFolder, const Settings& settings) {
    return replaceFileContent(programFolder + kConfigFileName, encodeConfig(settings), 0600);
}

Status prepareWorkspace(const std::string& dataFolder) {
    if (!folderExists(dataFolder))
        return Error{ErrorKind::PathNotFound, dataFolder, 0, "the data folder does not exist",
                     ENOENT};
    const std::string rates = dataFolder + kCustomRatesFolder;
    if (folderExists(rates))
        return okStatus();
    if (::mkdir(rates.c_str(), 0777) != 0 && errno != EEXIST)
        return systemError(rates, errno, "cannot create the custom rates folder");
    return okStatus();
}

} // namespace qm
