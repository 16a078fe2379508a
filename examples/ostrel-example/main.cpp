// SPDX-License-Identifier: MIT
// A window with one BrowseBox: its button opens a folder dialog, the chosen folder goes into
// the field. With --check the window shows, reports the field and closes by itself.
#include "ui_ExampleWindow.h"

#include <Ostrel/BrowseBox.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <cstdio>

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
    window.show();

    if (application.arguments().contains(QStringLiteral("--check")))
    {
        int status = 1;
        QTimer::singleShot(0, &window,
                           [&]
                           {
                               const bool shown = folder->isVisible() && folder->width() > 0;
                               std::printf("BrowseBox %s: %s, %s\n",
                                           qPrintable(folder->Version()),
                                           qPrintable(folder->Text()),
                                           shown ? "shown" : "not shown");
                               status = shown && folder->Text() == QDir::homePath() &&
                                                folder->MustExist()
                                            ? 0
                                            : 1;
                               application.quit();
                           });
        application.exec();
        return status;
    }
    return application.exec();
}
