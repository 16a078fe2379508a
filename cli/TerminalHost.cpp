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

std::string TerminalText(std::string_view text, std::size_t limit)
{
    std::string shown;
    std::size_t dropped = 0;
    if (text.size() > limit)
    {
        dropped = text.size() - limit;
        shown.reserve(limit + 32);
    }
    const std::size_t cutAt = limit / 2;
    static const char* const digits = "0123456789abcdef";
    const auto escape = [&shown](unsigned char c)
    {
        shown += "\\x";
        shown += digits[c >> 4];
        shown += digits[c & 15];
    };
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (dropped > 0 && i == cutAt)
        {
            shown += "[... " + std::to_string(dropped) + " bytes ...]";
            i += dropped - 1;
            continue;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c < 0x20 || c == 0x7f)
            escape(c);
        else if (c == 0xc2 && next >= 0x80 && next <= 0x9f) // a C1 control in UTF-8
        {
            escape(c);
            escape(next);
            ++i;
        }
        else
            shown += static_cast<char>(c);
    }
    return shown;
}

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
    *options_.Verbose << TerminalText(path) << '\n';
}

Answer TerminalHost::AskQuestion(const std::string& text, QuestionStyle style)
{
    if (options_.AnswerYes || yesToAll_)
        return Answer::Yes;
    if (options_.AnswerNo)
        return Answer::No;
    display_.Clear();
    // Lines as the engine broke them; what they quote is shown harmless.
    std::string shown;
    for (std::size_t start = 0;;)
    {
        const auto end = text.find("\r\n", start);
        shown += TerminalText(std::string_view(text).substr(start, end - start));
        if (end == std::string::npos)
            break;
        shown += '\n';
        start = end + 2;
    }
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
