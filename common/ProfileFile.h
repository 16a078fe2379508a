// SPDX-License-Identifier: MIT
#pragma once
// The settings file: profile (INI) layout, values written only when they changed.
// None of these report errors: reads give the default, failed writes are ignored.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Kestrin
{
class ProfileDocument;

// Four-decimal fixed-point number, the stored form of every numeric setting.
struct Fixed4
{
    std::int64_t TenThousandths = 0;

    static Fixed4 FromWhole(std::int64_t whole) { return {whole * 10000}; }
    bool operator==(const Fixed4& other) const { return TenThousandths == other.TenThousandths; }
    bool operator!=(const Fixed4& other) const { return !(*this == other); }
};

// Shortest decimal text: "0", "120", "-5", "0.5", "57.3333".
std::string Fixed4Text(Fixed4 value);
// The leading decimal number of a text ("." as the decimal mark, an optional exponent),
// kept to four decimals with halves to even; a text that does not begin with a number
// gives 0. False, value untouched, when the number does not fit the type.
bool Fixed4FromText(std::string_view text, Fixed4& value);

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

// Restore helpers: tab, option and check-box values round halves to even and clamp to 0..1;
// window edges are stored pixels times twips-per-pixel, rounded halves to even.
int RestoreSwitch(Fixed4 stored);
// False when the value in twips does not fit an int (a hand-edited file): treat as missing.
bool RestoreEdgeTwips(Fixed4 storedPixels, double twipsPerPixel, int& twips);
// Twips to the stored pixel number, kept to four decimals.
Fixed4 EdgePixels(int twips, double twipsPerPixel);

// Executable name + ".dat". On Windows beside the program, or in the per-user configuration
// folder where the program folder cannot be written. On POSIX beside the program only in a
// build folder (BuildTreeMarker beside it), else in the per-user folder; empty when there
// is none.
std::string SettingsFilePath(const std::string& executablePath);
// The same with the per-user folder named by the caller (see UserConfigFolder).
std::string SettingsFilePath(const std::string& executablePath, const std::string& userFolder);
} // namespace Kestrin
