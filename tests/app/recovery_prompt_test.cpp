#include "recovery_prompt.h"

#include "app_context.h"
#include "dialogs.h"
#include "files.h"
#include "order_store.h"
#include "user.h"

#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

namespace qm {
namespace {

OrderRecord pulledOrder(const std::string& number) {
    OrderRecord r(OrderFile::Pending);
    r.set(OrderField::EnteredAt, Field::ofDate({2026, 11, 2, 8, 15, 0}));
    r.setText(OrderField::FileNumber, number);
    r.setText(OrderField::PropertyAddress1, "12 ELM ST");
    r.setText(OrderField::Town, "WEST SPRINGFIELD");
    r.setDueDate({{2026, 12, 10}, false});
    return r;
}

class RecoveryPromptTest : public ::testing::Test {
  protected:
    void SetUp() override {
        context.programFolder = dir.path().toStdString() + "/";
        context.settings.dataFolder = context.programFolder + "data/";
        context.dialogs = &dialogs;
        std::filesystem::create_directories(context.dataFolder());
        ASSERT_TRUE(prepareWorkspace(context.dataFolder()));
        copy = legacyRecoveryPath(context.programFolder, logOnName());
    }
    std::string pending() const { return contentOf("Pending.fil"); }
    std::string contentOf(const std::string& name) const {
        auto bytes = readWholeFile(context.dataFolder() + name);
        return bytes ? *bytes : std::string();
    }
    // Pulls the order in a process that is then killed, as a power cut would.
    void pullAndDie(const std::string& number) {
        QProcess peer;
        peer.start(QStringLiteral(QM_PULL_AND_DIE),
                   {QString::fromStdString(context.programFolder),
                    QString::fromStdString(context.dataFolder()), QString::fromStdString(number)});
        ASSERT_TRUE(peer.waitForFinished(30000));
        ASSERT_EQ(peer.exitStatus(), QProcess::CrashExit) << peer.readAllStandardError().data();
    }
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    AppContext context;
    std::string copy;
};

TEST_F(RecoveryPromptTest, NoCopyAsksNothing) {
    ASSERT_TRUE(offerRecoveredOrder(context, nullptr));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(RecoveryPromptTest, TheEarlierSingleCopyIsStillPutBackOrDiscarded) {
    const struct {
        QMessageBox::StandardButton answer;
        bool putBack;
    } cases[] = {{QMessageBox::Yes, true}, {QMessageBox::No, false}};
    for (const auto& c : cases) {
        ASSERT_TRUE(writeWholeFile(context.dataFolder() + "Pending.fil", ""));
        std::filesystem::create_directories(context.programFolder + "recovery");
        ASSERT_TRUE(writeWholeFile(copy, pulledOrder("QM00012").encode())); // as kept before
        dialogs.clear();
        dialogs.queueAnswer(c.answer);
        ASSERT_TRUE(offerRecoveredOrder(context, nullptr));
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].title, " RECOVER ORDER");
        EXPECT_TRUE(dialogs.shown()[0].text.contains("QM00012 (12 ELM ST, West Springfield)"));
        EXPECT_EQ(pending(), c.putBack ? pulledOrder("QM00012").encode() : "");
        EXPECT_FALSE(fileExists(copy));
    }
}

// The number went to another order meanwhile: the next generated number is offered instead.
TEST_F(RecoveryPromptTest, ANumberTakenMeanwhileOffersTheNextNumber) {
    const struct {
        const char* name;
        QMessageBox::StandardButton second;
        bool putBack, kept;
    } cases[] = {
        {"yes", QMessageBox::Yes, true, false},
        {"no", QMessageBox::No, false, false},
        {"cancel", QMessageBox::Cancel, false, true},
    };
    OrderRecord holder = pulledOrder("QM00012");
    holder.setText(OrderField::CurrentOwner, "ANOTHER ORDER");
    const std::string other = holder.encode();
    for (const auto& c : cases) {
        ASSERT_TRUE(writeWholeFile(context.dataFolder() + "Pending.fil", other));
        auto copyPath = writeNewRecovery(recoveryFolderOf(context.programFolder, logOnName()),
                                         pulledOrder("QM00012"));
        ASSERT_TRUE(copyPath);
        dialogs.clear();
        dialogs.queueAnswer(QMessageBox::Yes);
        dialogs.queueAnswer(c.second);
        ASSERT_TRUE(offerRecoveredOrder(context, nullptr)) << c.name;
        ASSERT_EQ(dialogs.shown().size(), 2u) << c.name;
        EXPECT_TRUE(dialogs.shown()[1].text.startsWith("File \"QM00012\" already exists"));
        EXPECT_TRUE(dialogs.shown()[1].text.contains("next generated number, QM00013")) << c.name;
        OrderRecord renumbered = pulledOrder("QM00012");
        renumbered.setText(OrderField::FileNumber, "QM00013");
        EXPECT_EQ(pending(), c.putBack ? other + renumbered.encode() : other) << c.name;
        EXPECT_EQ(fileExists(*copyPath), c.kept) << c.name;
        if (c.kept) { // offered again at the next start
            dialogs.clear();
            dialogs.queueAnswer(QMessageBox::Cancel);
            ASSERT_TRUE(offerRecoveredOrder(context, nullptr));
            EXPECT_EQ(dialogs.shown().size(), 1u);
            ASSERT_TRUE(removeRecovery(*copyPath));
        }
    }
}

// Two workstations' worth of pulls in one program folder: both copies survive and are offered.
TEST_F(RecoveryPromptTest, OrdersPulledByKilledProcessesAreAllPutBackAtTheNextStart) {
    const OrderRecord kept = pulledOrder("QM00007");
    const OrderRecord first = pulledOrder("QM00012");
    OrderRecord second = pulledOrder("F-3/A");
    second.setText(OrderField::CurrentOwner, "SECOND");
    ASSERT_TRUE(writeWholeFile(context.dataFolder() + "Pending.fil",
                               kept.encode() + first.encode() + second.encode()));
    pullAndDie("QM00012");
    pullAndDie("F-3/A");
    EXPECT_EQ(pending(), kept.encode()); // both were out of the file when the processes died
    EXPECT_NE(contentOf(kReservationsFileName), "");

    dialogs.queueAnswer(QMessageBox::Yes);
    dialogs.queueAnswer(QMessageBox::Yes);
    ASSERT_TRUE(offerRecoveredOrder(context, nullptr));
    EXPECT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(pending(), kept.encode() + second.encode() + first.encode());
    EXPECT_EQ(contentOf(kReservationsFileName), ""); // both numbers released
    auto left = recoveryCopies(context.programFolder, logOnName());
    ASSERT_TRUE(left);
    EXPECT_TRUE(left->empty());
}

} // namespace
} // namespace qm
