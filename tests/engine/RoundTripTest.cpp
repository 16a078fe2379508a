// SPDX-License-Identifier: MIT
#include "../support/TempFolder.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

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
