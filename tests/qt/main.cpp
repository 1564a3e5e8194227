// Runs the window tests inside one QApplication; with-session.sh picks Qt's
// offscreen platform unless the tests run on an X server.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
