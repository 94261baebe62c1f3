#include "launcher.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace qm {

namespace {

void describe(QString* failure, const QProcess& process) {
    if (failure == nullptr) {
        return;
    }
    *failure = process.errorString();
    if (failure->isEmpty()) {
        *failure = QStringLiteral("Cannot start %1").arg(process.program());
    }
}

void prepare(QProcess& process, const QString& program, const QStringList& arguments,
             const QString& workingFolder) {
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingFolder);
}

} // namespace

bool ProgramLauncher::openDocument(const QString& path, QString* failure) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return true;
    if (failure != nullptr)
        *failure = QStringLiteral("No application could be started to open %1").arg(path);
    return false;
}

bool ProcessLauncher::startDetached(const QString& program, const QStringList& arguments,
                                    const QString& workingFolder, QString* failure) {
    QProcess process;
    prepare(process, program, arguments, workingFolder);
    if (!process.startDetached()) {
        describe(failure, process);
        return false;
    }
    return true;
}

bool ProcessLauncher::runAndWait(const QString& program, const QStringList& arguments,
                                 const QString& workingFolder, QString* failure) {
    QProcess process;
    prepare(process, program, arguments, workingFolder);
    // Nobody reads the child's output here, and it has nothing to be told.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted()) {
        describe(failure, process);
        return false;
    }
    // The window stays responsive while the other program runs.
    while (process.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents();
        process.waitForFinished(50);
    }
    return true;
}

} // namespace qm
