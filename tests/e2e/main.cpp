// The test programs run as the application does: one QApplication, named.

#include "platform/qt/AppIdentity.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    eggtimer::nameApplication();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
