// SPDX-License-Identifier: MIT
#pragma once
#include "FragmentList.h"
#include "RunHost.h"
#include "Workbench.h"
#include "common/PathText.h"

namespace Kestrin
{
// The overwrite question: the path, CR LF, then the question itself.
std::string OverwriteQuestion(const std::string& path);
// Asked, even with silent overwriting, when the list file's path leads to the source.
std::string ListIsSourceQuestion(const std::string& path);

// Names and writes the fragments (Start on the split tab). `source` is the source path
// broken up by SplitPath. Cancel ends the loop early (Finished), so does a closed window
// (Stopped); FileError ends it where it happened.
RunEnd RunSplit(const RunRequest& request, const PathParts& source, FragmentList& fragments,
                RunHost& host);
} // namespace Kestrin
