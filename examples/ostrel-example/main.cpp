// SPDX-License-Identifier: MIT
// A window with one BrowseBox: its button opens a folder dialog, the chosen folder goes into
// the field, Ctrl+Delete empties it. With --check the window shows, reports the field and its
// type as dynamic_cast and typeid see it, and closes by itself.
#include "ui_ExampleWindow.h"

#include <Ostrel/BrowseBox.h>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <cstdio>
#include <typeinfo>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    Ui::ExampleWindow form;
    form.setupUi(&window);
    Ostrel::BrowseBox* folder = form.folder;
    folder->setText(QDir::homePath());
    QObject::connect(folder, &Ostrel::BrowseBox::ButtonClick, &window,
                     [&](short)
                     {
                         const QString chosen =
                             QFileDialog::getExistingDirectory(&window, {}, folder->Text());
                         if (!chosen.isEmpty())
                             folder->setText(chosen);
                     });
    QObject::connect(folder, &Ostrel::BrowseBox::KeyDown, &window,
                     [&](short KeyCode, short Shift)
                     {
                         if (KeyCode == Ostrel::VirtualKey::Delete &&
                             Shift == Ostrel::ShiftMask::Ctrl)
                             folder->setText(QString());
                     });
    window.show();

    if (application.arguments().contains(QStringLiteral("--check")))
    {
        int status = 1;
        QTimer::singleShot(
            0, &window,
            [&]
            {
                const bool shown = folder->isVisible() && folder->width() > 0;
                // The library's type information, as a program of its own
                // sees it.
                QWidget* widget = form.folder;
                const bool typed = dynamic_cast<Ostrel::BrowseBox*>(widget) == folder &&
                                   dynamic_cast<Ostrel::BrowseBox*>(form.label) == nullptr &&
                                   typeid(*widget) == typeid(Ostrel::BrowseBox);
                std::printf("BrowseBox %s: %s, %s, %s\n", qPrintable(folder->Version()),
                            qPrintable(folder->Text()), shown ? "shown" : "not shown",
                            typed ? "typeid and dynamic_cast work" : "no type information");
                status = shown && typed && folder->Text() == QDir::homePath() && folder->MustExist()
                             ? 0
                             : 1;
                application.quit();
            });
        application.exec();
        return status;
    }
    return application.exec();
}
