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

namespace Kestrin
{
struct Workbench::State
{
    std::optional<FragmentList> fragments; // unset until a non-empty delimiter cut a source
    std::optional<LineList> fileList;
    // The last bytes read per tab, reused while the file stays the same.
    std::shared_ptr<const SourceBytes> splitSource;
    std::shared_ptr<const SourceBytes> joinSource;
    // Counts replacements of `fragments`, so a run knows whether its list is still current.
    std::uint64_t fragmentsGeneration = 0;
};

Workbench::Workbench() : state_(std::make_unique<State>()) {}
Workbench::~Workbench() = default;

Readiness Workbench::Update(const ReadinessRequest& request)
{
    Readiness readiness;
    State& state = *state_;
    if (request.Tab == 0)
    {
        // An empty delimiter leaves the list as it is, so the bytes are not needed then.
        if (!request.SplitDelimiter.empty())
        {
            auto bytes = SourceBytes::Read(request.Source, state.splitSource);
            FragmentList fragments(bytes, request.SplitDelimiter);
            // A count over bytes that changed meanwhile would be wrong.
            bytes->ThrowIfChanged();
            state.splitSource = std::move(bytes);
            state.fragments.emplace(std::move(fragments));
            ++state.fragmentsGeneration;
        }
        if (!state.fragments)
            return readiness;
        const auto count = state.fragments->Count();
        readiness.StartEnabled = count >= 2 && request.NamingSelected;
        readiness.Total = TotalText(count);
    }
    else
    {
        auto bytes = SourceBytes::Read(request.Source, state.joinSource);
        LineList lines(bytes);
        bytes->ThrowIfChanged();
        state.joinSource = std::move(bytes);
        state.fileList.emplace(std::move(lines));
        const auto count = state.fileList->Count();
        readiness.StartEnabled = count >= 2 && !request.JoinTarget.empty();
        readiness.Total = TotalText(count);
    }
    return readiness;
}

bool Workbench::OptionClickEnablesStart() const
{
    return state_->fragments && state_->fragments->Count() >= 2;
}

RunEnd Workbench::Run(const RunRequest& request, RunHost& host)
{
    State& state = *state_;
    PathParts source;
    // A rejected path leaves the parts empty.
    SplitPath(request.SourceName.empty() ? request.Source : request.SourceName, source);
    if (request.Tab == 0)
    {
        if (!state.fragments)
            return RunEnd::Finished;
        // The run works on its own copy: events processed between fragments may bring a
        // readiness update that replaces the list. Its first-line changes go back into
        // the list only when nothing replaced it meanwhile.
        FragmentList fragments = *state.fragments;
        const auto generation = state.fragmentsGeneration;
        auto keep = [&]
        {
            // A dry run changes nothing, not even the list.
            if (!request.DryRun && state.fragments && state.fragmentsGeneration == generation)
                *state.fragments = std::move(fragments);
        };
        try
        {
            const RunEnd end = RunSplit(request, source, fragments, host);
            keep();
            return end;
        }
        catch (...)
        {
            keep();
            throw;
        }
    }
    if (request.Tab == 1)
    {
        const LineList lines =
            state.fileList ? *state.fileList : LineList(std::make_shared<SourceBytes>());
        return RunJoin(request, source, lines, host);
    }
    return RunEnd::Finished;
}
} // namespace Kestrin
