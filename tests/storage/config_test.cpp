#include "config.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {
namespace {

using test::fixture;
using test::TempFolder;

TEST(Config, MissingAndEmptyFilesUseTheDefaultDataFolder) {
    TempFolder program;
    auto missing = loadConfig(program.path());
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->presence, ConfigPresence::Missing);
    EXPECT_EQ(missing->settings.dataFolder, program.path() + "data/");

    test::put(program.file("config.txt"), "");
    auto empty = loadConfig(program.path());
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->presence, ConfigPresence::Empty);
    EXPECT_EQ(empty->settings.dataFolder, program.path() + "data/");
    EXPECT_EQ(empty->settings.brightness, 0);
    EXPECT_FALSE(empty->settings.autoMessaging);
    EXPECT_FALSE(empty->settings.useOutlook);
}

TEST(Config, FourRecordsReadAndTheMailRecordKeepsItsDefaults) {
    auto loaded = parseConfig(fixture("config-four-records.txt"), "/prog/");
    ASSERT_TRUE(loaded) << loaded.error().describe();
    const Settings& s = loaded->settings;
    EXPECT_EQ(loaded->presence, ConfigPresence::Present);
    EXPECT_EQ(s.company.name, "North Abstract");
    EXPECT_EQ(s.company.email, "desk@north.example");
    EXPECT_EQ(s.operatingState, "Connecticut");
    EXPECT_EQ(s.brightness, 3);
    EXPECT_EQ(s.zoom, -2);
    EXPECT_TRUE(s.autoMessaging);
    EXPECT_TRUE(s.useOutlook);
    EXPECT_EQ(s.dataFolder, "/srv/quill/data/");
    EXPECT_EQ(s.mail, MailTransport{});
}

TEST(Config, FiveRecordsWriteBackByteForByte) {
    const std::string bytes = fixture("config-five-records.txt");
    auto loaded = parseConfig(bytes, "/prog/");
    ASSERT_TRUE(loaded) << loaded.error().describe();
    const MailTransport& m = loaded->settings.mail;
    EXPECT_EQ(m.smtpHost, "smtp.north.example");
    EXPECT_EQ(m.smtpPort, 587);
    EXPECT_EQ(m.security, SmtpSecurity::StartTls);
    EXPECT_EQ(m.password, "s3cret");
    EXPECT_EQ(loaded->settings.zoom, 0.5);
    EXPECT_EQ(encodeConfig(loaded->settings), bytes);
}

TEST(Config, AnEmptyDataFolderRecordGivesTheDefault) {
    std::string bytes = fixture("config-four-records.txt");
    bytes.replace(bytes.find("\"/srv/quill/data/\""), 18, "\"\"");
    auto loaded = parseConfig(bytes, "/prog/");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->settings.dataFolder, "/prog/data/");
}

TEST(Config, AHandEditedFileIsReadSensibly) {
    std::string bytes = fixture("config-four-records.txt");
    bytes.replace(bytes.find("/srv/quill/data/"), 16, " /srv/quill/data ");
    auto loaded = parseConfig(bytes + "\r\n  \r\n", "/prog/");
    ASSERT_TRUE(loaded) << loaded.error().describe();
    EXPECT_EQ(loaded->settings.dataFolder, "/srv/quill/data/");
}

TEST(Config, BrokenFilesSayWhichRecordIsWrong) {
    const std::string good = fixture("config-four-records.txt");
    const std::string firstTwo = good.substr(0, good.find("3,-2"));
    const struct {
        const char* name;
        std::string bytes;
        long record;
    } cases[] = {
        {"two records only", firstTwo, 3},
        {"one record only", good.substr(0, good.find("\"Connecticut\"")), 2},
        {"slider as text", firstTwo + "\"3\",-2,1,#TRUE#\r\n\"/d/\"\r\n", 3},
        {"choice not a Boolean", firstTwo + "3,-2,1,1\r\n\"/d/\"\r\n", 3},
        {"word for a number", firstTwo + "high,-2,1,#TRUE#\r\n\"/d/\"\r\n", 3},
        {"record 3 short", firstTwo + "3,-2\r\n", 3},
        {"unclosed company text", "\"North,\"a\r\n", 1},
        {"bad port", good + "\"h\",99999,\"tls\",\"\",\"\",\"\",\"\"\r\n", 5},
        {"short mail record", good + "\"h\",25\r\n", 5},
    };
    for (const auto& c : cases) {
        auto loaded = parseConfig(c.bytes, "/prog/");
        ASSERT_FALSE(loaded) << c.name;
        EXPECT_EQ(loaded.error().kind, ErrorKind::BadConfig) << c.name;
        EXPECT_EQ(loaded.error().record, c.record) << c.name << ": " << loaded.error().message;
        EXPECT_NE(loaded.error().message.find("record " + std::to_string(c.record)),
                  std::string::npos)
            << c.name << ": " << loaded.error().message;
    }
}

TEST(Config, SaveWritesAllRecordsPrivately) {
    TempFolder program;
    Settings s;
    s.company.name = "North Abstract";
    s.operatingState = "Massachusetts";
    s.zoom = 2;
    s.dataFolder = normaliseDataFolder("  /srv/data ", program.path());
    s.mail.smtpHost = "mail.example";
    ASSERT_TRUE(saveConfig(program.path(), s));
    struct stat st {};
    ASSERT_EQ(::stat(program.file("config.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    auto back = loadConfig(program.path());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->settings, s);
    EXPECT_FALSE(fileExists(program.file("config.new")));
}

TEST(Config, ReadingAPasswordOthersCanReadClosesTheFile) {
    const struct {
        const char* fixtureName;
        unsigned mode;
        unsigned after;
    } cases[] = {
        {"config-five-records.txt", 0644, 0600}, {"config-five-records.txt", 0640, 0600},
        {"config-five-records.txt", 0604, 0600}, {"config-five-records.txt", 0600, 0600},
        {"config-five-records.txt", 0400, 0400}, // already private: left as the owner set it
        {"config-four-records.txt", 0644, 0644}, // no password, nothing to hide
    };
    for (const auto& c : cases) {
        TempFolder program;
        test::put(program.file("config.txt"), fixture(c.fixtureName));
        ASSERT_EQ(::chmod(program.file("config.txt").c_str(), c.mode), 0);
        ASSERT_TRUE(loadConfig(program.path())) << c.fixtureName;
        struct stat st {};
        ASSERT_EQ(::stat(program.file("config.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, c.after) << c.fixtureName << " " << std::oct << c.mode;
    }

    // Like every file the program reads, config.txt is not read through a link (saving the
    // settings would replace the link anyway), and the link's target is not changed.
    TempFolder program;
    test::put(program.file("elsewhere.txt"), fixture("config-five-records.txt"));
    ASSERT_EQ(::chmod(program.file("elsewhere.txt").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("elsewhere.txt", program.file("config.txt").c_str()), 0);
    ASSERT_FALSE(loadConfig(program.path()));
    struct stat st {};
    ASSERT_EQ(::stat(program.file("elsewhere.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(Config, DataPathBoxIsNormalised) {
    const struct {
        const char* typed;
        const char* stored;
    } cases[] = {{"/srv/data", "/srv/data/"},
                 {"/srv/data/", "/srv/data/"},
                 {"  /srv/d  ", "/srv/d/"},
                 {"", "/prog/data/"},
                 {"   ", "/prog/data/"}};
    for (const auto& c : cases)
        EXPECT_EQ(normaliseDataFolder(c.typed, "/prog/"), c.stored) << '"' << c.typed << '"';
}

TEST(Config, PreparingTheWorkspace) {
    TempFolder data;
    ASSERT_TRUE(prepareWorkspace(data.path()));
    EXPECT_TRUE(folderExists(data.file("customrates")));
    ASSERT_TRUE(prepareWorkspace(data.path())); // already there
    auto bad = prepareWorkspace(data.path() + "missing/");
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().kind, ErrorKind::PathNotFound);
}

} // namespace
} // namespace qm
