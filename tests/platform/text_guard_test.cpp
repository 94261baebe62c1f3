#include "text_guard.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// A second window guards its own fields; a window without a guard is left alone.
TEST(TextGuard, GuardsTheFieldsOfTheWindowItIsInstalledOn) {
    QDialog guarded;
    auto* field = new QLineEdit(&guarded);
    (new QVBoxLayout(&guarded))->addWidget(field);
    new qm::TextGuard(&guarded);
    QDialog other;
    auto* plain = new QLineEdit(&other);
    (new QVBoxLayout(&other))->addWidget(plain);
    guarded.show();
    other.show();

    const struct {
        QLineEdit* box;
        QDialog* window;
        const char* typed;
        const char* result;
    } cases[] = {{field, &guarded, "O\"Neil*s", "O'Neils"},
                 {plain, &other, "O\"Neil*s", "O\"Neil*s"}};
    for (const auto& c : cases) {
        QApplication::setActiveWindow(c.window);
        c.box->setFocus();
        QTest::keyClicks(c.box, QString::fromLatin1(c.typed));
        EXPECT_EQ(c.box->text(), QString::fromLatin1(c.result)) << c.result;
    }
}

} // namespace
