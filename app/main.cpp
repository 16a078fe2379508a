// SPDX-License-Identifier: MIT
// Kestrin: split a text file at a delimiter, join listed files into one.
#include "LocalText.h"
#include "RunningMark.h"
#include "Translations.h"
#include "common/Registration.h"
#include "common/Version.h"
#include "fwMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>
#include <cstring>

namespace
{
// --help and --version answer before any display is opened: the manual page is made from
// them at build time (help2man), on a machine that may have no display.
bool AnsweredWithoutWindow(int argc, char** argv)
{
    if (argc != 2)
        return false;
    if (!std::strcmp(argv[1], "--version"))
        std::printf("kestrin (%s) %d.%d.%d\nCopyright (c) %s\nLicense MIT "
                    "<https://opensource.org/licenses/MIT>: free to use, change and share, "
                    "without warranty.\n",
                    Kestrin::ProgramTitle, Kestrin::VersionMajor, Kestrin::VersionMinor,
                    Kestrin::VersionRevision, Kestrin::CompanyName);
    else if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))
        std::printf(
            "Usage: kestrin [OPTION] [FILE]\n"
            "Splits a text file into fragment files at every occurrence of a delimiter, or\n"
            "joins the files named in a list file into one, in a window with a tab for each.\n"
            "With FILE the window opens on the split tab with FILE as the file to split.\n"
            "kestrin-cli does the same from a shell.\n"
            "\n"
            "Options:\n"
            "  -h, --help     this text\n"
            "      --version  the version and licence\n"
            "Qt's own options are taken as well (-platform NAME, -style NAME, ...).\n"
            "\n"
            "Files:\n"
            // The path alone on its line, the text below it indented by 20 or more: the
            // layout that help2man makes a tagged paragraph of.
            "  $XDG_CONFIG_HOME/%s/kestrin.dat (~/.config/%s/kestrin.dat when unset)\n"
            "                      the window's position, open tab, paths, delimiters and\n"
            "                      options, kept between runs; root's in root's own folder.\n"
            "                      A program run from its build folder keeps kestrin.dat\n"
            "                      beside itself instead.\n"
            "  %s/HKEY_LOCAL_MACHINE.ini\n"
            "                      the program's folder and version, recorded at start (the\n"
            "                      package makes the folder); in the user's folder above where\n"
            "                      it is missing or not writable.\n",
            Kestrin::CompanyName, Kestrin::CompanyName, Kestrin::MachineStateFolder);
    else
        return false;
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (AnsweredWithoutWindow(argc, argv))
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    QApplication application(argc, argv);
    Kestrin::InstallTranslations(QLocale());
    Kestrin::MarkRunning();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kestrin.png")));
    // The desktop entry's name, so that a Wayland compositor matches the window to it.
    QApplication::setDesktopFileName(QStringLiteral("com.tarrowby.Kestrin"));

    Kestrin::fwMain::Startup startup;
    startup.ExecutablePath = Kestrin::PathBytes(QCoreApplication::applicationFilePath());
    // What is left after Qt took its own options: at most one file to split.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() > 1 || (arguments.size() == 1 && arguments.at(0).startsWith(u'-')))
    {
        std::fprintf(stderr, "Usage: kestrin [OPTION] [FILE] (kestrin --help)\n");
        return 2;
    }
    if (arguments.size() == 1)
        startup.OpenFile = Kestrin::PathBytes(
            QDir::toNativeSeparators(QFileInfo(arguments.at(0)).absoluteFilePath()));
    startup.Register = [](const std::string& path) { Kestrin::RegisterProgram(path); };
    Kestrin::fwMain window(startup);
    window.show();
    return QApplication::exec();
}
