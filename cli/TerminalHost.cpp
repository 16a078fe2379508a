#include "TerminalHost.h"

#include <cerrno>
#include <chrono>
#include <csignal>
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
volatile std::sig_atomic_t Interrupted = 0;

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
        if (got < 0 && errno == EINTR && Interrupted == 0)
            continue;
        return got == 0 && !line.empty();
    }
}

extern "C" void NoteInterrupt(int signal)
{
    Interrupted = 1;
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

bool TerminalHost::StopRequested()
{
    return Interrupted != 0;
}

TerminalHost::TerminalHost(int answers, std::ostream& questions, bool answerYes,
                           std::string joinDelimiter, bool fileNameLine)
    : answers_(answers), questions_(questions), answerYes_(answerYes),
      joinDelimiter_(std::move(joinDelimiter)), fileNameLine_(fileNameLine)
{
}

Answer TerminalHost::AskQuestion(const std::string& text, QuestionStyle style)
{
    if (answerYes_)
        return Answer::Yes;
    std::string shown = text;
    for (std::size_t at = 0; (at = shown.find("\r\n", at)) != std::string::npos;)
        shown.replace(at, 2, "\n");
    const bool cancel = style == QuestionStyle::YesNoCancel;
    questions_ << "kestrin-cli: " << shown << (cancel ? " [y/n/c] " : " [y/n] ") << std::flush;
    std::string reply;
    if (!ReadAnswer(answers_, reply))
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
