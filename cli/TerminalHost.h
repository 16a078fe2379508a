#pragma once
// The run host of the command line: questions on standard error, answers from standard
// input (y, n, c; end of input counts as n; Ctrl+C while waiting cancels), no progress
// display.
#include "RunHost.h"

#include <ostream>

namespace Kestrin
{
class TerminalHost : public RunHost
{
public:
    // Answers are read from the file descriptor `answers` (standard input: 0) byte by byte,
    // so that Ctrl+C can interrupt the wait and nothing past the answer is consumed.
    TerminalHost(int answers, std::ostream& questions, bool answerYes, std::string joinDelimiter,
                 bool fileNameLine);

    Answer AskQuestion(const std::string& text, QuestionStyle style) override;
    int ProgressValue() override { return progress_; }
    void SetProgressValue(int value) override { progress_ = value; }
    void ProcessEvents() override {}
    void WaitOneSecond() override;
    std::string JoinDelimiter() override { return joinDelimiter_; }
    bool FileNameLine() override { return fileNameLine_; }
    // Ctrl+C or a termination request: the run ends before its next item, so every file
    // written is whole and no temporary file is left behind.
    bool StopRequested() override;
    static void StopOnInterrupt();
    // Whether the user answered Cancel to a question.
    bool Cancelled() const { return cancelled_; }

private:
    int answers_;
    std::ostream& questions_;
    bool answerYes_;
    std::string joinDelimiter_;
    bool fileNameLine_;
    int progress_ = 0;
    bool cancelled_ = false;
};
} // namespace Kestrin
