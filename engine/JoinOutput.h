#pragma once
// The join's output, streamed into its FileReplacement. The last three bytes are held
// back, because the whole-file write drops one final line break and that can only be
// told at the end. Listed files are copied by the kernel where it can.
#include "FileAccess.h"
#include "FileReplacement.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace Kestrin
{
class JoinOutput
{
public:
    explicit JoinOutput(FileReplacement& output);

    void Append(std::string_view bytes);
    // Appends the rest of an open file (read to its end, `size` bytes expected). Returns
    // how many bytes it appended.
    std::uint64_t AppendFile(InputFile& input, std::uint64_t size);
    // Writes what is held back, without the final line break.
    void Finish();

private:
    static constexpr std::size_t Held = 3;
    void WriteHeld();

    FileReplacement& output_;
    std::string held_;
    std::unique_ptr<char[]> buffer_;
    bool kernelCopy_ = true;
};
} // namespace Kestrin
