// SPDX-License-Identifier: MIT
#pragma once
// Writes a whole file so that no failure (full disk, killed process, a file swapped in
// meanwhile) leaves it neither old nor new: the bytes go to a temporary file beside the
// target, which is moved into place only when complete. An existing file keeps its
// permission bits (and owner where allowed); a symbolic link is written through to its
// target; a new file never replaces one that appeared meanwhile; what is not a regular
// file (a device, a pipe) is refused. Where the folder refuses new files but the file may
// be written, the complete output is collected elsewhere first and then copied over it
// (the in-place way): its room is made sure of first, and its old content is kept in the
// temporary folder until the copy is complete, to be put back after any error, and by the
// next write of the same file after a killed one. Where no such copy can be kept, the user
// is asked first (InPlaceConsent).
//
// The temporary file is ".NAME.kestrin-tmp" beside the target (a long NAME is shortened,
// see TemporaryName). One left behind by a killed process is removed at the next write of
// the same target; one that a live writer holds is left alone and the second writer fails.
#include "OutputFile.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace Kestrin
{
// Whether a symbolic link at the path is written through. A caller that has already
// followed the links (and asked about them) refuses one that appears meanwhile.
enum class Links
{
    Follow,
    Refuse
};

class FileReplacement : public OutputFile
{
public:
    // Opens the output. Throws FileError (the path named is `path`).
    explicit FileReplacement(const std::string& path, Links links = Links::Follow);
    // Without Commit the output is discarded: the old file stays, a new one never appears.
    ~FileReplacement() override;
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    void Write(std::string_view bytes) override;
    int Descriptor() const override;
    [[noreturn]] void Fail(int systemError) const override;
    void Commit();

    // Whether a replaced file's data is flushed to disk before the rename.
    static bool SyncReplacedFiles;

    // The temporary file's name for a target's file name: ".NAME.kestrin-tmp"; a NAME
    // longer than 200 bytes is cut (at a character boundary) and given a hash of the
    // whole name, so the temporary name stays within the system's limit.
    static std::string TemporaryName(const std::string& name);

    struct State;

private:
    std::unique_ptr<State> state_;
};

// While one lives, a write in place that could not keep the old content (the temporary
// folder is full or refuses files, the file cannot be read) asks through it first; without
// one such a write is refused. The question is the path, CR LF, and what is at stake.
class InPlaceConsent
{
public:
    explicit InPlaceConsent(std::function<bool(const std::string& question)> ask);
    ~InPlaceConsent();
    InPlaceConsent(const InPlaceConsent&) = delete;
    InPlaceConsent& operator=(const InPlaceConsent&) = delete;

    // The question for the path and the reason no copy could be kept; false when nobody
    // was there to answer.
    static bool Ask(const std::string& path, const std::string& reason);

private:
    std::function<bool(const std::string&)> ask_;
    InPlaceConsent* previous_;
};

// Where a write to the path lands: the path itself, or, for a symbolic link, the file it
// leads to (also when that does not exist). `exists`, when given, tells whether something
// other than a folder is there (as FileExists of the result). Throws FileError for a loop
// of links.
std::string WriteDestination(const std::string& path, bool* exists = nullptr);

// The whole file in one call.
void ReplaceFileBytes(const std::string& path, std::string_view bytes);
} // namespace Kestrin
