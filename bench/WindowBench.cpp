// SPDX-License-Identifier: MIT
// kestrin-window-bench: the real window measured for bench/run.sh (offscreen or under X).
//   start FOLDER        starts the window in a child process whose settings file is
//                       FOLDER/kestrin.dat; prints seconds from the fork until the window
//                       was shown, until it took input, until its first readiness update
//                       had filled "Total", and the child's peak memory in KiB
//   split FOLDER [RUNS] the window restored from FOLDER/kestrin.dat runs its split (Start)
//                       RUNS times (1), one after the other; prints each run's seconds
#include "app/StatusBar.h"
#include "app/fwMain.h"
#include "common/Version.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Kestrin;
using Clock = std::chrono::steady_clock;

namespace
{
double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Seconds since 1970 on the steady clock's own scale is meaningless: the parent and the
// child agree on CLOCK_MONOTONIC instead.
double Monotonic()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

fwMain::Startup StartupIn(const std::string& folder)
{
    fwMain::Startup startup;
    // kestrin.dat beside it, as in a build folder.
    startup.ExecutablePath = folder + "/kestrin";
    std::ofstream(folder + "/" + BuildTreeMarker);
    return startup; // no registration
}

QString Total(fwMain& window)
{
    return window.findChild<StatusBar*>(QStringLiteral("pbStatus"))
        ->PanelText(QStringLiteral("Total"));
}

int StartChild(int argc, char** argv, const std::string& folder, double forked)
{
    QApplication application(argc, argv);
    fwMain window(StartupIn(folder));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    const double shown = Monotonic() - forked;
    // The event loop answers input from here on: a queued event is one the user's key
    // would wait behind.
    double input = 0;
    QTimer::singleShot(0, [&] { input = Monotonic() - forked; });
    QTest::qWait(1);
    while (input == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    while (Total(window).isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double ready = Monotonic() - forked;
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("shown %.4f input %.4f ready %.4f peak_kib %ld total %s\n", shown, input, ready,
                usage.ru_maxrss, Total(window).toStdString().c_str());
    return 0;
}

int Start(char* self, const std::string& folder)
{
    const double forked = Monotonic();
    const pid_t child = ::fork();
    if (child == 0)
    {
        const std::string since = std::to_string(forked);
        ::execl(self, self, "start-child", folder.c_str(), since.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

int Split(int argc, char** argv, const std::string& folder, int runs)
{
    QApplication application(argc, argv);
    fwMain window(StartupIn(folder));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    auto* start = window.findChild<QPushButton*>(QStringLiteral("bbRun"));
    if (!start->isEnabled())
    {
        std::fprintf(stderr, "kestrin-window-bench: Start is not enabled\n");
        return 1;
    }
    for (int i = 0; i < runs; ++i)
    {
        const auto begin = Clock::now();
        start->click();
        std::printf("run %.3f\n", Seconds(begin));
        std::fflush(stdout);
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "start") == 0)
        return Start(argv[0], argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "start-child") == 0)
        return StartChild(argc, argv, argv[2], std::stod(argv[3]));
    if (argc >= 3 && std::strcmp(argv[1], "split") == 0)
        return Split(argc, argv, argv[2], argc >= 4 ? std::stoi(argv[3]) : 1);
    std::fprintf(stderr, "kestrin-window-bench: see the comment at the top of WindowBench.cpp\n");
    return 2;
}
