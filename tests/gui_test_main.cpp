// One QApplication for a whole run of widget tests, offscreen unless told otherwise.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Widget tests need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
