#include "user.h"

#include <gtest/gtest.h>

namespace {

TEST(LogOnName, CutToTwentyFourCharactersNeverInsideOne) {
    const std::string e = "\xC3\xA9"; // é, two bytes
    std::string accented;
    for (int i = 0; i < 30; ++i) {
        accented += e;
    }
    const struct {
        std::string name;
        std::string expected;
    } cases[] = {
        {"", ""},
        {"mary jane", "mary jane"},
        {std::string(24, 'a'), std::string(24, 'a')},
        {std::string(25, 'a'), std::string(24, 'a')},
        {accented, accented.substr(0, 48)},
        {std::string(23, 'a') + e + "b", std::string(23, 'a') + e},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qm::limitLogOnName(c.name), c.expected) << c.name;
    }
    EXPECT_FALSE(qm::logOnName().empty());
}

} // namespace
