// Kestrin: split a text file at a delimiter, join listed files into one.
#include "LocalText.h"
#include "Registration.h"
#include "fwMain.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kestrin.png")));
    QApplication::setDesktopFileName(QStringLiteral("kestrin"));

    Kestrin::fwMain::Startup startup;
    startup.ExecutablePath = Kestrin::PathBytes(QCoreApplication::applicationFilePath());
    startup.Register = [](const std::string& path) { Kestrin::RegisterProgram(path); };
    Kestrin::fwMain window(startup);
    window.show();
    return QApplication::exec();
}
