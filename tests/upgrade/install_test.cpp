// Putting a checked package into place: all of it or none of it.
#include "install.h"
#include "upgrade_fixture.h"

#include <QProcess>

namespace upm::test {
namespace {

mode_t modeOf(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

class Install : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = dir.path() + "/";
        writeOldVersion(folder);
    }
    // Opens and checks a package of items.
    bool load(const std::vector<Item>& items) {
        const QString path = packages.path() + "/p.zip";
        std::string why;
        return writePackage(path, items) && package.open(path.toStdString(), why) &&
               package.inspect(PackageLimits{}, why);
    }

    QTemporaryDir dir;
    QTemporaryDir packages;
    QString folder;
    Package package;
};

// Whichever file fails to move into place, the old version is whole afterwards.
TEST_F(Install, AFailureAtAnyStepPutsTheOldVersionBack) {
    ASSERT_TRUE(load(newVersion()));
    const auto before = snapshot(folder);
    const int files = 3;
    for (int failing = 0; failing < files; ++failing) {
        Installer installer(folder.toStdString(), package);
        int moves = 0;
        installer.beforeMove = [&](const std::string&) { return moves++ != failing; };
        std::string why;
        ASSERT_TRUE(installer.checkTargets(why) && installer.stage(why)) << why;
        EXPECT_FALSE(installer.install(why));
        EXPECT_TRUE(installer.restored());
        EXPECT_NE(why.find("cannot replace"), std::string::npos) << why;
        EXPECT_EQ(moves, failing + 1);
    }
    EXPECT_EQ(snapshot(folder), before); // working folders are gone too
}

TEST_F(Install, ARunningProgramKeepsRunningWhileItsFileIsReplaced) {
    ASSERT_TRUE(QFile::copy("/bin/sleep", folder + "quillmark-running"));
    QProcess running;
    running.start(folder + "quillmark-running", {"30"});
    ASSERT_TRUE(running.waitForStarted());
    ASSERT_TRUE(load({{"quillmark-running", "new program\n", S_IFREG | 0755}}));
    Installer installer(folder.toStdString(), package);
    std::string why;
    EXPECT_TRUE(installer.checkTargets(why) && installer.stage(why) && installer.install(why))
        << why;
    EXPECT_EQ(contentOf(folder + "quillmark-running"), "new program\n");
    EXPECT_FALSE(running.waitForFinished(300));
    EXPECT_EQ(running.state(), QProcess::Running);
    running.kill();
    running.waitForFinished();
}

TEST_F(Install, AFileWithoutAUnixModeKeepsTheModeOfTheFileItReplaces) {
    ASSERT_TRUE(load({{"quillmark", "new program\n", 0}, {"readme.txt", "new\n", 0}}));
    Installer installer(folder.toStdString(), package);
    std::string why;
    ASSERT_TRUE(installer.checkTargets(why) && installer.stage(why) && installer.install(why))
        << why;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(modeOf(folder + "quillmark"), 0755u); // as the old version had it
    EXPECT_EQ(modeOf(folder + "readme.txt"), 0644 & ~mask);
}

TEST_F(Install, AFileCannotReplaceAFolderNorTheReverse) {
    writeFile(folder + "manual", "a file\n");
    const struct {
        const char* name;
        std::vector<Item> items;
    } cases[] = {
        {"file over folder", {{"help", "x", S_IFREG | 0644}}},
        {"folder over file", {{"manual/", "", S_IFDIR | 0755}}},
        {"file below a file", {{"config.txt/x", "x", S_IFREG | 0644}}},
    };
    const auto before = snapshot(folder);
    for (const auto& c : cases) {
        Package fresh;
        const QString path = packages.path() + "/c.zip";
        std::string why;
        ASSERT_TRUE(writePackage(path, c.items) && fresh.open(path.toStdString(), why) &&
                    fresh.inspect(PackageLimits{}, why))
            << c.name;
        Installer installer(folder.toStdString(), fresh);
        EXPECT_FALSE(installer.checkTargets(why)) << c.name;
        EXPECT_EQ(snapshot(folder), before) << c.name;
    }
}

TEST_F(Install, ALinkInTheProgramFolderIsNotFollowed) {
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), folder + "linked"));
    ASSERT_TRUE(load({{"linked/evil", "x", S_IFREG | 0644}}));
    Installer installer(folder.toStdString(), package);
    std::string why;
    EXPECT_FALSE(installer.checkTargets(why));
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
}

} // namespace
} // namespace upm::test
