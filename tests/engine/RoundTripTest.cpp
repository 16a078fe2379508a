// SPDX-License-Identifier: MIT
#include "EngineTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <random>

using namespace Kestrin;
using namespace KestrinTest;
using Names = std::vector<std::string>;
using namespace std::string_literals;

// Joining files and splitting the result at the same delimiter gives the files back;
// joining a split's list gives the documented text.
TEST(RoundTrip, JoinThenSplitGivesTheFilesBack)
{
    TempFolder temp;
    const Names texts = {"first\r\nline two", "second \"quoted\" text\r\n",
                         "\xC3\xA9t\xC3\xA9\0x"s};
    std::string list;
    for (std::size_t i = 0; i < texts.size(); ++i)
    {
        temp.Write("in/t" + std::to_string(i) + ".txt", texts[i]);
        list += "t" + std::to_string(i) + ".txt\r\n";
    }
    const auto listPath = temp.Write("in/list.txt", list);

    for (const bool fileNames : {false, true})
    {
        const auto joined = temp / (fileNames ? "named.txt" : "plain.txt");
        Workbench bench;
        UpdateJoin(bench, listPath, joined);
        RecordingHost host;
        host.Delimiter = "<<cut>>";
        host.FileNames = fileNames;
        RunJoin(bench, host, listPath, joined);

        UpdateSplit(bench, joined, "<<cut>>");
        RecordingHost splitHost;
        const auto out = temp / (fileNames ? "named" : "plain");
        RunSplit(bench, splitHost, joined, {out, fileNames, false, false});
        if (fileNames)
        {
            // Named after the paths the join wrote, each holding its text again.
            EXPECT_EQ(NamesIn(out), (Names{"t0.txt", "t1.txt", "t2.txt"}));
            for (std::size_t i = 0; i < texts.size(); ++i)
            {
                // A text that ended in CR LF comes back ending in CR: the write drops the
                // join's CR LF and then the LF that is last.
                const auto expected = i == 1 ? "second \"quoted\" text\r"s : texts[i];
                EXPECT_EQ(ReadBytes(Native(out + "/t" + std::to_string(i) + ".txt")), expected)
                    << i;
            }
        }
        else
        {
            // The first fragment holds only the output's leading CR LF: an empty file.
            EXPECT_EQ(ReadBytes(Native(out + "/plain_1.txt")), "");
            EXPECT_EQ(ReadBytes(Native(out + "/plain_2.txt")), texts[0]);
            EXPECT_EQ(ReadBytes(Native(out + "/plain_3.txt")), "second \"quoted\" text\r");
            EXPECT_EQ(ReadBytes(Native(out + "/plain_4.txt")), texts[2]);
        }
    }
}

TEST(RoundTrip, SplitListJoinsIntoTheDocumentedText)
{
    TempFolder temp;
    const auto source = temp.Write("src/notes.txt", "alpha\r\n##\r\nbeta\r\n##\r\ngamma");
    Workbench bench;
    UpdateSplit(bench, source, "##");
    RecordingHost host;
    RunSplit(bench, host, source, {temp / "parts", false, false, true});
    const auto list = temp / "parts/notes_List.txt";
    const auto joined = temp / "joined.txt";
    UpdateJoin(bench, list, joined);
    RecordingHost joinHost;
    joinHost.Delimiter = "##";
    RunJoin(bench, joinHost, list, joined);
    // Each fragment lost its final CR LF; the join puts CR LF before each delimiter.
    EXPECT_EQ(ReadBytes(joined), "\r\n##alpha\r\n##\r\nbeta\r\n##\r\ngamma");
}

// The exact pair: a split that keeps the delimiters and the final line breaks, joined raw
// from its list, gives the source back byte for byte, whatever the source and delimiter.
// Seeded: a failure names its case, and the same seed gives the same cases again.
TEST(RoundTrip, ExactSplitAndRawJoinGiveTheSourceBack)
{
    std::mt19937 generator(23);
    const std::string alphabet("ab#\r\n\0\xff", 7);
    const auto text = [&](std::size_t most)
    {
        std::string bytes(std::uniform_int_distribution<std::size_t>(0, most)(generator), ' ');
        for (auto& c : bytes)
            c = alphabet[std::uniform_int_distribution<std::size_t>(0, 6)(generator)];
        return bytes;
    };
    TempFolder temp;
    int joined = 0;
    for (int i = 0; i < 300; ++i)
    {
        const std::string source = text(120);
        std::string delimiter = text(3);
        if (delimiter.empty())
            delimiter = "#";
        const bool skipEmpty = i % 3 == 0;
        const auto folder = "c" + std::to_string(i);
        const auto path = temp.Write(folder + "/s.bin", source);
        Workbench bench;
        if (!UpdateSplit(bench, path, delimiter).StartEnabled)
            continue; // no delimiter in it: nothing to split
        RecordingHost host;
        RunRequest split;
        split.Source = path;
        split.Target = temp / (folder + "/parts");
        split.FileList = true;
        split.KeepDelimiter = split.KeepLineEnds = true;
        split.SkipEmpty = skipEmpty;
        ASSERT_EQ(bench.Run(split, host), RunEnd::Finished);
        const auto list = temp / (folder + "/parts/s_List.bin");
        const auto target = temp / (folder + "/joined.bin");
        ASSERT_TRUE(UpdateJoin(bench, list, target).StartEnabled);
        RunRequest join;
        join.Tab = 1;
        join.Source = list;
        join.Target = target;
        join.Raw = true;
        bench.Run(join, host);
        ASSERT_EQ(ReadBytes(target), source)
            << "case " << i << ", delimiter " << testing::PrintToString(delimiter);
        ++joined;
    }
    EXPECT_GT(joined, 200);
}
