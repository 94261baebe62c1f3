#include "dialogs.h"
#include "launcher.h"
#include "single_instance.h"
#include "startup.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

namespace qm {
namespace {

class RecordingLauncher final : public ProgramLauncher {
  public:
    bool startDetached(const QString& program, const QStringList& arguments, const QString&,
                       QString* failure) override {
        started.append(program + " " + arguments.join(' '));
        if (!fail)
            return true;
        *failure = QStringLiteral("program not found");
        return false;
    }
    bool runAndWait(const QString& program, const QStringList&, const QString&, QString*) override {
        started.append(program);
        return true;
    }
    QStringList started;
    bool fail = false;
};

void writeScript(const QString& path, const QByteArray& body) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = dir.path() + "/";
        env.programFolder = folder;
        env.dialogs = &dialogs;
        env.launcher = &launcher;
    }
    // The real program on this test's program folder.
    QProcess* runProgram(const QStringList& arguments) {
        auto* process = new QProcess;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("QUILLMARK_PROGRAM_FOLDER", folder);
        e.insert("QUILLMARK_VENDOR_URL", "");
        e.insert("QT_QPA_PLATFORM", "offscreen");
        process->setProcessEnvironment(e);
        process->start(QStringLiteral(QM_PROGRAM), arguments);
        process->waitForStarted();
        return process;
    }

    QTemporaryDir dir;
    QString folder;
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    StartupEnvironment env;
};

TEST_F(StartupTest, CommandLine) {
    writeScript(folder + "upmender", "true");
    const struct {
        QStringList arguments;
        EntryOutcome outcome;
        int upgrades;
    } cases[] = {{{}, EntryOutcome::Continue, 0},  {{"/upg"}, EntryOutcome::End, 1},
                 {{"/UPG"}, EntryOutcome::End, 1}, {{"/Upg"}, EntryOutcome::End, 1},
                 {{"/x"}, EntryOutcome::End, 0},   {{"/upg", "/x"}, EntryOutcome::End, 0}};
    for (const auto& c : cases) {
        launcher.started.clear();
        EXPECT_EQ(runEntryStage(env, c.arguments), c.outcome)
            << c.arguments.join(' ').toStdString();
        ASSERT_EQ(launcher.started.size(), c.upgrades);
        if (c.upgrades) {
            EXPECT_EQ(launcher.started[0], folder + "upmender /Quillmark:quillmark");
        }
    }
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              QStringList{"upmender"}); // probe cleaned up
}

TEST_F(StartupTest, AnUpgradeUtilityThatCannotStartIsNamedWithWhereItWasLookedFor) {
    ProcessLauncher real;
    env.launcher = &real;
    const QString utility = folder + "upmender";
    const struct {
        const char* name;
        std::function<void()> prepare;
        QString text;
    } cases[] = {
        {"missing", [] {},
         "The upgrade utility upmender was not found.\nIt is looked for in the program "
         "folder:\n" +
             utility},
        {"a folder of that name", [&] { QDir(folder).mkdir("upmender"); },
         "The upgrade utility upmender was not found.\nIt is looked for in the program "
         "folder:\n" +
             utility},
        {"not executable",
         [&] {
             QDir(folder).rmdir("upmender");
             writeScript(utility, "true");
             QFile::setPermissions(utility, QFile::ReadOwner | QFile::WriteOwner);
         },
         "The upgrade utility " + utility + " could not be started:\n"},
    };
    for (const auto& c : cases) {
        dialogs.clear();
        c.prepare();
        EXPECT_EQ(runEntryStage(env, {"/upg"}), EntryOutcome::End);
        ASSERT_EQ(dialogs.shown().size(), 1u) << c.name;
        EXPECT_TRUE(dialogs.shown()[0].text.startsWith(c.text))
            << c.name << ": " << dialogs.shown()[0].text.toStdString();
        EXPECT_EQ(dialogs.shown()[0].title, kProgramTitle) << c.name;
    }
}

TEST_F(StartupTest, AFolderThatCannotBeChangedEndsWithAMessage) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may change any folder";
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(runEntryStage(env, {}), EntryOutcome::End);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(dialogs.shown()[0].text.contains("write access"));
}

TEST_F(StartupTest, AProgramFolderThatCannotBeWrittenToEndsStartUp) {
    // Even root cannot create a file in a folder that is not there.
    env.programFolder = folder + "gone/";
    EXPECT_EQ(runEntryStage(env, {}), EntryOutcome::End);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, " Write Access Needed - Quillmark");
    EXPECT_TRUE(dialogs.shown()[0].text.contains(folder + "gone/"));
}

// While the upgrade utility holds the program folder, the program says so and does not start;
// once it lets go, start-up goes on.
TEST_F(StartupTest, AStartDuringAnUpgradeSaysSoAndEnds) {
    const int upgrade = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(upgrade, 0);
    ASSERT_EQ(::flock(upgrade, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(runEntryStage(env, {}), EntryOutcome::End);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith("An upgrade of Quillmark is being installed"));
    ::close(upgrade);
    dialogs.clear();
    EXPECT_EQ(runEntryStage(env, {}), EntryOutcome::Continue);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(StartupTest, RealProgramEndsSilentlyOnAnUnknownArgumentAndStartsTheUpgradeOnUpg) {
    writeScript(folder + "upmender", "echo \"$@\" > \"$(dirname \"$0\")/upgrade-started\"");
    for (const QString& argument : {QStringLiteral("/x"), QStringLiteral("/UPG")}) {
        std::unique_ptr<QProcess> program(runProgram({argument}));
        ASSERT_TRUE(program->waitForFinished(20000)) << argument.toStdString();
        EXPECT_EQ(program->exitCode(), 0);
    }
    // QTRY_* would fail without telling the test framework: wait, then check.
    (void)QTest::qWaitFor([&] { return !contentOf(folder + "upgrade-started").isEmpty(); }, 5000);
    EXPECT_EQ(contentOf(folder + "upgrade-started"), QByteArray("/Quillmark:quillmark\n"));
}

TEST_F(StartupTest, RealProgramRunsAWaitingPatchWaitsForItAndDeletesIt) {
    writeScript(folder + "PATCH.EXE", "sleep 1; echo patched > \"$(dirname \"$0\")/patched\"");
    std::unique_ptr<QProcess> program(runProgram({}));
    ASSERT_TRUE(program->waitForFinished(30000));
    EXPECT_EQ(program->exitCode(), 0);
    EXPECT_EQ(contentOf(folder + "patched"), "patched\n"); // finished before the program ended
    EXPECT_FALSE(QFile::exists(folder + "PATCH.EXE"));
}

TEST_F(StartupTest, ASecondRealCopyLeavesNoWindowAndTheFirstRunsOn) {
    QDir(folder).mkdir("data");
    for (const char* name : {"Companies.lst", "Attorneys.lst", "Searchers.lst", "Services.dat",
                             "Pending.fil", "Completed.fil"}) {
        QFile f(folder + "data/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    std::unique_ptr<QProcess> first(runProgram({}));
    // The first copy is up once its single-copy socket exists.
    const QString socket = QDir::tempPath() + "/" + SingleInstance::keyFor(folder);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket); }, 20000));
    std::unique_ptr<QProcess> second(runProgram({}));
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
    first->terminate();
    first->waitForFinished(10000);
}

// A one-request HTTP server on loopback with a canned body.
class VersionServer {
  public:
    explicit VersionServer(QByteArray body) : body_(std::move(body)) {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = server_.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                socket->readAll();
                socket->write(
                    "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body_.size()) +
                    "\r\nConnection: close\r\n\r\n" + body_);
                socket->disconnectFromHost();
            });
        });
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()));
    }

  private:
    QByteArray body_;
    QTcpServer server_;
};

TEST_F(StartupTest, AnUpgradeIsOfferedOnlyForALaterRelease) {
    writeScript(folder + "upmender", "true");
    env.programFile = folder + "quillmark";
    writeScript(env.programFile, "true");
    const QDate programDate = QFileInfo(env.programFile).lastModified().date();
    const auto answer = [](const QDate& d) {
        return (d.toString("yyyy-MM-dd") + " release 1.31 notes").leftJustified(29, '.').toLatin1();
    };
    const struct {
        QDate release;
        QMessageBox::StandardButton reply;
        bool offered, ends;
    } cases[] = {{programDate, QMessageBox::Yes, false, false},
                 {programDate.addDays(1), QMessageBox::No, true, false},
                 {programDate.addDays(30), QMessageBox::Yes, true, true}};
    for (const auto& c : cases) {
        VersionServer server(answer(c.release));
        env.vendorUrl = server.url();
        dialogs.clear();
        launcher.started.clear();
        if (c.offered)
            dialogs.queueAnswer(c.reply);
        EXPECT_EQ(offerUpgrade(env), c.ends);
        ASSERT_EQ(dialogs.shown().size(), c.offered ? 1u : 0u);
        if (c.offered) {
            EXPECT_EQ(dialogs.shown()[0].title, "  UPGRADE NOTICE");
            EXPECT_EQ(
                dialogs.shown()[0].text,
                "A newer version of Quillmark is available.\nWould you like to upgrade now ???");
        }
        EXPECT_EQ(launcher.started.size(), c.ends ? 1 : 0);
    }
}

} // namespace
} // namespace qm
