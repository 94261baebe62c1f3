// quillmark: the order desk of a title-search business.

#include "app_context.h"
#include "clock.h"
#include "dialogs.h"
#include "launcher.h"
#include "lock_wait.h"
#include "main_window.h"
#include "printer.h"
#include "recovery_prompt.h"
#include "single_instance.h"
#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace {

// Tests run copies of the program against folders of their own.
QString programFolder() {
    QString folder = qEnvironmentVariable("QUILLMARK_PROGRAM_FOLDER");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    folder = QDir(folder).absolutePath();
    return folder.endsWith('/') ? folder : folder + '/';
}

QUrl vendorUrl() {
    // Set but empty: no version check at all.
    if (qEnvironmentVariableIsSet("QUILLMARK_VENDOR_URL"))
        return QUrl(qEnvironmentVariable("QUILLMARK_VENDOR_URL"));
    return QUrl(QStringLiteral(QM_VENDOR_URL));
}

} // namespace

// For the start-up benchmark: report the time to a shown, loaded window and end.
void reportStartupAndQuit(const QElapsedTimer& sinceStart, qm::MainWindow& window) {
    QTimer::singleShot(0, &window, [&sinceStart, &window] {
        window.refreshNow();
        std::printf("window shown and loaded after %lld ms\n",
                    static_cast<long long>(sinceStart.elapsed()));
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(qm::kProgramTitle);

    qm::SystemClock clock;
    qm::WidgetDialogs dialogs;
    qm::ProcessLauncher launcher;
    qm::DefaultPrinter printer;
    qm::StartupEnvironment env;
    env.programFolder = programFolder();
    env.programFile = QCoreApplication::applicationFilePath();
    env.vendorUrl = vendorUrl();
    env.dialogs = &dialogs;
    env.launcher = &launcher;
    QDir::setCurrent(env.programFolder);

    if (qm::runEntryStage(env, app.arguments().mid(1)) == qm::EntryOutcome::End)
        return 0;

    qm::SingleInstance instance(qm::SingleInstance::keyFor(env.programFolder));
    if (!instance.claim())
        return 0;
    if (qm::finishWaitingPatch(env) || qm::offerUpgrade(env))
        return 0;

    qm::AppContext context;
    context.programFolder = env.programFolder.toStdString();
    context.clock = &clock;
    context.dialogs = &dialogs;
    context.launcher = &launcher;
    context.printer = &printer;
    qm::MainWindow window(context);
    if (!qm::prepareMainWindow(env, context, window))
        return 1;
    if (qm::Status offered = qm::offerRecoveredOrder(context, nullptr); !offered)
        dialogs.message(nullptr, QMessageBox::Critical, qm::kProgramTitle,
                        QString::fromStdString(offered.error().describe()));
    qm::LockWaitIndicator lockWait(dialogs, &window);
    qm::reportLockWaits(lockWait);
    QObject::connect(&instance, &qm::SingleInstance::restoreRequested, &window,
                     &qm::MainWindow::restoreFromAnotherCopy);
    window.show();
    if (qEnvironmentVariableIsSet("QUILLMARK_STARTUP_PROBE"))
        reportStartupAndQuit(sinceStart, window);
    const int status = app.exec();
    qm::stopReportingLockWaits();
    return status;
}
