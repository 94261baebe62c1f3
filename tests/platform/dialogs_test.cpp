#include "dialogs.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Button = QMessageBox::StandardButton;

TEST(ScriptedDialogs, GivesQueuedAnswersThenTheDefaultAndRecordsEverything) {
    qm::ScriptedDialogs dialogs;
    dialogs.queueAnswer(Button::Yes);
    dialogs.queueAnswer(Button::Cancel);
    const auto ask = [&](const QString& title) {
        return dialogs.ask(nullptr, QMessageBox::Warning, title, QStringLiteral("Sure?"),
                           Button::Yes | Button::No, Button::No);
    };
    EXPECT_EQ(ask(QStringLiteral("one")), Button::Yes);
    EXPECT_EQ(ask(QStringLiteral("two")), Button::Cancel);
    EXPECT_EQ(ask(QStringLiteral("three")), Button::No);
    dialogs.message(nullptr, QMessageBox::Critical, QStringLiteral(" MAPI SESSION"),
                    QStringLiteral("line\rline"));

    const std::vector<qm::ShownMessage>& shown = dialogs.shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[2].title, QStringLiteral("three"));
    EXPECT_EQ(shown[3].icon, QMessageBox::Critical);
    EXPECT_EQ(shown[3].title, QStringLiteral(" MAPI SESSION"));
    EXPECT_EQ(shown[3].text, QStringLiteral("line\rline"));
    dialogs.clear();
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST(ScriptedDialogs, NoticesAreKeptApartAndRunNothingWhileOpen) {
    qm::ScriptedDialogs dialogs;
    int runs = 0;
    dialogs.setWhileOpen([&] {
        ++runs;
        // A box shown from inside does not run it again.
        dialogs.message(nullptr, QMessageBox::Critical, QStringLiteral("inner"), QString());
    });
    const qm::NoticeId first =
        dialogs.notice(nullptr, QMessageBox::Information, QStringLiteral(" one"), QString());
    const qm::NoticeId second =
        dialogs.notice(nullptr, QMessageBox::Information, QStringLiteral(" two"), QString());
    EXPECT_EQ(runs, 0); // nobody waits for a notice
    dialogs.closeNotice(first);
    ASSERT_EQ(dialogs.notices().size(), 2u);
    EXPECT_FALSE(dialogs.notices()[0].open);
    EXPECT_TRUE(dialogs.notices()[1].open);
    EXPECT_NE(first, second);

    dialogs.message(nullptr, QMessageBox::Warning, QStringLiteral("outer"), QString());
    EXPECT_EQ(runs, 1);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].title, QStringLiteral("inner"));
}

// Calls act on the message box once it is on screen.
void whenShown(std::function<void(QMessageBox*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box != nullptr && box->isVisible()) {
                poll->deleteLater();
                act(box);
                return;
            }
        }
    });
    poll->start(10);
}

TEST(WidgetDialogs, QuestionShowsTheExactTitleAndEnterTakesTheDefault) {
    const QString title = QStringLiteral("  UPGRADE NOTICE");
    const QString text = QStringLiteral("A newer version is available.\rUpgrade now ???");
    whenShown([&](QMessageBox* box) {
        EXPECT_EQ(box->objectName(), QStringLiteral("msgbox"));
        EXPECT_EQ(box->windowTitle(), title);
        EXPECT_EQ(box->text(), text);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(Button::No));
        QTest::keyClick(box, Qt::Key_Return);
    });
    qm::WidgetDialogs dialogs;
    EXPECT_EQ(dialogs.ask(nullptr, QMessageBox::Warning, title, text, Button::Yes | Button::No,
                          Button::No),
              Button::No);

    whenShown([](QMessageBox* box) { box->button(Button::Yes)->click(); });
    EXPECT_EQ(dialogs.ask(nullptr, QMessageBox::Warning, title, text, Button::Yes | Button::No,
                          Button::No),
              Button::Yes);
}

TEST(WidgetDialogs, MessageShowsTheExactTitleWithOneOkButton) {
    whenShown([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral(" Elevated Privileges Required"));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), Button::Ok);
        box->button(Button::Ok)->click();
    });
    qm::WidgetDialogs().message(nullptr, QMessageBox::Critical,
                                QStringLiteral(" Elevated Privileges Required"),
                                QStringLiteral("Please restart."));
}

TEST(WidgetDialogs, ANoticeIsShownWithoutWaitingAndCanBeTakenAway) {
    qm::WidgetDialogs dialogs;
    const qm::NoticeId id = dialogs.notice(nullptr, QMessageBox::Information,
                                           QStringLiteral(" WAITING"), QStringLiteral("busy"));
    QMessageBox* shown = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            shown = box;
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->windowTitle(), QStringLiteral(" WAITING"));
    EXPECT_FALSE(shown->isModal());
    QPointer<QMessageBox> box(shown);
    dialogs.closeNotice(id);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull()); // closed and gone
    dialogs.closeNotice(id);   // twice is harmless
}

} // namespace
