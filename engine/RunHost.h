// SPDX-License-Identifier: MIT
#pragma once
// The engine's only way to the user: the window (or the command line) implements it.
#include <cstddef>
#include <cstdint>
#include <string>

namespace Kestrin
{
enum class Answer
{
    Yes,
    No,
    Cancel
};

// Message-box styles of the overwrite questions: Yes/No/Cancel or Yes/No, question icon.
enum class QuestionStyle
{
    YesNoCancel = 35,
    YesNo = 36
};

class RunHost
{
public:
    virtual ~RunHost() = default;
    // Modal question titled with the program title; the first button is the default.
    virtual Answer AskQuestion(const std::string& text, QuestionStyle style) = 0;
    // The progress bar (0..100); the engine sets it only when the value changes,
    // and a set value is repainted at once.
    virtual int ProgressValue() = 0;
    virtual void SetProgressValue(int value) = 0;
    // Let the window process its pending events (input, repaint, move).
    virtual void ProcessEvents() = 0;
    // Wait about one second while still processing events (list-file retries).
    virtual void WaitOneSecond() = 0;
    // The join reads these again for every listed file, as the user may change them mid-run.
    virtual std::string JoinDelimiter() = 0;
    virtual bool FileNameLine() = 0;
    // True once the user has closed the window: the run stops before its next item and
    // writes nothing more (the join leaves its target as it was).
    virtual bool StopRequested() { return false; }
    // After item `index` of `count` (a fragment, a listed file), with the bytes it held:
    // what a progress display beyond the bar needs.
    virtual void ItemDone(std::size_t index, std::size_t count, std::uint64_t bytes)
    {
        (void)index;
        (void)count;
        (void)bytes;
    }
    // A file the run wrote (a fragment, the join's target) and its size.
    virtual void FileWritten(const std::string& path, std::uint64_t bytes)
    {
        (void)path;
        (void)bytes;
    }
    // The question about a fragment whose name an earlier fragment of this run took and
    // was written under (two equal first lines). It is asked even with silent overwriting,
    // as the earlier fragment would be lost; the window shows it as any overwrite question.
    // `fragment` counts from 1.
    virtual Answer AskRepeatedName(const std::string& text, const std::string& path,
                                   std::size_t fragment)
    {
        (void)path;
        (void)fragment;
        return AskQuestion(text, QuestionStyle::YesNoCancel);
    }
    // A dry run names the files it would write instead of writing them.
    virtual void WouldWrite(const std::string& path, bool exists)
    {
        (void)path;
        (void)exists;
    }
};
} // namespace Kestrin
