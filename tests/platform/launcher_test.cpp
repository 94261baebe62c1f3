#include "launcher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

const QString kShell = QStringLiteral("/bin/sh");

TEST(Launcher, MissingProgramFailsWithADescription) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    qm::ProcessLauncher launcher;
    for (const QString& program : {QStringLiteral("/nonexistent/qm-no-such-program"),
                                   QStringLiteral("qm-no-such-program")}) {
        SCOPED_TRACE(program.toStdString());
        QString failure;
        EXPECT_FALSE(launcher.startDetached(program, {}, folder.path(), &failure));
        EXPECT_FALSE(failure.isEmpty());
        failure.clear();
        EXPECT_FALSE(launcher.runAndWait(program, {}, folder.path(), &failure));
        EXPECT_FALSE(failure.isEmpty());
    }
}

TEST(Launcher, RunAndWaitReturnsOnlyWhenTheProgramHasFinished) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    qm::ProcessLauncher launcher;
    QString failure;
    // A relative name: the file lands in the working folder.
    ASSERT_TRUE(launcher.runAndWait(kShell,
                                    {QStringLiteral("-c"), QStringLiteral("sleep 0.3; touch done")},
                                    folder.path(), &failure))
        << failure.toStdString();
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("done"))));
}

TEST(Launcher, DetachedProgramRunsInTheWorkingFolder) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    qm::ProcessLauncher launcher;
    QString failure;
    ASSERT_TRUE(launcher.startDetached(
        kShell, {QStringLiteral("-c"), QStringLiteral("pwd > where.new && mv where.new where")},
        folder.path(), &failure))
        << failure.toStdString();
    QFile where(folder.filePath(QStringLiteral("where")));
    QElapsedTimer clock;
    clock.start();
    while (!where.exists() && clock.elapsed() < 10000) {
        QThread::msleep(20);
    }
    ASSERT_TRUE(where.open(QIODevice::ReadOnly));
    EXPECT_EQ(QDir(QString::fromLocal8Bit(where.readAll().trimmed())).canonicalPath(),
              QDir(folder.path()).canonicalPath());
}

} // namespace
