// SPDX-License-Identifier: MIT
// A small form with several BrowseBoxes, shown in a real window; after it has been painted,
// the window is grabbed from the screen into the PNG named on the command line.
#include <Ostrel/BrowseBox.h>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>

using Ostrel::BrowseBox;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: %s output.png\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);

    QWidget window;
    window.setWindowTitle(QStringLiteral("BrowseBox"));
    window.resize(520, 330);

    struct Row
    {
        const char* Label;
        BrowseBox::AppearanceConstants Appearance;
        bool Left;
        bool Right;
        const char* Text;
        const char* Message;
    };
    const Row rows[] = {
        {"Three-dimensional, right button", BrowseBox::ThreeD, false, true, "/home/user/notes.txt",
         ""},
        {"Flat, right button", BrowseBox::Flat, false, true, "/var/log/syslog", ""},
        {"Three-dimensional, both buttons", BrowseBox::ThreeD, true, true, "/tmp/fragments/", ""},
        {"Flat, left button", BrowseBox::Flat, true, false, "relative/path.txt", ""},
        {"Showing a message", BrowseBox::ThreeD, false, true, "/kept/text.txt", "<Required.>"},
        {"Disabled right button", BrowseBox::ThreeD, false, true, "", ""},
    };
    int y = 12;
    int index = 0;
    for (const Row& row : rows)
    {
        auto* label = new QLabel(QString::fromLatin1(row.Label), &window);
        label->setGeometry(14, y, 490, 18);
        auto* box = new BrowseBox(&window);
        box->setAppearance(row.Appearance);
        box->setVisibleLeft(row.Left);
        box->setVisibleRight(row.Right);
        if (row.Left)
            box->setToolTipLeft(QStringLiteral("Back"));
        box->setText(QString::fromLatin1(row.Text));
        box->setErrText(QString::fromLatin1(row.Message));
        if (index == 5)
            box->setEnabledRight(false);
        box->setGeometry(14, y + 18, 490, 24);
        y += 52;
        ++index;
    }

    window.show();
    QTimer::singleShot(600,
                       [&]
                       {
                           const QPixmap shot = window.screen()->grabWindow(window.winId());
                           const bool saved = shot.save(output, "PNG");
                           std::fprintf(saved ? stdout : stderr, "%s %s\n",
                                        saved ? "wrote" : "could not write", qPrintable(output));
                           app.exit(saved ? 0 : 1);
                       });
    return app.exec();
}
