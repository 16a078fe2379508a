// SPDX-License-Identifier: MIT
#pragma once
// The settings file: profile (INI) layout, values written only when they changed.
// None of these report errors: reads give the default, failed writes are ignored.
#include "Fixed4.h"

#include <memory>
#include <optional>
#include <string>

namespace Kestrin
{
class ProfileDocument;

// The settings file read once and written at most once: the window reads all its keys
// from one reading while it loads, and at shut-down merges every changed key into one more
// reading and replaces the file once. A file that cannot be read (a folder, a device, a
// pipe in its place, a file beyond any settings file's size) reads as empty and is never
// replaced.
class ProfileFile
{
public:
    explicit ProfileFile(std::string path);
    ~ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    const std::string& Path() const { return path_; }

    // As IniReadString and IniReadNumber, from the bytes read when this was made (with the
    // writes made since).
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultText = "") const;
    Fixed4 ReadNumber(const std::string& section, const std::string& key, Fixed4 defaultNumber = {},
                      bool* present = nullptr) const;
    // As IniWriteString and IniWriteNumber, in memory: an unchanged non-empty text or
    // non-zero number is skipped, everything else is stored.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteNumber(const std::string& section, const std::string& key, Fixed4 value);

    // Replaces the file once when the writes changed its bytes. Silent on failure.
    void Save();
    // The file is far larger than a settings file (MaxProfileBytes): it was not read and is
    // never replaced; the window says so.
    bool TooLarge() const { return tooLarge_; }

private:
    std::optional<std::string> ReadValue(const std::string& section, const std::string& key,
                                         std::size_t bufferSize) const;
    void WriteValue(const std::string& section, const std::string& key, const std::string& text);

    std::string path_;
    std::unique_ptr<ProfileDocument> document_; // null when the file cannot be read
    bool changed_ = false;
    bool tooLarge_ = false;
};

// One-key forms: each reads (and writes) the whole file for one key.
std::string IniReadString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& defaultText = "");
Fixed4 IniReadNumber(const std::string& file, const std::string& section, const std::string& key,
                     Fixed4 defaultNumber = {}, bool* present = nullptr);
void IniWriteString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
void IniWriteNumber(const std::string& file, const std::string& section, const std::string& key,
                    Fixed4 value);
} // namespace Kestrin
