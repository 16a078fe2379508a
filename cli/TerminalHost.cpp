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
#include <poll.h>
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

// Whether the question is shown before its answer is read: on a terminal, and where the
// answer is not there yet (a program that waits for the question). Else the answer, or the
// end of input, is read first, so that a question nobody answers is never shown.
bool ShowBeforeReading(int descriptor)
{
#ifdef _WIN32
    return ::_isatty(descriptor) != 0;
#else
    if (::isatty(descriptor))
        return true;
    pollfd ready{descriptor, POLLIN, 0};
    return ::poll(&ready, 1, 0) == 0;
#endif
}

// "12.5 KiB": a size in the largest unit that leaves a whole number in front.
std::string Size(double bytes)
{
    const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    std::size_t unit = 0;
    while (bytes >= 1024 && unit + 1 < sizeof units / sizeof *units)
    {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
    return text;
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
    return Interrupted() || (options_.OutputFailed && options_.OutputFailed());
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
    // Many small fragments make few bytes a second: the items' rate tells how it goes then.
    const double items = static_cast<double>(done) / seconds;
    char rate[32];
    std::snprintf(rate, sizeof rate, items < 10 ? "%.1f/s" : "%.0f/s", items);
    out_ << '\r' << done << " of " << count << ' ' << unit_ << ", " << rate << ", "
         << Size(static_cast<double>(bytes)) << ", " << Size(static_cast<double>(bytes) / seconds)
         << "/s\033[K" << std::flush;
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

void ProgressDisplay::End()
{
    if (!shown_)
        return;
    out_ << "\n" << std::flush;
    shown_ = false;
}

void TerminalHost::EndProgress(bool keep)
{
    if (keep)
        display_.End();
    else
        display_.Clear();
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

std::optional<Answer> TerminalHost::Ask(const std::string& text, QuestionStyle style)
{
    if (options_.Answers < 0 || answersEnded_)
        return std::nullopt;
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
    const auto show = [&] {
        questions_ << "kestrin-cli: " << shown << (cancel ? " [y/n/a/c] " : " [y/n] ")
                   << std::flush;
    };
    const bool shownFirst = ShowBeforeReading(options_.Answers);
    if (shownFirst)
        show();
    std::string reply;
    if (!ReadAnswer(options_.Answers, reply))
    {
        if (shownFirst)
            questions_ << "\n";
        if (Interrupted())
        {
            cancelled_ = cancel;
            return cancel ? Answer::Cancel : Answer::No;
        }
        answersEnded_ = true;
        return std::nullopt;
    }
    // An answer read from elsewhere than a terminal is echoed, so that the log reads as
    // the dialogue did.
    if (!shownFirst)
        show();
    if (!::isatty(options_.Answers))
        questions_ << reply << "\n";
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

Answer TerminalHost::AskQuestion(const std::string& text, QuestionStyle style)
{
    if (options_.AnswerYes || yesToAll_)
        return Answer::Yes;
    if (options_.AnswerNo)
        return Answer::No;
    const auto answer = Ask(text, style);
    if (answer)
        return *answer;
    ++kept_;
    return Answer::No;
}

Answer TerminalHost::AskRepeatedName(const std::string& text, const std::string& path,
                                     std::size_t fragment)
{
    if (yesToAll_)
        return Answer::Yes;
    // --no-clobber keeps the earlier fragment without asking; this one is still lost.
    const auto answer = options_.AnswerNo ? std::nullopt : Ask(text, QuestionStyle::YesNoCancel);
    if (answer)
        return *answer;
    display_.Clear();
    questions_ << "kestrin-cli: " << TerminalText(path) << ": fragment " << fragment
               << " not written: an earlier fragment of this run has its name; "
                  "--number-repeated numbers such names\n";
    ++notWritten_;
    return Answer::No;
}

void TerminalHost::WaitOneSecond()
{
    std::this_thread::sleep_for(std::chrono::seconds(1));
}
} // namespace Kestrin
