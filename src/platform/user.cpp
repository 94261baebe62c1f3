#include "user.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace qm {

std::string limitLogOnName(std::string name) {
    // Count characters, not bytes, so a UTF-8 name is never cut inside a character.
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if ((byte & 0xC0) == 0x80) {
            continue;
        }
        if (characters == kLogOnNameLength) {
            name.resize(i);
            break;
        }
        ++characters;
    }
    return name;
}

std::string logOnName() {
    if (const passwd* entry = getpwuid(getuid());
        entry != nullptr && entry->pw_name != nullptr && entry->pw_name[0] != '\0') {
        return limitLogOnName(entry->pw_name);
    }
    if (const char* user = std::getenv("USER"); user != nullptr && user[0] != '\0') {
        return limitLogOnName(user);
    }
    return "user";
}

} // namespace qm
