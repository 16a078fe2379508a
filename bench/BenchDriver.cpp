// SPDX-License-Identifier: MIT
// kestrin-bench: input generation and in-process measurements for bench/run.sh.
//   gen-text OUT MIB FRAGMENT_BYTES   lines of words, a line "=====" every FRAGMENT_BYTES
//   gen-dense OUT MIB                 "," about every 10 bytes (a hundred million per GiB)
//   gen-files FOLDER COUNT BYTES      COUNT files of BYTES each, and FOLDER/list.txt
//   scan FILE DELIM...                memchr pass against the cut of a source in memory
//   keystroke FILE DELIM              readiness updates: first (read and cut), then again
//   resplit FILE DELIM FOLDER SYNC    timed silent split run, replaced files synced or not
//   time [--stdout FILE] -- CMD...    wall time, peak KiB, exit status, user and system
//                                     seconds of a command
#include "common/FileReplacement.h"
#include "engine/DelimiterSearch.h"
#include "engine/FragmentList.h"
#include "engine/RunHost.h"
#include "engine/SourceBytes.h"
#include "engine/Workbench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Kestrin;
using Clock = std::chrono::steady_clock;

namespace
{
double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

template <typename Work> double Best(int rounds, Work work)
{
    double best = 1e9;
    for (int i = 0; i < rounds; ++i)
    {
        const auto start = Clock::now();
        work();
        best = std::min(best, Seconds(start));
    }
    return best;
}

long PeakKib()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class QuietHost : public RunHost
{
public:
    Answer AskQuestion(const std::string&, QuestionStyle) override { return Answer::Yes; }
    int ProgressValue() override { return progress_; }
    void SetProgressValue(int value) override { progress_ = value; }
    void ProcessEvents() override {}
    void WaitOneSecond() override { ::sleep(1); }
    std::string JoinDelimiter() override { return {}; }
    bool FileNameLine() override { return false; }

private:
    int progress_ = 0;
};

int GenerateText(const std::string& path, std::size_t mib, std::size_t fragmentBytes)
{
    static const char* words[] = {"kestrel",   "split",    "join",   "the",   "of",
                                  "delimiter", "fragment", "list",   "file",  "and",
                                  "a",         "byte",     "window", "hover", "field",
                                  "river",     "stone",    "-",      "--"};
    std::mt19937 generator(1);
    std::ofstream out(path, std::ios::binary);
    std::string block;
    const std::size_t total = mib << 20;
    std::size_t written = 0;
    std::size_t sinceCut = 0;
    while (written < total)
    {
        std::string line;
        while (line.size() < 60)
        {
            line += words[generator() % (sizeof words / sizeof *words)];
            line += ' ';
        }
        line.back() = '\n';
        block += line;
        sinceCut += line.size();
        if (sinceCut >= fragmentBytes)
        {
            block += "=====\n";
            sinceCut = 0;
        }
        if (block.size() >= (1 << 20))
        {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            written += block.size();
            block.clear();
        }
    }
    return out ? 0 : 1;
}

int GenerateDense(const std::string& path, std::size_t mib)
{
    std::ofstream out(path, std::ios::binary);
    std::string block;
    for (int i = 0; block.size() < (1 << 20); ++i)
        block += std::string("abcdefgh", 6 + i % 5) + ",";
    block.resize(1 << 20);
    for (std::size_t i = 0; i < mib; ++i)
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    return out ? 0 : 1;
}

int GenerateFiles(const std::string& folder, int count, std::size_t bytes)
{
    std::string content;
    for (int i = 0; content.size() < bytes; ++i)
        content += "line " + std::to_string(i) + " of a file to join\n";
    content.resize(bytes);
    std::ofstream list(folder + "/list.txt", std::ios::binary);
    for (int i = 0; i < count; ++i)
    {
        const std::string name = "part" + std::to_string(100000 + i) + ".txt";
        std::ofstream(folder + "/" + name, std::ios::binary) << content;
        list << name << "\n";
    }
    return list ? 0 : 1;
}

int Scan(const std::string& path, const std::vector<std::string>& delimiters)
{
    const auto bytes = SourceBytes::Read(path, nullptr);
    const auto text = bytes->View();
    // A byte that does not occur: one full pass. Read through volatile, so the compiler
    // cannot hoist the call out of the timing loop.
    volatile char needle = 1;
    const void* volatile sink = nullptr;
    const double memchrPass =
        Best(5, [&] { sink = std::memchr(text.data(), needle, text.size()); });
    (void)sink;
    std::printf("memchr %.4f\n", memchrPass);
    for (const auto& delimiter : delimiters)
    {
        std::size_t count = 0;
        // The cut itself: a FragmentList would give the count it remembered.
        const double cut = Best(5, [&] { count = CountDelimiters(text, delimiter) + 1; });
        std::printf("cut %.4f %zu\n", cut, count);
    }
    return 0;
}

int Keystroke(const std::string& path, const std::string& delimiter)
{
    Workbench bench;
    ReadinessRequest request;
    request.Source = path;
    request.SplitDelimiter = delimiter;
    std::string total;
    auto start = Clock::now();
    total = bench.Update(request).Total;
    const double first = Seconds(start);
    const double again = Best(5, [&] { total = bench.Update(request).Total; });
    std::printf("first %.4f again %.4f total %s peak_kib %ld\n", first, again, total.c_str(),
                PeakKib());
    return 0;
}

int Resplit(const std::string& path, const std::string& delimiter, const std::string& folder,
            bool sync)
{
    FileReplacement::SyncReplacedFiles = sync;
    Workbench bench;
    ReadinessRequest request;
    request.Source = path;
    request.SplitDelimiter = delimiter;
    bench.Update(request);
    RunRequest run;
    run.Source = path;
    run.Target = folder;
    run.Silent = true;
    QuietHost host;
    const auto start = Clock::now();
    bench.Run(run, host);
    std::printf("resplit %.3f\n", Seconds(start));
    return 0;
}

int Time(int argc, char** argv)
{
    int at = 0;
    std::string out;
    while (at < argc && std::strcmp(argv[at], "--") != 0)
    {
        if (std::strcmp(argv[at], "--stdout") == 0 && at + 1 < argc)
            out = argv[++at];
        ++at;
    }
    if (at + 1 >= argc)
        return 2;
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0)
    {
        // The command's output goes to a file or nowhere, never into the timing line.
        ::dup2(out.empty() ? ::open("/dev/null", O_WRONLY)
                           : ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
               1);
        const int devNull = ::open("/dev/null", O_RDONLY);
        ::dup2(devNull, 0);
        ::execvp(argv[at + 1], argv + at + 1);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const auto cpu = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
    std::printf("%.4f %ld %d %.4f %.4f\n", Seconds(start), usage.ru_maxrss,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1, cpu(usage.ru_utime),
                cpu(usage.ru_stime));
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 4 && args[0] == "gen-text")
        return GenerateText(args[1], std::stoul(args[2]), std::stoul(args[3]));
    if (args.size() >= 3 && args[0] == "gen-dense")
        return GenerateDense(args[1], std::stoul(args[2]));
    if (args.size() >= 4 && args[0] == "gen-files")
        return GenerateFiles(args[1], std::stoi(args[2]), std::stoul(args[3]));
    if (args.size() >= 3 && args[0] == "scan")
        return Scan(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    if (args.size() >= 3 && args[0] == "keystroke")
        return Keystroke(args[1], args[2]);
    if (args.size() >= 5 && args[0] == "resplit")
        return Resplit(args[1], args[2], args[3], args[4] == "1");
    if (args.size() >= 2 && args[0] == "time")
        return Time(argc - 2, argv + 2);
    std::fprintf(stderr, "kestrin-bench: see the comment at the top of BenchDriver.cpp\n");
    return 2;
}
