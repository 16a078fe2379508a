// SPDX-License-Identifier: MIT
#include "app/FileDialog.h"
#include "app/MessageBox.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Test discovery runs this at build time too, without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // No modal loop may block a test: a box or dialog nobody answered takes its default
    // button or is cancelled.
    Kestrin::MessageBox::SetUnattended(true);
    Kestrin::FileDialog::SetUnattended(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
