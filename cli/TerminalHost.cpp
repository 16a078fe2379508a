#include "TerminalHost.h"

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace Kestrin
{
namespace
{
volatile std::sig_atomic_t Interrupted = 0;

extern "C" void NoteInterrupt(int signal)
{
    Interrupted = 1;
    // A second interrupt ends the program at once.
    std::signal(signal, SIG_DFL);
}
} // namespace

void TerminalHost::StopOnInterrupt()
{
    std::signal(SIGINT, NoteInterrupt);
    std::signal(SIGTERM, NoteInterrupt);
}

bool TerminalHost::StopRequested()
{
    return Interrupted != 0;
}

TerminalHost::TerminalHost(std::istream& answers, std::ostream& questions, bool answerYes,
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
    if (!std::getline(answers_, reply))
    {
        questions_ << "\n";
        return Answer::No;
    }
    const auto first = reply.find_first_not_of(" \t");
    const char c = first == std::string::npos ? 'n' : reply[first];
    if (c == 'y' || c == 'Y')
        return Answer::Yes;
    if (cancel && (c == 'c' || c == 'C'))
        return Answer::Cancel;
    return Answer::No;
}

void TerminalHost::WaitOneSecond()
{
    std::this_thread::sleep_for(std::chrono::seconds(1));
}
} // namespace Kestrin
