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

} // namespace
