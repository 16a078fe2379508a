// SPDX-License-Identifier: MIT
#include "MessageBox.h"

#include "common/Version.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <deque>
#include <utility>

namespace Kestrin
{
namespace
{
struct Record
{
    std::deque<MessageBox::Button> NextAnswers;
    bool Unattended = false;
    int Shown = 0;
    QString LastText;
    MessageBox::Style LastStyle = MessageBox::OkExclamation;
};

Record& TheRecord()
{
    static Record record;
    return record;
}

MessageBox::Button FromButton(int button)
{
    switch (button)
    {
    case QMessageBox::Yes:
        return MessageBox::Yes;
    case QMessageBox::No:
        return MessageBox::No;
    case QMessageBox::Ok:
        return MessageBox::Ok;
    default:
        return MessageBox::Cancel;
    }
}
} // namespace

MessageBox::Button MessageBox::Show(QWidget* parent, const QString& text, Style style)
{
    auto& record = TheRecord();
    ++record.Shown;
    record.LastText = text;
    record.LastStyle = style;

    const bool asks = style != OkExclamation;
    if (asks && !record.NextAnswers.empty())
    {
        const Button answer = record.NextAnswers.front();
        record.NextAnswers.pop_front();
        return answer;
    }
    if (record.Unattended)
        return asks ? Yes : Ok;

    QMessageBox box(parent);
    box.setWindowTitle(QString::fromUtf8(ProgramTitle));
    // Texts may carry CR LF line ends; the box wants plain line feeds.
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setTextFormat(Qt::PlainText);
    switch (style)
    {
    case YesNoCancelQuestion:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case YesNoQuestion:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    case OkExclamation:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    }
    // The access keys of the platform's standard buttons: Alt+C cancels, as Escape does. Yes
    // and No in Qt's own words (its translations say them in the user's language); Qt's
    // Cancel has no access key, so ours is translated with the window's texts.
    const char* const qtButtons = "QPlatformTheme"; // Qt's context, not extracted as ours
    const std::pair<QMessageBox::StandardButton, QString> accessKeys[] = {
        {QMessageBox::Yes, QCoreApplication::translate(qtButtons, "&Yes")},
        {QMessageBox::No, QCoreApplication::translate(qtButtons, "&No")},
        {QMessageBox::Cancel, QCoreApplication::translate("Kestrin::MessageBox", "&Cancel")}};
    for (const auto& [which, caption] : accessKeys)
        if (QAbstractButton* button = box.button(which))
            button->setText(caption);
    return FromButton(box.exec());
}

void MessageBox::SetNextAnswer(Button answer)
{
    TheRecord().NextAnswers.push_back(answer);
}

void MessageBox::SetUnattended(bool on)
{
    TheRecord().Unattended = on;
}

void MessageBox::ResetRecord()
{
    auto& record = TheRecord();
    record.NextAnswers.clear();
    record.Shown = 0;
    record.LastText.clear();
    record.LastStyle = OkExclamation;
}

int MessageBox::ShownCount()
{
    return TheRecord().Shown;
}

QString MessageBox::LastText()
{
    return TheRecord().LastText;
}

MessageBox::Style MessageBox::LastStyle()
{
    return TheRecord().LastStyle;
}
} // namespace Kestrin
