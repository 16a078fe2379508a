// SPDX-License-Identifier: MIT
#pragma once
#include "LineList.h"
#include "RunHost.h"
#include "Workbench.h"
#include "common/PathText.h"

namespace Kestrin
{
// A list line as the join reads it: a line that is not absolute in the path style is
// taken relative to the list's folder (Windows style: a line without ":" anywhere).
std::string ResolveListLine(std::string_view line, const std::string& listFolder,
                            PathStyle style = NativePathStyle());

// Joins the listed files into the target (Start on the join tab). `list` is the list
// file's path broken up by SplitPath. Declined when the existing target is not to be
// overwritten; then nothing is read or written. FileError ends the run and leaves the
// target as it was.
RunEnd RunJoin(const RunRequest& request, const PathParts& list, const LineList& lines,
               RunHost& host);
} // namespace Kestrin
