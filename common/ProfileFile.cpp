// SPDX-License-Identifier: MIT
// The settings file: profile layout through ProfileDocument, values written only when they
// changed, every failure silent.
#include "ProfileFile.h"

#include "FileReplacement.h"
#include "ProfileDocument.h"

#include <exception>
#include <optional>

namespace Kestrin
{
namespace
{
// Reads go through fixed buffers: a text comes back with at most 32766 characters, and at
// most 254 characters of a number's text are looked at.
constexpr std::size_t TextBufferSize = 32767;
constexpr std::size_t NumberBufferSize = 255;
} // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path))
{
    if (path_.empty())
        return;
    try
    {
        std::string bytes;
        // What cannot be read cannot be merged: it reads as empty and is never replaced.
        const ProfileFileState state = ReadProfileBytes(path_, bytes);
        tooLarge_ = state == ProfileFileState::TooLarge;
        if (state == ProfileFileState::Read || state == ProfileFileState::Missing)
            document_ = std::make_unique<ProfileDocument>(bytes);
    }
    catch (const std::exception&)
    {
        document_.reset(); // out of memory on a huge file: as if it could not be read
    }
}

ProfileFile::~ProfileFile() = default;

std::optional<std::string> ProfileFile::ReadValue(const std::string& section,
                                                  const std::string& key,
                                                  std::size_t bufferSize) const
{
    if (!document_ || section.empty() || key.empty())
        return std::nullopt;
    try
    {
        auto value = document_->Value(section, key);
        if (value && value->size() > bufferSize - 1)
            value->resize(bufferSize - 1);
        return value;
    }
    catch (const std::exception&)
    {
        return std::nullopt;
    }
}

void ProfileFile::WriteValue(const std::string& section, const std::string& key,
                             const std::string& text)
{
    if (!document_)
        return;
    try
    {
        // A value with a line break would add lines of its own to the file.
        if (document_->SetValue(section, key, text))
            changed_ = true;
    }
    catch (const std::exception&)
    {
    }
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& defaultText) const
{
    auto value = ReadValue(section, key, TextBufferSize);
    return value ? *value : defaultText;
}

Fixed4 ProfileFile::ReadNumber(const std::string& section, const std::string& key,
                               Fixed4 defaultNumber, bool* present) const
{
    if (present)
        *present = false;
    const auto text = ReadValue(section, key, NumberBufferSize);
    Fixed4 number;
    // A number that does not fit comes only from a hand-edited file: treated as missing.
    if (!text || !Fixed4FromText(*text, number))
        return defaultNumber;
    if (present)
        *present = true;
    return number;
}

void ProfileFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value)
{
    if (path_.empty())
        return;
    if (!value.empty() && ReadString(section, key) == value)
        return;
    // An empty text is stored as one blank, which reads back as empty.
    WriteValue(section, key, value.empty() ? " " : value);
}

void ProfileFile::WriteNumber(const std::string& section, const std::string& key, Fixed4 value)
{
    if (path_.empty())
        return;
    if (value != Fixed4{} && ReadNumber(section, key) == value)
        return;
    WriteValue(section, key, Fixed4Text(value));
}

void ProfileFile::Save()
{
    if (!document_ || !changed_)
        return;
    try
    {
        // The whole file with the changed lines; it keeps its permission bits, and a
        // failed write leaves it as it was. Zeros and empty texts count as changes every
        // time, as they are written every time.
        ReplaceFileBytes(path_, document_->Bytes());
        changed_ = false;
    }
    catch (const std::exception&)
    {
    }
}

std::string IniReadString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& defaultText)
{
    if (file.empty() || section.empty() || key.empty())
        return defaultText;
    return ProfileFile(file).ReadString(section, key, defaultText);
}

Fixed4 IniReadNumber(const std::string& file, const std::string& section, const std::string& key,
                     Fixed4 defaultNumber, bool* present)
{
    // When a name is missing nothing is read.
    if (file.empty() || section.empty() || key.empty())
    {
        if (present)
            *present = false;
        return defaultNumber;
    }
    return ProfileFile(file).ReadNumber(section, key, defaultNumber, present);
}

void IniWriteString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value)
{
    ProfileFile profile(file);
    profile.WriteString(section, key, value);
    profile.Save();
}

void IniWriteNumber(const std::string& file, const std::string& section, const std::string& key,
                    Fixed4 value)
{
    ProfileFile profile(file);
    profile.WriteNumber(section, key, value);
    profile.Save();
}
} // namespace Kestrin
