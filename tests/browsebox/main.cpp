// SPDX-License-Identifier: MIT
#include <QApplication>
#include <gtest/gtest.h>

// Widget tests share one application; CTest runs them on the offscreen platform.
int main(int argc, char** argv)
{
    // Test discovery runs this at build time too, without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
