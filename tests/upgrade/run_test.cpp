// Whole upgrade runs against loopback servers, with the window recorded instead of shown.
#include "upgrade.h"
#include "upgrade_fixture.h"

#include <QDateTime>
#include <QFileInfo>
#include <sys/stat.h>

namespace upm::test {
namespace {

class RecordingUi final : public UpgradeUi {
  public:
    void showWindow() override { shown = true; }
    void showStep(const std::string& text) override { steps.push_back(text); }
    void idle() override {}
    void message(const Message& message) override { messages.push_back(message); }

    bool shown = false;
    std::vector<std::string> steps;
    std::vector<Message> messages;
};

class UpgradeRun : public UpgradeFixture {
  protected:
    int run(const std::string& argument, const QString& base) {
        UpgradeSettings settings;
        settings.folder = folder.toStdString();
        settings.baseUrl = base.toStdString();
        settings.download.stallSeconds = 2;
        settings.limits = limits;
        return runUpgrade({argument}, settings, ui);
    }
    std::string onlyMessage() const {
        return ui.messages.size() == 1 ? ui.messages[0].text
                                       : "<" + std::to_string(ui.messages.size()) + " messages>";
    }

    RecordingUi ui;
    PackageLimits limits;
};

mode_t modeOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode;
}

TEST_F(UpgradeRun, ANewVersionWithItsPatchIsInstalled) {
    auto items = newVersion();
    items.push_back({"PATCH.EXE", patchScript(), S_IFREG | 0755});
    const QString package = publish("quillmark", items);
    // A self-extractor stub before the archive is allowed.
    ASSERT_TRUE(prependStub(package, "MZ" + QByteArray(4000, '\x90')));
    const QDateTime started = QDateTime::currentDateTime().addSecs(-2);

    EXPECT_EQ(run("/Quillmark:quillmark", filesUrl()), 0);

    EXPECT_TRUE(ui.messages.empty()) << onlyMessage();
    EXPECT_EQ(ui.steps, (std::vector<std::string>{kDownloadingStep, kUpgradingStep}));
    EXPECT_EQ(contentOf(folder + "quillmark"), "new program\n");
    EXPECT_EQ(contentOf(folder + "help/guide.txt"), "new guide\n");
    EXPECT_EQ(contentOf(folder + "lib/forms/letter.txt"), "letter\n");
    EXPECT_EQ(contentOf(folder + "config.txt"), "settings of this workstation\n");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(modeOf(folder + "quillmark") & 07777, 0755 & ~mask);
    EXPECT_EQ(modeOf(folder + "lib/forms/letter.txt") & 07777, 0640 & ~mask);
    EXPECT_EQ(modeOf(folder + "lib") & 07777, 0750 & ~mask);
    // Dated now, not as in the package, or the upgrade would be offered again.
    EXPECT_GE(QFileInfo(folder + "quillmark").lastModified(), started);
    // The patch ran in the program folder with "/auto", and is gone.
    EXPECT_EQ(contentOf(folder + "patch-ran.txt"), "/auto\n" + folder.chopped(1).toUtf8() + "\n");
    EXPECT_FALSE(QFile::exists(folder + "PATCH.EXE"));
    // Neither the package nor any working folder is left.
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"config.txt", "help", "lib", "patch-ran.txt", "quillmark"}));
}

TEST_F(UpgradeRun, APackageWithoutPatchSaysSo) {
    publish("plain", newVersion());
    EXPECT_EQ(run("/Quillmark:plain", filesUrl()), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "Upmender");
    EXPECT_EQ(ui.messages[0].text, "Upgrade Completed [no patch]");
    EXPECT_EQ(contentOf(folder + "quillmark"), "new program\n");
}

TEST_F(UpgradeRun, LeftoversOfAKilledRunAreRemovedButSetAsideFilesKept) {
    QDir(folder).mkpath(".upmender-staging.AbC123/lib");
    writeFile(folder + ".upmender-staging.AbC123/lib/x", "half unpacked");
    writeFile(folder + ".upmender-download.XyZ789", "half downloaded");
    QDir(folder).mkpath(".upmender-undo.Q1w2E3");
    writeFile(folder + ".upmender-undo.Q1w2E3/quillmark", "the only old copy");
    publish("plain", newVersion());
    EXPECT_EQ(run("/Quillmark:plain", filesUrl()), 0);
    EXPECT_EQ(QDir(folder).entryList({".upmender*"}, QDir::AllEntries | QDir::Hidden),
              QStringList{".upmender-undo.Q1w2E3"});
}

TEST_F(UpgradeRun, AFolderThatCannotBeChangedIsRefusedBeforeTheWindowShows) {
    folder = "/proc/"; // not even root may create a file here
    EXPECT_EQ(run("/Quillmark:quillmark", filesUrl()), 1);
    EXPECT_FALSE(ui.shown);
    EXPECT_TRUE(ui.steps.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, " Elevated Privileges Required");
    EXPECT_EQ(ui.messages[0].icon, Icon::Critical);
}

TEST_F(UpgradeRun, TheServerPathNamesNestedFolders) {
    publish("a/b", newVersion());
    EXPECT_EQ(run("/Quillmark:a_b", filesUrl() + "/"), 0);
    EXPECT_EQ(onlyMessage(), "Upgrade Completed [no patch]");
}

TEST_F(UpgradeRun, AFailingPatchIsReportedAndStillDeleted) {
    const struct {
        const char* path;
        QByteArray patch;
        const char* reported;
    } cases[] = {
        {"patch-fails", patchScript(3), "PATCH.EXE ended with the error status 3."},
        {"patch-killed", "#!/bin/sh\nkill -9 $$\n", "PATCH.EXE was stopped by the signal"},
        {"patch-garbage",
         "\x7f"
         "ELF not really",
         "PATCH.EXE could not be started"},
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        auto items = newVersion();
        items.push_back({"PATCH.EXE", c.patch, S_IFREG | 0755});
        publish(c.path, items);
        EXPECT_EQ(run(std::string("/Quillmark:") + c.path, filesUrl()), 1) << c.path;
        EXPECT_NE(onlyMessage().find(c.reported), std::string::npos) << onlyMessage();
        EXPECT_FALSE(QFile::exists(folder + "PATCH.EXE")) << c.path;
    }
}

// Each package is refused as a whole, before anything in the program folder changes.
TEST_F(UpgradeRun, HostilePackagesChangeNothing) {
    const auto item = [](const char* name, std::uint32_t mode = S_IFREG | 0644) {
        return Item{name, "payload\n", mode};
    };
    struct Case {
        const char* path;
        std::vector<Item> items;
        const char* reason;
        QByteArray from = {}, to = {}; // bytes changed in the written package
        bool firstOnly = false;
    };
    const std::vector<Case> cases = {
        {"absolute", {item("/tmp/evil")}, "an absolute name"},
        {"dotdot", {item("../evil")}, "\"..\" in the name"},
        {"dotdot-inside", {item("lib/../../evil")}, "\"..\" in the name"},
        {"backslash", {item("..\\evil")}, "a backslash"},
        {"drive", {item("C:evil")}, "a drive letter"},
        {"control", {item("evil\x1b[2J")}, "a control character"},
        {"newline", {item("evil\nname")}, "a control character"},
        {"empty-part", {item("lib//evil")}, "an empty or \".\" part"},
        {"dot-part", {item("./evil")}, "an empty or \".\" part"},
        {"reserved", {item(".upmender-staging.x/evil")}, "reserved"},
        {"duplicate", {item("twin-1"), item("twin-2")}, "named twice", "twin-2", "twin-1"},
        {"file-and-folder", {item("help2"), {"help2/", "", S_IFDIR | 0755}}, "named twice"},
        {"below-a-file", {item("notes"), item("notes/evil")}, "lies below the file"},
        {"symlink", {{"evil", "/etc/passwd", S_IFLNK | 0777}}, "a symbolic link"},
        {"char-device", {item("evil", S_IFCHR | 0666)}, "a device"},
        {"fifo", {item("evil", S_IFIFO | 0666)}, "a device"},
        {"setuid", {item("evil", S_IFREG | 04755)}, "set-user or set-group id"},
        {"setgid", {item("evil", S_IFREG | 02755)}, "set-user or set-group id"},
        {"folder-as-file", {item("evil", S_IFDIR | 0755)}, "a folder named like a file"},
        {"crc",
         {{"evil", "the stored bytes of this entry", S_IFREG | 0644, true}},
         "CRC",
         "stored bytes",
         "stoned bytes"},
        {"headers-disagree", {item("evil-a")}, "consisten", "evil-a", "evil-b", true},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        auto items = newVersion(); // sound entries first: nothing of them may land either
        items.insert(items.end(), c.items.begin(), c.items.end());
        const QString package = publish(QStringLiteral("hostile/") + c.path, items);
        if (!c.from.isEmpty()) {
            ASSERT_TRUE(patchBytes(package, c.from, c.to, c.firstOnly)) << c.path;
        }
        const auto before = snapshot(folder);
        EXPECT_EQ(run(std::string("/Quillmark:hostile_") + c.path, filesUrl()), 1) << c.path;
        EXPECT_NE(onlyMessage().find(c.reason), std::string::npos)
            << c.path << ": " << onlyMessage();
        EXPECT_NE(onlyMessage().find("nothing was changed"), std::string::npos) << c.path;
        EXPECT_EQ(snapshot(folder), before) << c.path;
    }
}

TEST_F(UpgradeRun, OversizedPackagesChangeNothing) {
    const struct {
        const char* path;
        PackageLimits limits;
        const char* reason;
    } cases[] = {
        {"many", {4, 1 << 20, 1 << 20}, "more than 4 entries"},
        {"large", {100, 6, 1 << 20}, "larger than 6 bytes"},
        {"total", {100, 1 << 20, 20}, "more than 20 bytes in all"},
    };
    publish("sizes", newVersion());
    for (const auto& c : cases) {
        ui.messages.clear();
        limits = c.limits;
        const auto before = snapshot(folder);
        EXPECT_EQ(run("/Quillmark:sizes", filesUrl()), 1) << c.path;
        EXPECT_NE(onlyMessage().find(c.reason), std::string::npos) << onlyMessage();
        EXPECT_EQ(snapshot(folder), before) << c.path;
    }
}

TEST_F(UpgradeRun, BadDownloadsChangeNothing) {
    const struct {
        const char* argument;
        QString base;
        const char* message;
    } cases[] = {
        {"/Quillmark:status_404", helperUrl(), "Cannot download CAB file"},
        {"/Quillmark:status_500", helperUrl(), "Cannot download CAB file"},
        {"/Quillmark:status_203", helperUrl(), "Cannot download CAB file"},
        {"/Quillmark:cut", helperUrl(), "Cannot download CAB file"},
        {"/Quillmark:stall", helperUrl(), "Cannot download CAB file"},
        {"/Quillmark:redirect_far", helperUrl(), "Cannot download CAB file"},
        // Plain HTTP to an address other than 127.0.0.1, localhost or ::1; served, but refused.
        {"/Quillmark:status_200", QString(helperUrl()).replace("127.0.0.1", "127.0.0.2"),
         "Cannot download CAB file"},
        // The helper speaks no TLS.
        {"/Quillmark:status_200", QString(helperUrl()).replace("http:", "https:"),
         "Cannot download CAB file"},
        {"/Quillmark:html", helperUrl(), "The upgrade package was refused"},
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        const auto before = snapshot(folder);
        EXPECT_EQ(run(c.argument, c.base), 1) << c.argument;
        EXPECT_EQ(onlyMessage().rfind(c.message, 0), 0u) << c.argument << ": " << onlyMessage();
        EXPECT_EQ(snapshot(folder), before) << c.argument;
    }
}

TEST_F(UpgradeRun, ARedirectOnThisMachineIsFollowed) {
    EXPECT_EQ(run("/Quillmark:redirect_home", helperUrl()), 0);
    EXPECT_EQ(onlyMessage(), "Upgrade Completed [no patch]");
    EXPECT_EQ(contentOf(folder + "quillmark"), "new program\n");
}

} // namespace
} // namespace upm::test
