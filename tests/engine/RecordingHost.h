// SPDX-License-Identifier: MIT
#pragma once
// The run host of the engine tests: queued answers instead of message boxes, and a record
// of what the run showed.
#include "engine/RunHost.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace KestrinTest
{
class RecordingHost : public Kestrin::RunHost
{
public:
    std::deque<Kestrin::Answer> Answers;
    std::vector<std::string> Questions;
    std::vector<Kestrin::QuestionStyle> Styles;
    std::vector<int> ProgressSets;
    int Progress = 0;
    int Events = 0;
    int Waits = 0;
    int JoinOptionReads = 0;
    std::string Delimiter;
    bool FileNames = false;
    bool Stop = false;              // the window was closed
    std::function<void()> OnEvents; // runs inside ProcessEvents, as user input would
    std::function<void()> OnWait;
    std::function<void()> OnQuestion;    // runs before a question is answered
    std::function<void()> OnJoinOptions; // runs when the join reads its options for a file
    int StopPolls = 0;

    Kestrin::Answer AskQuestion(const std::string& text, Kestrin::QuestionStyle style) override
    {
        Questions.push_back(text);
        Styles.push_back(style);
        if (OnQuestion)
            OnQuestion();
        if (Answers.empty())
        {
            ADD_FAILURE() << "unexpected question: " << text;
            return Kestrin::Answer::No;
        }
        const auto answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    int ProgressValue() override { return Progress; }
    void SetProgressValue(int value) override
    {
        Progress = value;
        ProgressSets.push_back(value);
    }
    void ProcessEvents() override
    {
        ++Events;
        if (OnEvents)
            OnEvents();
    }
    void WaitOneSecond() override
    {
        ++Waits;
        if (OnWait)
            OnWait();
    }
    std::string JoinDelimiter() override
    {
        ++JoinOptionReads;
        if (OnJoinOptions)
            OnJoinOptions();
        return Delimiter;
    }
    bool FileNameLine() override { return FileNames; }
    bool StopRequested() override
    {
        ++StopPolls;
        return Stop;
    }
};
} // namespace KestrinTest
