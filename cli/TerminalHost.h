// SPDX-License-Identifier: MIT
#pragma once
// The run host of the command line: questions on standard error, answered on the terminal
// (y, n, a for all, c; Ctrl+C while waiting cancels), progress on standard error when it
// is a terminal, the files written with --verbose. A question that cannot be answered (no
// terminal, end of input) is not shown: its file is kept and counted, and the caller says
// so once at the end.
#include "engine/RunHost.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace Kestrin
{
// A text that came from files (a path whose name is a fragment's first line, a question
// quoting it) as it is printed: control bytes (C0, DEL and C1 in UTF-8) written as \xHH,
// so that no escape sequence inside a file reaches the terminal, and a text longer than
// `limit` bytes cut in its middle ("[... N bytes ...]").
std::string TerminalText(std::string_view text, std::size_t limit = 4096);

// The progress line of a run that takes longer than a second: items done and their rate,
// bytes and their rate, both over the run so far. Shown on a terminal only; redrawn at
// most four times a second.
class ProgressDisplay
{
public:
    ProgressDisplay(std::ostream& out, bool enabled, std::string unit);
    // After an item; `seconds` since the run started.
    void Update(std::size_t done, std::size_t count, std::uint64_t bytes, double seconds);
    // Takes the line away (before a question, at the end).
    void Clear();
    // Ends the line where it stands, so that it stays above a message (an interrupted run
    // shows how far it came).
    void End();

private:
    std::ostream& out_;
    bool enabled_;
    std::string unit_;
    bool shown_ = false;
    double lastShown_ = 0;
};

struct TerminalOptions
{
    int Answers = 0;                 // descriptor the answers are read from; -1: none (all n)
    bool AnswerYes = false;          // join --yes
    bool AnswerNo = false;           // split --no-clobber
    bool Progress = false;           // standard error is a terminal and not --quiet
    std::ostream* Verbose = nullptr; // where each file written is named, or nowhere
    const char* Unit = "fragments";
    std::string JoinDelimiter;
    bool FileNameLine = false;
    // Where the run's own output goes (standard output): once it cannot be written, the
    // run stops before its next item.
    std::function<bool()> OutputFailed;
};

class TerminalHost : public RunHost
{
public:
    TerminalHost(std::ostream& questions, TerminalOptions options);
    ~TerminalHost() override;

    Answer AskQuestion(const std::string& text, QuestionStyle style) override;
    // Unanswered, or answered by --no-clobber: the fragment is named on standard error.
    Answer AskRepeatedName(const std::string& text, const std::string& path,
                           std::size_t fragment) override;
    int ProgressValue() override { return progress_; }
    void SetProgressValue(int value) override { progress_ = value; }
    void ProcessEvents() override {}
    void WaitOneSecond() override;
    std::string JoinDelimiter() override { return options_.JoinDelimiter; }
    bool FileNameLine() override { return options_.FileNameLine; }
    // Ctrl+C or a termination request: the run ends before its next item, so every file
    // written is whole and no temporary file is left behind.
    bool StopRequested() override;
    void ItemDone(std::size_t index, std::size_t count, std::uint64_t bytes) override;
    void FileWritten(const std::string& path, std::uint64_t bytes) override;
    static void StopOnInterrupt();
    static bool Interrupted();
    // Whether the user answered Cancel to a question.
    bool Cancelled() const { return cancelled_; }
    // Files kept because their question could not be answered.
    std::size_t Kept() const { return kept_; }
    // Fragments not written because an earlier one took their name.
    std::size_t NotWritten() const { return notWritten_; }
    // The run is over: the progress line goes, or stays above what follows when `keep`.
    void EndProgress(bool keep);

private:
    // The answer, or none when none can be had (the question is then not shown).
    std::optional<Answer> Ask(const std::string& text, QuestionStyle style);

    std::ostream& questions_;
    TerminalOptions options_;
    ProgressDisplay display_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::uint64_t bytes_ = 0;
    int progress_ = 0;
    bool cancelled_ = false;
    bool yesToAll_ = false;
    bool answersEnded_ = false;
    std::size_t kept_ = 0;
    std::size_t notWritten_ = 0;
};
} // namespace Kestrin
