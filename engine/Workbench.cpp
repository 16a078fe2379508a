// SPDX-License-Identifier: MIT
#include "Workbench.h"

#include "FragmentList.h"
#include "JoinRun.h"
#include "LineList.h"
#include "Progress.h"
#include "SourceBytes.h"
#include "SplitRun.h"
#include "common/PathText.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace Kestrin
{
namespace
{
[[noreturn]] void RefuseOperation(Operation what)
{
    throw std::invalid_argument("no such operation: " + std::to_string(static_cast<int>(what)));
}
} // namespace

struct Workbench::State
{
    std::optional<FragmentList> fragments; // unset until a non-empty delimiter cut a source
    std::optional<LineList> fileList;
    // The last bytes read per operation, reused while the file stays the same.
    std::shared_ptr<const SourceBytes> splitSource;
    std::shared_ptr<const SourceBytes> joinSource;
    // Counts replacements of `fragments`, so a run knows whether its list is still current.
    std::uint64_t fragmentsGeneration = 0;

    Readiness UpdateSplit(const ReadinessRequest& request);
    Readiness UpdateJoin(const ReadinessRequest& request);
    RunEnd Split(const RunRequest& request, const PathParts& source, RunHost& host);
    RunEnd Join(const RunRequest& request, const PathParts& source, RunHost& host) const;
};

Workbench::Workbench() : state_(std::make_unique<State>()) {}
Workbench::~Workbench() = default;

Readiness Workbench::Update(const ReadinessRequest& request)
{
    switch (request.What)
    {
    case Operation::Split:
        return state_->UpdateSplit(request);
    case Operation::Join:
        return state_->UpdateJoin(request);
    }
    RefuseOperation(request.What);
}

Readiness Workbench::State::UpdateSplit(const ReadinessRequest& request)
{
    Readiness readiness;
    // An empty delimiter leaves the list as it is, so the bytes are not needed then.
    if (!request.SplitDelimiter.empty())
    {
        auto bytes = SourceBytes::Read(request.Source, splitSource);
        FragmentList cut(bytes, request.SplitDelimiter);
        // A count over bytes that changed meanwhile would be wrong.
        bytes->ThrowIfChanged();
        splitSource = std::move(bytes);
        fragments.emplace(std::move(cut));
        ++fragmentsGeneration;
    }
    if (!fragments)
        return readiness;
    const auto count = fragments->Count();
    readiness.StartEnabled = count >= 2 && request.NamingSelected;
    readiness.Total = TotalText(count);
    return readiness;
}

Readiness Workbench::State::UpdateJoin(const ReadinessRequest& request)
{
    Readiness readiness;
    auto bytes = SourceBytes::Read(request.Source, joinSource);
    LineList lines(bytes);
    bytes->ThrowIfChanged();
    joinSource = std::move(bytes);
    fileList.emplace(std::move(lines));
    const auto count = fileList->Count();
    readiness.StartEnabled = count >= 2 && !request.JoinTarget.empty();
    readiness.Total = TotalText(count);
    return readiness;
}

bool Workbench::OptionClickEnablesStart() const
{
    return state_->fragments && state_->fragments->Count() >= 2;
}

RunEnd Workbench::Run(const RunRequest& request, RunHost& host)
{
    PathParts source;
    // A rejected path leaves the parts empty.
    SplitPath(request.SourceName.empty() ? request.Source : request.SourceName, source);
    switch (request.What)
    {
    case Operation::Split:
        return state_->Split(request, source, host);
    case Operation::Join:
        return state_->Join(request, source, host);
    }
    RefuseOperation(request.What);
}

RunEnd Workbench::State::Split(const RunRequest& request, const PathParts& source, RunHost& host)
{
    if (!fragments)
        return RunEnd::Finished;
    // The run works on its own copy: events processed between fragments may bring a
    // readiness update that replaces the list. Its first-line changes go back into the list
    // only when nothing replaced it meanwhile.
    FragmentList copy = *fragments;
    const auto generation = fragmentsGeneration;
    auto keep = [&]
    {
        // A dry run changes nothing, not even the list.
        if (!request.DryRun && fragments && fragmentsGeneration == generation)
            *fragments = std::move(copy);
    };
    try
    {
        const RunEnd end = RunSplit(request, source, copy, host);
        keep();
        return end;
    }
    catch (...)
    {
        keep();
        throw;
    }
}

RunEnd Workbench::State::Join(const RunRequest& request, const PathParts& source,
                              RunHost& host) const
{
    const LineList lines = fileList ? *fileList : LineList(std::make_shared<SourceBytes>());
    return RunJoin(request, source, lines, host);
}
} // namespace Kestrin
