#include "lock_wait.h"

#include "files.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace qm {
namespace {

using std::chrono::milliseconds;

bool busyPointer() {
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::BusyCursor;
}

TEST(LockWait, BusyAtOnceANoticeNamingTheHolderAfterTwoSecondsAndAllGoneAtTheEnd) {
    ScriptedDialogs dialogs;
    QWidget window;
    LockWaitIndicator wait(dialogs, &window);
    const std::string holder = "desk-2, ann, pid 4242, since 12/07/2026 09:14:03";

    wait.waiting(milliseconds(5), holder);
    EXPECT_TRUE(busyPointer());
    wait.waiting(milliseconds(1990), holder);
    EXPECT_TRUE(dialogs.notices().empty());
    wait.waiting(milliseconds(2000), holder);
    wait.waiting(milliseconds(2600), holder);
    ASSERT_EQ(dialogs.notices().size(), 1u);
    EXPECT_EQ(dialogs.notices()[0].message.title, kLockWaitTitle);
    EXPECT_TRUE(dialogs.notices()[0].message.text.contains(QString::fromStdString(holder)));
    EXPECT_TRUE(dialogs.shown().empty()); // nothing waits for a click

    wait.finished();
    EXPECT_FALSE(busyPointer());
    EXPECT_FALSE(dialogs.notices()[0].open);

    // A second wait starts afresh, and its end is seen when the reports stop.
    wait.waiting(milliseconds(3000), "");
    ASSERT_EQ(dialogs.notices().size(), 2u);
    EXPECT_TRUE(dialogs.notices()[1].message.text.contains("another workstation"));
    wait.waiting(milliseconds(10), "");
    EXPECT_FALSE(dialogs.notices()[1].open); // the wait restarted: the old one is over
    EXPECT_TRUE(busyPointer());
    QTest::qWait(int(LockWaitIndicator::kQuietEnd.count()) + 200);
    EXPECT_FALSE(wait.busy());
    EXPECT_FALSE(busyPointer());
}

TEST(LockWait, TheWindowKeepsRunningItsEventsWhileWaiting) {
    ScriptedDialogs dialogs;
    QWidget window;
    LockWaitIndicator wait(dialogs, &window);
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    wait.waiting(milliseconds(100), "");
    EXPECT_TRUE(ran);
    wait.finished();
}

// A real wait: another holder keeps the data lock for 2.5 s; the waiting command shows the busy
// pointer, then a notice naming the holder, and the window's timers go on (they release it here).
TEST(LockWait, AWaitForARealHolderNamesItAndEndsWhenItIsReleased) {
    QTemporaryDir folder;
    const std::string data = folder.path().toStdString() + "/";
    ScriptedDialogs dialogs;
    QWidget window;
    LockWaitIndicator indicator(dialogs, &window);
    reportLockWaits(indicator);
    auto holder = std::make_optional(DataLock::acquire(data).value());
    bool busyWhileWaiting = false;
    QTimer::singleShot(300, [&] { busyWhileWaiting = busyPointer(); });
    QTimer::singleShot(2500, [&] { holder.reset(); });

    auto waited = DataLock::acquire(data);
    stopReportingLockWaits();

    ASSERT_TRUE(waited);
    EXPECT_FALSE(holder.has_value());
    EXPECT_TRUE(busyWhileWaiting);
    ASSERT_EQ(dialogs.notices().size(), 1u);
    const QString text = dialogs.notices()[0].message.text;
    EXPECT_TRUE(text.contains(QString::fromStdString(currentLockHolder().user + " on ")) &&
                text.contains(QStringLiteral("(process %1)").arg(::getpid())))
        << text.toStdString();
    EXPECT_FALSE(dialogs.notices()[0].open);
    EXPECT_FALSE(busyPointer());
}

} // namespace
} // namespace qm
