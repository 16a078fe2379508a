// SPDX-License-Identifier: MIT
#pragma once
// Small conveniences for driving the Workbench as the window does.
#include "RecordingHost.h"
#include "common/CodePage.h"
#include "engine/Workbench.h"

#include <filesystem>
#include <string>
#include <vector>

namespace KestrinTest
{
inline Kestrin::Readiness UpdateSplit(Kestrin::Workbench& bench, const std::string& source,
                                      const std::string& delimiter, bool naming = true)
{
    Kestrin::ReadinessRequest request;
    request.Tab = 0;
    request.Source = source;
    request.SplitDelimiter = delimiter;
    request.NamingSelected = naming;
    return bench.Update(request);
}

inline Kestrin::Readiness UpdateJoin(Kestrin::Workbench& bench, const std::string& list,
                                     const std::string& target)
{
    Kestrin::ReadinessRequest request;
    request.Tab = 1;
    request.Source = list;
    request.JoinTarget = target;
    return bench.Update(request);
}

struct SplitOptions
{
    std::string Target;
    bool FirstLine = false;
    bool Silent = false;
    bool List = false;
};

inline Kestrin::RunEnd RunSplit(Kestrin::Workbench& bench, RecordingHost& host,
                                const std::string& source, const SplitOptions& options = {})
{
    Kestrin::RunRequest request;
    request.Tab = 0;
    request.Source = source;
    request.Target = options.Target;
    request.FirstLineNames = options.FirstLine;
    request.Silent = options.Silent;
    request.FileList = options.List;
    return bench.Run(request, host);
}

inline Kestrin::RunEnd RunJoin(Kestrin::Workbench& bench, RecordingHost& host,
                               const std::string& list, const std::string& target)
{
    Kestrin::RunRequest request;
    request.Tab = 1;
    request.Source = list;
    request.Target = target;
    return bench.Run(request, host);
}

// File names in a folder, sorted.
inline std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Kestrin::PathFromBytes(folder)))
        names.push_back(Kestrin::BytesFromPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace KestrinTest
