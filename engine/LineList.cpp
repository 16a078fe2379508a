// SPDX-License-Identifier: MIT
#include "LineList.h"

#include "DelimiterSearch.h"

namespace Kestrin
{
namespace
{
std::string_view LineEnd(PathStyle style)
{
    return style == PathStyle::Windows ? std::string_view("\r\n") : std::string_view("\n");
}
} // namespace

LineList::LineList(std::shared_ptr<const SourceBytes> source, PathStyle style)
    : source_(std::move(source)), style_(style)
{
    // Every CR LF ends in an LF, so on POSIX counting LFs counts every line end.
    count_ = source_->Size() == 0 ? 0 : source_->Occurrences(std::string(LineEnd(style_))) + 1;
}

LineList::Cursor::Cursor(const LineList& list)
    : list_(list), next_(list.source_->View().data()),
      end_(list.source_->View().data() + list.source_->View().size())
{
}

std::string_view LineList::Cursor::Next()
{
    const auto lineEnd = LineEnd(list_.style_);
    const char* start = next_;
    const char* stop = FindDelimiter(start, end_, lineEnd);
    next_ = stop == end_ ? end_ : stop + lineEnd.size();
    if (list_.style_ == PathStyle::Posix && stop != end_ && stop > start && stop[-1] == '\r')
        --stop;
    // A line read from bytes that changed under the walk would name some other file.
    list_.source_->ThrowIfChanged();
    return std::string_view(start, static_cast<std::size_t>(stop - start));
}
} // namespace Kestrin
