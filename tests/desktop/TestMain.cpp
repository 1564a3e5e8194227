// Runs the tests inside a QApplication, as the services run in the program.
// Listing the tests needs no display, so no application is made for it.

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<QApplication> application;
    if (!GTEST_FLAG_GET(list_tests))
        application = std::make_unique<QApplication>(argc, argv);
    return RUN_ALL_TESTS();
}
