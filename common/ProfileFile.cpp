// The four settings-file procedures: profile layout through ProfileDocument, values written
// only when they changed, every failure silent.
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

std::optional<std::string> ReadValue(const std::string& file, const std::string& section,
                                     const std::string& key, std::size_t bufferSize)
{
    if (file.empty() || section.empty() || key.empty())
        return std::nullopt;
    try
    {
        std::string bytes;
        if (ReadProfileBytes(file, bytes) != ProfileFileState::Read)
            return std::nullopt;
        auto value = ProfileDocument(bytes).Value(section, key);
        if (value && value->size() > bufferSize - 1)
            value->resize(bufferSize - 1);
        return value;
    }
    catch (const std::exception&)
    {
        return std::nullopt; // out of memory on a huge file: as if it were not there
    }
}

// Rewrites the whole file with the one line changed; the file keeps its permission bits,
// and a failed write leaves it as it was.
void WriteValue(const std::string& file, const std::string& section, const std::string& key,
                const std::string& text)
{
    try
    {
        std::string bytes;
        // What cannot be read cannot be merged: replacing it would lose it.
        if (ReadProfileBytes(file, bytes) == ProfileFileState::Unreadable)
            return;
        ProfileDocument document(bytes);
        // A value with a line break would add lines of its own to the file.
        if (!document.SetValue(section, key, text))
            return;
        ReplaceFileBytes(file, document.Bytes());
    }
    catch (const std::exception&)
    {
    }
}
} // namespace

std::string IniReadString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& defaultText)
{
    auto value = ReadValue(file, section, key, TextBufferSize);
    return value ? *value : defaultText;
}

Fixed4 IniReadNumber(const std::string& file, const std::string& section, const std::string& key,
                     Fixed4 defaultNumber, bool* present)
{
    if (present)
        *present = false;
    const auto text = ReadValue(file, section, key, NumberBufferSize);
    Fixed4 number;
    // A number that does not fit comes only from a hand-edited file: treated as missing.
    if (!text || !Fixed4FromText(*text, number))
        return defaultNumber;
    if (present)
        *present = true;
    return number;
}

void IniWriteString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value)
{
    if (file.empty())
        return;
    if (!value.empty() && IniReadString(file, section, key) == value)
        return;
    // An empty text is stored as one blank, which reads back as empty.
    WriteValue(file, section, key, value.empty() ? " " : value);
}

void IniWriteNumber(const std::string& file, const std::string& section, const std::string& key,
                    Fixed4 value)
{
    if (file.empty())
        return;
    if (value != Fixed4{} && IniReadNumber(file, section, key) == value)
        return;
    WriteValue(file, section, key, Fixed4Text(value));
}
} // namespace Kestrin
