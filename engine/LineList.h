// SPDX-License-Identifier: MIT
#pragma once
// FileList: the list file cut into lines. As with fragments only the count is kept and
// the lines are found again from the bytes when the join walks them.
#include "SourceBytes.h"
#include "common/PathText.h"

#include <memory>
#include <string_view>

namespace Kestrin
{
class LineList
{
public:
    // Windows style: only CR LF ends a line. POSIX style: LF ends a line too, a CR right
    // before it belonging to the line end, so lists written by ordinary tools work.
    // A bare CR stays in its line. A final line end gives a last, empty line; an empty
    // text has no lines.
    LineList(std::shared_ptr<const SourceBytes> source, PathStyle style = NativePathStyle());

    std::size_t Count() const { return count_; }

    class Cursor
    {
    public:
        explicit Cursor(const LineList& list);
        // The next line without its line end; only while Count() allows.
        std::string_view Next();

    private:
        const LineList& list_;
        const char* next_;
        const char* end_;
    };

private:
    std::shared_ptr<const SourceBytes> source_;
    PathStyle style_;
    std::size_t count_ = 0;
};
} // namespace Kestrin
