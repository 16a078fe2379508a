#pragma once
// Writes a whole file so that a failed write (full disk, killed process) never destroys
// the file it replaces: an existing target is written to a temporary file in its folder
// and then renamed over it, keeping its permission bits (and owner where allowed); a
// symbolic link is written through to its target. A new file is written directly and
// removed again when the write fails.
#include <string>
#include <string_view>

namespace Kestrin
{
class FileReplacement
{
public:
    // Opens the output. Throws FileError (the path named is `path`).
    explicit FileReplacement(const std::string& path);
    // Without Commit the output is discarded: the old file stays, a new one is removed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    void Write(std::string_view bytes);
    // POSIX file descriptor of the output, for kernel-side copies; position is at the end
    // of what was written.
    int Descriptor() const { return descriptor_; }
    // Call after writing through Descriptor() so errors name the right file.
    [[noreturn]] void Fail(int systemError) const;
    void Commit();

    // Whether a replaced file's data is flushed to disk before the rename.
    static bool SyncReplacedFiles;

private:
    enum class Mode
    {
        NewFile,
        Replace, // temporary file renamed over the target
        InPlace  // folder not writable: the target itself is truncated and written
    };
    void Discard() noexcept;

    std::string path_;   // as the caller named it
    std::string target_; // symbolic links resolved
    std::string temporary_;
    int descriptor_ = -1;
    Mode mode_ = Mode::NewFile;
    unsigned originalMode_ = 0;
    bool restoreMode_ = false;
    long long owner_ = -1;
    long long group_ = -1;
    bool committed_ = false;
};

// The whole file in one call.
void ReplaceFileBytes(const std::string& path, std::string_view bytes);
} // namespace Kestrin
