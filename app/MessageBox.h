// SPDX-License-Identifier: MIT
#pragma once
// The program's message boxes, titled with the program title. Tests queue the answers
// (or let unanswered boxes take their default button) so no modal loop ever blocks them.
#include <QString>

class QWidget;

namespace Kestrin
{
class MessageBox
{
public:
    // Styles: Yes/No/Cancel with the question icon, Yes/No with the question icon,
    // OK with the exclamation icon; the first button is the default.
    enum Style
    {
        YesNoCancelQuestion = 35,
        YesNoQuestion = 36,
        OkExclamation = 48
    };

    // The button that closed the box; Ok for the exclamation box.
    enum Button
    {
        Yes,
        No,
        Cancel,
        Ok
    };

    static Button Show(QWidget* parent, const QString& text, Style style);

    // Test hooks.
    static void SetNextAnswer(Button answer); // queued; consumed in order by question boxes
    static void SetUnattended(bool on);       // no queued answer: take the default button
    static void ResetRecord();
    static int ShownCount();
    static QString LastText();
    static Style LastStyle();
};
} // namespace Kestrin
