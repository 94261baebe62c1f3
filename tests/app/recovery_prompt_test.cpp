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
        copy = recoveryFilePath(context.programFolder, logOnName());
    }
    std::string pending() const {
        auto bytes = readWholeFile(context.dataFolder() + "Pending.fil");
        return bytes ? *bytes : std::string();
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

TEST_F(RecoveryPromptTest, YesPutsTheOrderBackAndNoDiscardsIt) {
    const struct {
        QMessageBox::StandardButton answer;
        bool putBack;
    } cases[] = {{QMessageBox::Yes, true}, {QMessageBox::No, false}};
    for (const auto& c : cases) {
        ASSERT_TRUE(writeWholeFile(context.dataFolder() + "Pending.fil", ""));
        ASSERT_TRUE(writeRecovery(copy, pulledOrder("QM00012")));
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

TEST_F(RecoveryPromptTest, ANumberTakenMeanwhileKeepsTheCopy) {
    const std::string other = pulledOrder("QM00012").encode();
    ASSERT_TRUE(writeWholeFile(context.dataFolder() + "Pending.fil", other));
    ASSERT_TRUE(writeRecovery(copy, pulledOrder("QM00012")));
    dialogs.queueAnswer(QMessageBox::Yes);
    ASSERT_TRUE(offerRecoveredOrder(context, nullptr));
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_TRUE(dialogs.shown()[1].text.startsWith("File \"QM00012\" already exists"));
    EXPECT_EQ(pending(), other);
    EXPECT_TRUE(fileExists(copy));
}

TEST_F(RecoveryPromptTest, AnOrderPulledByAKilledProcessIsPutBackAtTheNextStart) {
    const OrderRecord kept = pulledOrder("QM00007");
    const OrderRecord pulled = pulledOrder("QM00012");
    ASSERT_TRUE(
        writeWholeFile(context.dataFolder() + "Pending.fil", kept.encode() + pulled.encode()));
    QProcess peer;
    peer.start(QStringLiteral(QM_PULL_AND_DIE),
               {QString::fromStdString(context.programFolder),
                QString::fromStdString(context.dataFolder()), QStringLiteral("QM00012")});
    ASSERT_TRUE(peer.waitForFinished(30000));
    ASSERT_EQ(peer.exitStatus(), QProcess::CrashExit) << peer.readAllStandardError().data();
    EXPECT_EQ(pending(), kept.encode()); // the order was out of the file when the process died

    dialogs.queueAnswer(QMessageBox::Yes);
    ASSERT_TRUE(offerRecoveredOrder(context, nullptr));
    EXPECT_EQ(pending(), kept.encode() + pulled.encode());
    EXPECT_FALSE(fileExists(copy));
}

} // namespace
} // namespace qm
