// SPDX-License-Identifier: MIT
#include "TerminalHost.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Kestrin
{
namespace
{
volatile std::sig_atomic_t InterruptSeen = 0;

// One line; false at the end of input, on an error, or when interrupted while waiting.
bool ReadAnswer(int descriptor, std::string& line)
{
    line.clear();
    for (;;)
    {
        char c = 0;
        const auto got = ::read(descriptor, &c, 1);
        if (got == 1)
        {
            if (c == '\n')
                return true;
            line += c;
            continue;
        }
        if (got < 0 && errno == EINTR && InterruptSeen == 0)
            continue;
        return got == 0 && !line.empty();
    }
}

extern "C" void NoteInterrupt(int signal)
{
    InterruptSeen = 1;
    // A second interrupt ends the program at once.
    std::signal(signal, SIG_DFL);
}
} // namespace

void TerminalHost::StopOnInterrupt()
{
#ifdef _WIN32
    std::signal(SIGINT, NoteInterrupt);
    std::signal(SIGTERM, NoteInterrupt);
#else
    // Without SA_RESTART, so that a question waiting for its answer wakes up.
    struct sigaction action
    {
    };
    action.sa_handler = NoteInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
#endif
}

bool TerminalHost::Interrupted()
{
    return InterruptSeen != 0;
}

bool TerminalHost::StopRequested()
{
    return Interrupted();
}

ProgressDisplay::ProgressDisplay(std::ostream& out, bool enabled, std::string unit)
    : out_(out), enabled_(enabled), unit_(std::move(unit))
{
}

void ProgressDisplay::Update(std::size_t done, std::size_t count, std::uint64_t bytes,
                             double seconds)
{
    // Short runs show nothing; a long one is redrawn often enough to look alive.
    if (!enabled_ || seconds < 1.0 || (shown_ && seconds - lastShown_ < 0.25))
        return;
    const double mebibytes = static_cast<double>(bytes) / (1024.0 * 1024.0);
    char line[160];
    std::snprintf(line, sizeof line, "\r%zu of %zu %s, %.1f MiB, %.1f MiB/s\033[K", done, count,
                  unit_.c_str(), mebibytes, mebibytes / seconds);
    out_ << line << std::flush;
    shown_ = true;
    lastShown_ = seconds;
}

void ProgressDisplay::Clear()
{
    if (!shown_)
        return;
    out_ << "\r\033[K" << std::flush;
    shown_ = false;
}

TerminalHost::TerminalHost(std::ostream& questions, TerminalOptions options)
    : questions_(questions), options_(std::move(options)),
      display_(questions, options_.Progress, options_.Unit)
{
}

TerminalHost::~TerminalHost()
{
    display_.Clear();
}

void TerminalHost::ItemDone(std::size_t index, std::size_t count, std::uint64_t bytes)
{
    bytes_ += bytes;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    display_.Update(index + 1, count, bytes_, elapsed.count());
}

void TerminalHost::FileWritten(const std::string& path, std::uint64_t bytes)
{
    (void)bytes;
    if (!options_.Verbose)
        return;
    display_.Clear();
    *options_.Verbose << path << '\n';
}

Answer TerminalHost::AskQuestion(const std::string& text, QuestionStyle style)
{
    if (options_.AnswerYes || yesToAll_)
        return Answer::Yes;
    if (options_.AnswerNo)
        return Answer::No;
    display_.Clear();
    std::string shown = text;
    for (std::size_t at = 0; (at = shown.find("\r\n", at)) != std::string::npos;)
        shown.replace(at, 2, "\n");
    const bool cancel = style == QuestionStyle::YesNoCancel;
    questions_ << "kestrin-cli: " << shown << (cancel ? " [y/n/a/c] " : " [y/n] ") << std::flush;
    std::string reply;
    if (options_.Answers < 0 || !ReadAnswer(options_.Answers, reply))
    {
        questions_ << "\n";
        if (StopRequested())
        {
            cancelled_ = cancel;
            return cancel ? Answer::Cancel : Answer::No;
        }
        return Answer::No;
    }
    const auto first = reply.find_first_not_of(" \t");
    const char c = first == std::string::npos ? 'n' : reply[first];
    if (c == 'y' || c == 'Y')
        return Answer::Yes;
    if (c == 'a' || c == 'A')
    {
        yesToAll_ = true;
        return Answer::Yes;
    }
    if (cancel && (c == 'c' || c == 'C'))
    {
        cancelled_ = true;
        return Answer::Cancel;
    }
    return Answer::No;
}

void TerminalHost::WaitOneSecond()
{
    std::this_thread::sleep_for(std::chrono::seconds(1));
}
} // namespace Kestrin
