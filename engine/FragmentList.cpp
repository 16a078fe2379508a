// SPDX-License-Identifier: MIT
#include "FragmentList.h"

#include "DelimiterSearch.h"

#include <cassert>

namespace Kestrin
{
FragmentList::FragmentList(std::shared_ptr<const SourceBytes> source, std::string delimiter)
    : source_(std::move(source)), delimiter_(std::move(delimiter))
{
    count_ = source_->Size() == 0 ? 0 : source_->Occurrences(delimiter_) + 1;
}

FragmentList::Cursor::Cursor(FragmentList& list)
    : list_(list), text_(list.source_->View().data()),
      end_(list.source_->View().data() + list.source_->View().size()), next_(text_), stop_(text_),
      released_(text_)
{
}

std::string_view FragmentList::Cursor::Next()
{
    assert(index_ < list_.count_);
    SettleCurrent();
    const char* start = next_;
    // What the walk has passed may leave memory: a split of a large file keeps about this
    // much of it resident, beside the fragment it is writing.
    constexpr std::ptrdiff_t ReleaseStep = std::ptrdiff_t(32) << 20;
    if (start - released_ >= ReleaseStep)
    {
        list_.source_->ReleaseBefore(start);
        released_ = start;
    }
    const char* stop = FindDelimiter(start, end_, list_.delimiter_);
    stop_ = stop;
    next_ = stop == end_ ? end_ : stop + list_.delimiter_.size();
    cutStart_ = static_cast<std::uint64_t>(start - text_);
    keptStart_ = cutStart_;
    const auto& old = list_.trims_;
    if (oldTrim_ < old.size() && old[oldTrim_].first == index_)
        keptStart_ = old[oldTrim_++].second;
    onFragment_ = true;
    ++index_;
    return std::string_view(text_ + keptStart_,
                            static_cast<std::size_t>(stop - text_) - keptStart_);
}

void FragmentList::Cursor::ThrowIfSourceChanged() const
{
    list_.source_->ThrowIfChanged();
}

void FragmentList::Cursor::Keep(std::string_view rest)
{
    assert(onFragment_ && rest.data() >= text_ + keptStart_);
    keptStart_ = static_cast<std::uint64_t>(rest.data() - text_);
}

std::string_view FragmentList::Cursor::Opening() const
{
    assert(onFragment_);
    if (index_ == 1)
        return {};
    const std::size_t size = list_.delimiter_.size();
    return std::string_view(text_ + cutStart_ - size, size);
}

std::string_view FragmentList::Cursor::Closing() const
{
    assert(onFragment_);
    return stop_ == end_ ? std::string_view() : std::string_view(stop_, list_.delimiter_.size());
}

void FragmentList::Cursor::SettleCurrent()
{
    if (onFragment_ && keptStart_ != cutStart_)
        trims_.emplace_back(index_ - 1, keptStart_);
    onFragment_ = false;
}

void FragmentList::Cursor::Finish()
{
    SettleCurrent();
    const auto& old = list_.trims_;
    trims_.insert(trims_.end(), old.begin() + static_cast<std::ptrdiff_t>(oldTrim_), old.end());
    list_.trims_ = std::move(trims_);
    trims_.clear();
}
} // namespace Kestrin
