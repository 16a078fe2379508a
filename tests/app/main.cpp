// SPDX-License-Identifier: MIT
#include "app/FileDialog.h"
#include "app/MessageBox.h"

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Test discovery runs this at build time too, without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The window's figures are design pixels of an 8-point dialog font and grow where a
    // caption needs more room; DejaVu Sans at 8 points is wider than that font. The tests of
    // the designed figures run at 7 points, where every caption fits its designed room; the
    // test over fonts and scales sets its own.
    QFont designSized = QApplication::font();
    designSized.setPointSize(7);
    // The offscreen platform on Windows has no fonts: it draws every character as a box as
    // wide as the font's pixel size. Four pixels fit every caption in its designed room, as
    // a real 7-point font does.
    if (QFontInfo(designSized).family().isEmpty())
        designSized.setPixelSize(4);
    QApplication::setFont(designSized);
    // No modal loop may block a test: a box or dialog nobody answered takes its default
    // button or is cancelled.
    Kestrin::MessageBox::SetUnattended(true);
    Kestrin::FileDialog::SetUnattended(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
