// SPDX-License-Identifier: MIT
#pragma once
// What a split does with a fragment whose name is taken, or was not tried as a new file:
// the whole decision, from facts the run gathered once (a link is followed once), so that
// it reads in one screen and is tested without files.

namespace Kestrin
{
// What lies where a fragment's name leads.
struct FoundAtName
{
    bool Exists = false;        // a file is there (for a link: at the end it leads to)
    bool Link = false;          // the name is a link: the write would land elsewhere
    bool InsideTarget = true;   // where a link leads lies in the target folder or below it
    bool ListFile = false;      // it leads to this run's list file
    bool Source = false;        // it leads to the file being split
    bool WrittenBefore = false; // an earlier fragment of this run was written under the name
};

enum class FragmentStep
{
    Write,          // written over (or made) without a question
    AskOverwrite,   // "A file with this name already exists. Overwrite?"
    AskAboutLink,   // the link's question: where it leads, and that it leads out or to nothing
    AskRepeatedName // an earlier fragment of this run took the name (asked even when silent)
};

// The step for one fragment. Silent overwriting spares the plain overwrite question only:
// the list file, the source, a link leading out of the target folder or to nothing, and a
// name an earlier fragment took are always asked about. So nothing is written outside the
// target folder, nor is the source or the list replaced, without the user's yes.
FragmentStep DecideFragment(const FoundAtName& found, bool silent);
} // namespace Kestrin
