// Entry names, one rule at a time.
#include "package.h"

#include <gtest/gtest.h>

namespace upm {
namespace {

TEST(PackageNames, CleanNamesKeepTheirPathAndKind) {
    const struct {
        const char* raw;
        const char* path;
        bool directory;
    } cases[] = {
        {"quillmark", "quillmark", false},
        {"help/", "help", true},
        {"lib/forms/letter.txt", "lib/forms/letter.txt", false},
        {"..hidden-but-harmless", "..hidden-but-harmless", false},
        {"lib/.upmender-like", "lib/.upmender-like", false},
        {"caf\xc3\xa9.txt", "caf\xc3\xa9.txt", false},
    };
    for (const auto& c : cases) {
        std::string path;
        bool directory = false;
        EXPECT_EQ(refusedName(c.raw, path, directory), "") << c.raw;
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(directory, c.directory) << c.raw;
    }
}

TEST(PackageNames, RefusedNames) {
    for (const char* raw :
         {"", "/", "/etc/passwd", "..", "../x", "a/..", "a/../b", "a\\b", "c:x", "Z:/x", "a\tb",
          "a\x7f", "a//b", "./a", "a/./b", ".upmender", "//server/share"}) {
        std::string path;
        bool directory = false;
        EXPECT_NE(refusedName(raw, path, directory), "") << raw;
    }
}

} // namespace
} // namespace upm
