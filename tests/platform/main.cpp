#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The loopback server must be reached directly, whatever proxy this machine is set up for.
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        qunsetenv(name);
    }
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests at build time needs no display.
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
