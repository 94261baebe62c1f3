// config.txt: whatever the reader accepts is saved and read back as the same settings.
//
// Input: the bytes of config.txt.

#include "config.h"
#include "fuzz_support.h"

using namespace qm;

namespace {

const std::string kProgramFolder = "/prog/";

void checkNormalised(std::string_view typed) {
    const std::string once = normaliseDataFolder(typed, kProgramFolder);
    FUZZ_CHECK(once.ends_with('/'), "a normalised data folder ends with /");
    FUZZ_CHECK(normaliseDataFolder(once, kProgramFolder) == once,
               "normalising twice changes nothing");
}

// Saving writes no double quote: a bare field's quote comes back as an apostrophe.
Settings asSaved(Settings s) {
    CompanyDetails& c = s.company;
    MailTransport& m = s.mail;
    for (std::string* text : {&c.name, &c.address1, &c.address2, &c.cityStateZip, &c.phone, &c.fax,
                              &c.email, &s.operatingState, &s.dataFolder, &m.smtpHost, &m.user,
                              &m.password, &m.senderAddress, &m.mailProgram}) {
        for (char& ch : *text)
            if (ch == '"')
                ch = '\'';
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::asText(data, size);
    checkNormalised(bytes.substr(0, 256));

    auto first = parseConfig(bytes, kProgramFolder);
    if (!first) {
        const Error& e = first.error();
        FUZZ_CHECK(e.kind == ErrorKind::BadConfig, "config errors are BadConfig");
        FUZZ_CHECK(e.record >= 1 && e.record <= 5, "config errors name the record");
        FUZZ_CHECK(e.file == kProgramFolder + kConfigFileName, "config errors name the file");
        return 0;
    }
    FUZZ_CHECK(first->presence == (bytes.empty() ? ConfigPresence::Empty : ConfigPresence::Present),
               "presence follows the size");
    const Settings& settings = first->settings;
    FUZZ_CHECK(!settings.dataFolder.empty(), "there is always a data folder");
    FUZZ_CHECK(settings.mail.smtpPort >= 1 && settings.mail.smtpPort <= 65535,
               "the SMTP port is a port");
    checkNormalised(settings.dataFolder);
    FUZZ_CHECK(settings.dataFolder.ends_with('/'), "the data folder ends with /");

    const std::string saved = encodeConfig(settings);
    auto second = parseConfig(saved, kProgramFolder);
    FUZZ_CHECK(second, "saved settings read back");
    FUZZ_CHECK(second->presence == ConfigPresence::Present, "saved settings are present");
    FUZZ_CHECK(second->settings == asSaved(settings), "saved settings read back equal");
    FUZZ_CHECK(encodeConfig(second->settings) == saved, "saving again writes the same bytes");
    return 0;
}
