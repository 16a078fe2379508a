// SPDX-License-Identifier: MIT
#pragma once
// Fragments: the source cut at every occurrence of the delimiter. Only the count is kept;
// each fragment is found again from the bytes when a run walks the list, so that a
// delimiter that occurs a hundred million times costs no memory. The one change a run
// makes to fragments (first-line naming drops their leading part) is kept as a sparse
// list of new start offsets.
#include "SourceBytes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Kestrin
{
class FragmentList
{
public:
    // The cut; the delimiter must not be empty. An empty source gives no fragments.
    FragmentList(std::shared_ptr<const SourceBytes> source, std::string delimiter);

    std::size_t Count() const { return count_; }

    // Walks the fragments in order. Keep() narrows the stored fragment the cursor is on
    // to a suffix of itself; Finish() puts the walk's changes into the list (fragments
    // the walk did not reach keep what they had).
    class Cursor
    {
    public:
        explicit Cursor(FragmentList& list);
        // The next fragment as it is stored; only while Count() allows.
        std::string_view Next();
        void Keep(std::string_view rest);
        // The delimiter occurrences around the current fragment as cut: the one before it
        // (empty for the first fragment) and the one after it (empty for the last).
        std::string_view Opening() const;
        std::string_view Closing() const;
        void Finish();
        // Throws FileError "the file changed while it was read" naming the source when
        // the bytes walked may have changed since they were counted: what was found or
        // written from them must not be kept.
        void ThrowIfSourceChanged() const;

    private:
        void SettleCurrent();

        FragmentList& list_;
        const char* text_;
        const char* end_;
        const char* next_;        // where the next fragment starts in the source
        const char* stop_;        // where the current one ends: at a delimiter or the end
        const char* released_;    // what lies before may have left memory
        std::size_t index_ = 0;   // index of the next fragment
        std::size_t oldTrim_ = 0; // first of list_.trims_ not yet passed
        bool onFragment_ = false;
        std::uint64_t cutStart_ = 0;  // where the current fragment starts in the cut
        std::uint64_t keptStart_ = 0; // where it starts as stored
        std::vector<std::pair<std::size_t, std::uint64_t>> trims_;
    };

private:
    std::shared_ptr<const SourceBytes> source_;
    std::string delimiter_;
    std::size_t count_ = 0;
    // (fragment index, start offset in the source), ascending by index.
    std::vector<std::pair<std::size_t, std::uint64_t>> trims_;
};
} // namespace Kestrin
