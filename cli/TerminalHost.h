#pragma once
// The run host of the command line: questions on standard error, answers from standard
// input (y, n, c; end of input counts as n), no progress display.
#include "RunHost.h"

#include <istream>
#include <ostream>

namespace Kestrin
{
class TerminalHost : public RunHost
{
public:
    TerminalHost(std::istream& answers, std::ostream& questions, bool answerYes,
                 std::string joinDelimiter, bool fileNameLine);

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

private:
    std::istream& answers_;
    std::ostream& questions_;
    bool answerYes_;
    std::string joinDelimiter_;
    bool fileNameLine_;
    int progress_ = 0;
};
} // namespace Kestrin
