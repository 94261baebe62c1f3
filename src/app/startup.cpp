#include "startup.h"

#include "app_context.h"
#include "appearance_apply.h"
#include "config.h"
#include "dialogs.h"
#include "launcher.h"
#include "main_window.h"
#include "version_check.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qm {

namespace {

const QString kAccessTitle = QStringLiteral(" Write Access Needed - Quillmark");

QString accessMessage(const QString& folder) {
    return QStringLiteral("Quillmark needs to change files in its own folder,\n%1\nbut this user "
                          "may not.\n\nGive your user write access to that folder (for example "
                          "with  chown -R %2 \"%1\"  run as the administrator) and start "
                          "Quillmark again.")
        .arg(folder, qEnvironmentVariable("USER", QStringLiteral("<user>")));
}

} // namespace

bool probeWritableFolder(const QString& folder, QString* failure) {
    const QString probe = folder + QStringLiteral(".quillmark-probe-%1").arg(::getpid());
    const QString renamed = probe + QStringLiteral(".renamed");
    QFile file(probe);
    if (!file.open(QIODevice::WriteOnly)) {
        *failure = file.errorString();
        return false;
    }
    file.close();
    if (!QFile::rename(probe, renamed)) {
        *failure = QStringLiteral("cannot rename a file in ") + folder;
        QFile::remove(probe);
        return false;
    }
    if (!QFile::remove(renamed)) {
        *failure = QStringLiteral("cannot remove a file in ") + folder;
        return false;
    }
    return true;
}

void startUpgradeUtility(const StartupEnvironment& env) {
    const QString program = env.programFolder + kUpgradeUtility;
    // The launcher's own words ("execv: No such file or directory") name neither the program
    // nor the folder it was looked for in.
    if (!QFileInfo(program).isFile()) {
        env.dialogs->message(nullptr, QMessageBox::NoIcon, kProgramTitle,
                             QStringLiteral("The upgrade utility %1 was not found.\nIt is looked "
                                            "for in the program folder:\n%2")
                                 .arg(kUpgradeUtility, program));
        return;
    }
    QString failure;
    if (!env.launcher->startDetached(program, {kUpgradeArgument}, env.programFolder, &failure))
        env.dialogs->message(nullptr, QMessageBox::NoIcon, kProgramTitle,
                             QStringLiteral("The upgrade utility %1 could not be started:\n%2")
                                 .arg(program, failure));
}

bool upgradeInProgress(const QString& programFolder) {
    // The upgrade utility holds an exclusive flock on the program folder while it works.
    const int fd =
        ::open(QFile::encodeName(programFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

EntryOutcome runEntryStage(const StartupEnvironment& env, const QStringList& arguments) {
    QString failure;
    if (!probeWritableFolder(env.programFolder, &failure)) {
        env.dialogs->message(nullptr, QMessageBox::Critical, kAccessTitle,
                             accessMessage(env.programFolder));
        return EntryOutcome::End;
    }
    if (upgradeInProgress(env.programFolder)) {
        env.dialogs->message(nullptr, QMessageBox::Information, kProgramTitle,
                             QStringLiteral("An upgrade of Quillmark is being installed in\n%1\n"
                                            "Start Quillmark again when it has finished.")
                                 .arg(env.programFolder));
        return EntryOutcome::End;
    }
    if (arguments.isEmpty())
        return EntryOutcome::Continue;
    if (arguments.size() == 1 &&
        arguments.front().compare(QStringLiteral("/upg"), Qt::CaseInsensitive) == 0)
        startUpgradeUtility(env);
    return EntryOutcome::End;
}

bool finishWaitingPatch(const StartupEnvironment& env) {
    const QString patch = env.programFolder + kPatchFile;
    if (!QFileInfo::exists(patch))
        return false;
    QString failure;
    if (!probeWritableFolder(env.programFolder, &failure)) {
        env.dialogs->message(
            nullptr, QMessageBox::Critical, QStringLiteral(" Elevated Privileges Required"),
            QStringLiteral("The Upgrade Patch performs file operations that require "
                           "Administrator privileges. Please RE-START by RIGHT-Clicking the "
                           "shortcut and choosing \"Run As Administrator\""));
        return true;
    }
    if (!env.launcher->runAndWait(patch, {}, env.programFolder, &failure))
        env.dialogs->message(nullptr, QMessageBox::NoIcon, kProgramTitle, failure);
    QFile::setPermissions(patch, QFile::permissions(patch) | QFileDevice::WriteOwner);
    QFile::remove(patch);
    return true;
}

bool offerUpgrade(const StartupEnvironment& env) {
    if (env.vendorUrl.isEmpty())
        return false;
    const auto release = fetchReleaseDate(env.vendorUrl);
    if (!release)
        return false;
    const QDate programDate = QFileInfo(env.programFile).lastModified().date();
    if (!isUpgradeOffered(programDate, *release))
        return false;
    const auto answer = env.dialogs->ask(
        nullptr, QMessageBox::Warning, QStringLiteral("  UPGRADE NOTICE"),
        QStringLiteral(
            "A newer version of Quillmark is available.\nWould you like to upgrade now ???"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return false;
    startUpgradeUtility(env);
    return true;
}

bool prepareMainWindow(const StartupEnvironment& env, AppContext& context, MainWindow& window) {
    auto loaded = loadConfig(context.programFolder);
    if (!loaded) {
        env.dialogs->message(nullptr, QMessageBox::Critical, kProgramTitle,
                             QStringLiteral("The settings file config.txt cannot be used:\n%1\n\n"
                                            "Correct or delete it, then start Quillmark again.")
                                 .arg(QString::fromStdString(loaded.error().describe())));
        return false;
    }
    window.prepareScreen();
    context.settings = loaded->settings;
    context.faceColour = systemFaceColour();
    window.applySettings(*loaded);
    if (Status ready = prepareWorkspace(context.dataFolder()); !ready) {
        if (ready.error().kind == ErrorKind::PathNotFound) {
            env.dialogs->message(nullptr, QMessageBox::NoIcon, kProgramTitle,
                                 QStringLiteral("Bad Path in config.txt"));
        } else {
            env.dialogs->message(nullptr, QMessageBox::Critical, kProgramTitle,
                                 QString::fromStdString(ready.error().describe()));
        }
        return false;
    }
    window.updateCaption();
    return true;
}

} // namespace qm
