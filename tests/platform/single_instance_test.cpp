#include "single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// One copy of the stand-in program, watched through its output.
class Probe {
  public:
    explicit Probe(const QString& key) {
        process_.setProgram(QStringLiteral(QM_PROBE));
        process_.setArguments({key});
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
    }
    ~Probe() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }

    // True once the probe has printed line, false if it ends or 10 s pass first.
    bool says(const QByteArray& line) {
        QElapsedTimer clock;
        clock.start();
        while (!output_.split('\n').contains(line)) {
            if (clock.elapsed() > 10000) {
                return false;
            }
            if (!process_.waitForReadyRead(100) && process_.state() == QProcess::NotRunning) {
                output_ += process_.readAllStandardOutput();
                return output_.split('\n').contains(line);
            }
            output_ += process_.readAllStandardOutput();
        }
        return true;
    }
    // The exit code, or -1 when it did not end normally within 10 s.
    int exitCode() {
        if (!process_.waitForFinished(10000) && process_.state() != QProcess::NotRunning) {
            return -1;
        }
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    void killHard() {
        process_.kill(); // SIGKILL: no chance to remove its socket
        process_.waitForFinished();
    }
    const QByteArray& output() const { return output_; }

  private:
    QProcess process_;
    QByteArray output_;
};

class SingleInstanceTest : public ::testing::Test {
  protected:
    void TearDown() override { QLocalServer::removeServer(key); }
    static QString freshKey() {
        static int made = 0;
        return QStringLiteral("qm-probe-%1-%2").arg(QCoreApplication::applicationPid()).arg(++made);
    }
    const QString key = freshKey();
};

TEST_F(SingleInstanceTest, SecondCopyAsksTheFirstToRestoreAndEnds) {
    Probe first(key);
    ASSERT_TRUE(first.says("primary")) << first.output().toStdString();
    Probe second(key);
    EXPECT_TRUE(second.says("secondary")) << second.output().toStdString();
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(first.says("restore")) << first.output().toStdString();
    EXPECT_EQ(first.exitCode(), 0);
}

TEST_F(SingleInstanceTest, SocketLeftByAKilledCopyDoesNotStopTheNext) {
    {
        Probe crashed(key);
        ASSERT_TRUE(crashed.says("primary"));
        crashed.killHard();
    }
    ASSERT_TRUE(QFile::exists(QDir::temp().filePath(key))) << "the killed copy left no socket";

    Probe next(key);
    ASSERT_TRUE(next.says("primary")) << next.output().toStdString();
    Probe second(key);
    EXPECT_TRUE(second.says("secondary"));
    EXPECT_TRUE(next.says("restore"));
}

TEST(SingleInstanceKey, SameFolderSameKeyAndSafeCharacters) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString key = qm::SingleInstance::keyFor(folder.path());
    EXPECT_EQ(qm::SingleInstance::keyFor(folder.path() + QStringLiteral("/")), key);
    EXPECT_EQ(qm::SingleInstance::keyFor(folder.path() + QStringLiteral("/./")), key);
    EXPECT_NE(qm::SingleInstance::keyFor(folder.path() + QStringLiteral("/other")), key);
    EXPECT_TRUE(key.startsWith(QStringLiteral("quillmark-")));
    EXPECT_LE(key.size(), 80);
    for (const QChar c : key) {
        EXPECT_TRUE(c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'.')
            << key.toStdString();
    }
}

} // namespace
