// SPDX-License-Identifier: MIT
#include "BoxForm.h"

#include <Ostrel/BrowseBox.h>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

using namespace Ostrel;
using BrowseBoxTest::BoxForm;

namespace
{
// Presses on the selected text and drags it further than the start distance.
void DragSelection(QLineEdit* field)
{
    // On the second character of the selected "abc".
    const int x = 2 + field->fontMetrics().horizontalAdvance(QStringLiteral("a")) + 1;
    ASSERT_EQ(field->cursorPositionAt(QPoint(x, 5)), 1);
    QTest::mousePress(field, Qt::LeftButton, Qt::NoModifier, QPoint(x, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(x + 40, 5), field->mapToGlobal(QPointF(x + 40, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &move);
    QTest::mouseRelease(field, Qt::LeftButton, Qt::NoModifier, QPoint(x + 40, 5));
}
} // namespace

TEST(BrowseBoxDrag, AutomaticModeDragsTheSelectedText)
{
    BoxForm form;
    form.Show();
    form.Box->setOLEDragMode(BrowseBox::OLEDragAutomatic);
    form.Box->setText(QStringLiteral("abcdef"));
    form.Field(0)->setSelection(0, 3);

    QString dragged;
    int allowed = 0;
    QByteArray rendered;
    QObject::connect(form.Box, &BrowseBox::OLEStartDrag,
                     [&](QMimeData* data, int effects)
                     {
                         dragged = data->text();
                         allowed = effects;
                         // A format offered without data is rendered when someone asks for it.
                         data->setData(QStringLiteral("application/x-late"), QByteArray());
                         rendered = data->data(QStringLiteral("application/x-late"));
                     });
    QObject::connect(form.Box, &BrowseBox::OLESetData,
                     [&](QMimeData* data, short format)
                     {
                         EXPECT_EQ(format, 0);
                         data->setData(QStringLiteral("application/x-late"), "filled");
                     });
    QSignalSpy complete(form.Box, &BrowseBox::OLECompleteDrag);
    DragSelection(form.Field(0));

    EXPECT_EQ(dragged, QStringLiteral("abc"));
    EXPECT_EQ(allowed, 3);
    EXPECT_EQ(rendered, QByteArray("filled"));
    ASSERT_EQ(complete.count(), 1);
    EXPECT_EQ(form.Box->Text(), QStringLiteral("abcdef")); // not moved anywhere
}

TEST(BrowseBoxDrag, ManualModeStartsNoDrag)
{
    BoxForm form;
    form.Show();
    form.Box->setText(QStringLiteral("abcdef"));
    form.Field(0)->setSelection(0, 3);
    QSignalSpy start(form.Box, &BrowseBox::OLEStartDrag);
    DragSelection(form.Field(0));
    EXPECT_EQ(start.count(), 0);
}

// OLEStartDrag gives AllowedEffects by reference: a handler that allows nothing cancels
// the drag before it starts, and the drag still completes, with no effect.
TEST(BrowseBoxDrag, AHandlerThatAllowsNoEffectCancelsTheDrag)
{
    BoxForm form;
    form.Show();
    form.Box->setOLEDragMode(BrowseBox::OLEDragAutomatic);
    form.Box->setText(QStringLiteral("abcdef"));
    form.Field(0)->setSelection(0, 3);
    QObject::connect(form.Box, &BrowseBox::OLEStartDrag,
                     [](QMimeData*&, int& allowed) { allowed = 0; });
    std::vector<int> completed;
    QObject::connect(form.Box, &BrowseBox::OLECompleteDrag,
                     [&](int& effect) { completed.push_back(effect); });
    QSignalSpy feedback(form.Box, &BrowseBox::OLEGiveFeedback);
    DragSelection(form.Field(0));
    EXPECT_EQ(completed, std::vector<int>{0});
    EXPECT_EQ(feedback.count(), 0);
    EXPECT_EQ(form.Box->Text(), QStringLiteral("abcdef"));
}
