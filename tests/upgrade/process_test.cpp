// The real upmender, and the real quillmark starting it, as processes.
#include "upgrade_fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace upm::test {
namespace {

struct Outcome {
    int exitCode = -1;
    QStringList messages; // "icon|title|text" of each message box
};

class Upmender : public UpgradeFixture {
  protected:
    Outcome run(const QStringList& arguments, const QString& workingFolder, const QString& base) {
        QProcess process;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("QUILLMARK_VENDOR_URL", base);
        e.insert("UPMENDER_MESSAGES", "stderr");
        e.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(e);
        process.setWorkingDirectory(workingFolder);
        process.start(QStringLiteral(UPM_UPMENDER), arguments);
        Outcome outcome;
        if (!process.waitForFinished(60000))
            return outcome;
        outcome.exitCode = process.exitCode();
        for (const QByteArray& line : process.readAllStandardError().split('\n')) {
            if (line.startsWith("upmender message\t"))
                outcome.messages.append(QString::fromUtf8(line.mid(17)).replace('\t', '|'));
        }
        return outcome;
    }
};

TEST_F(Upmender, UpgradesItsWorkingFolder) {
    auto items = newVersion();
    items.push_back({"PATCH.EXE", patchScript(), S_IFREG | 0755});
    publish("quillmark", items);
    const Outcome outcome = run({"/Quillmark:quillmark"}, folder, filesUrl());
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.messages.isEmpty()) << outcome.messages.join('\n').toStdString();
    EXPECT_EQ(contentOf(folder + "quillmark"), "new program\n");
    EXPECT_EQ(contentOf(folder + "patch-ran.txt"), "/auto\n" + folder.chopped(1).toUtf8() + "\n");
    EXPECT_FALSE(QFile::exists(folder + "PATCH.EXE"));
}

TEST_F(Upmender, CommandLine) {
    publish("quillmark", newVersion());
    const struct {
        QStringList arguments;
        int exitCode;
    } cases[] = {{{}, 0}, {{"/Quillmark"}, 2}, {{"/Quillmark:quillmark", "/x"}, 2}};
    const auto before = snapshot(folder);
    for (const auto& c : cases) {
        const Outcome outcome = run(c.arguments, folder, filesUrl());
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(outcome.messages.isEmpty());
    }
    EXPECT_EQ(snapshot(folder), before);
}

TEST_F(Upmender, AFolderThatCannotBeChangedNamesTheProductAndDownloadsNothing) {
    // Not even root may create a file in /proc.
    for (const QString product : {"Quillmark", "Other Desk"}) {
        const Outcome outcome = run({"/" + product + ":status_200"}, "/proc", helperUrl());
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.messages,
                  QStringList("critical| Elevated Privileges Required|The Upgrade Patch performs "
                              "file operations that require Administrator privileges. Please "
                              "RE-START " +
                              product +
                              " by RIGHT-Clicking the desktop shortcut "
                              "and choosing \"Run As Administrator\""));
    }
    EXPECT_FALSE(helperLog().contains("/status/200/"));
}

TEST_F(Upmender, OnlyOneRunsPerProgramFolder) {
    const int held = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const auto before = snapshot(folder);
    const Outcome outcome = run({"/Quillmark:status_201"}, folder, helperUrl());
    ::close(held);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.messages,
              QStringList("none|Upmender|An upgrade of this program is already running."));
    EXPECT_FALSE(helperLog().contains("/status/201/"));
    EXPECT_EQ(snapshot(folder), before);
}

TEST_F(Upmender, AFailedDownloadSaysSoAndChangesNothing) {
    const auto before = snapshot(folder);
    const Outcome outcome = run({"/Quillmark:status_404"}, folder, helperUrl());
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.messages, QStringList("none|Upmender|Cannot download CAB file"));
    EXPECT_EQ(snapshot(folder), before);
}

// quillmark /upg starts the upmender of its own folder, which upgrades that folder.
TEST_F(Upmender, QuillmarkUpgStartsItEndToEnd) {
    auto items = newVersion();
    items.push_back({"PATCH.EXE", patchScript(), S_IFREG | 0755});
    publish("quillmark", items);
    ASSERT_TRUE(QFile::copy(QStringLiteral(UPM_UPMENDER), folder + "upmender"));
    QProcess quillmark;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("QUILLMARK_PROGRAM_FOLDER", folder);
    e.insert("QUILLMARK_VENDOR_URL", filesUrl());
    e.insert("UPMENDER_MESSAGES", "stderr");
    e.insert("QT_QPA_PLATFORM", "offscreen");
    quillmark.setProcessEnvironment(e);
    quillmark.start(QStringLiteral(UPM_QUILLMARK), {"/upg"});
    // Ends before upmender does, closing the pipes upmender inherited as its output.
    ASSERT_TRUE(quillmark.waitForFinished(30000));
    EXPECT_EQ(quillmark.exitCode(), 0);
    // upmender runs on after quillmark has ended; it is done once the patch is gone.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 30000 &&
           (QFile::exists(folder + "PATCH.EXE") || !QFile::exists(folder + "patch-ran.txt")))
        QThread::msleep(50);
    ASSERT_LT(waited.elapsed(), 30000) << "upmender did not finish";
    EXPECT_EQ(contentOf(folder + "quillmark"), "new program\n");
    EXPECT_EQ(contentOf(folder + "patch-ran.txt"), "/auto\n" + folder.chopped(1).toUtf8() + "\n");
}

} // namespace
} // namespace upm::test
