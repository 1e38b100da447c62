#pragma once
// A settings file with the rules of Windows profile files: sections and keys
// compared without regard to case, presence tests, integer and string reads
// with defaults, and writes that leave every other line as it was. The file
// is code page 1251; this class speaks UTF-8.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tralcon {

class TIniFile {
  public:
    TIniFile() = default;
    // The content of a file in code page 1251.
    static TIniFile FromBytes(std::string_view bytes);
    // Reads a file; false (and a reason in *error) when it cannot be read.
    // A missing file is not an error when mayBeMissing: the result is empty.
    bool Load(const std::string& path, std::string* error, bool mayBeMissing = false);

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // Decimal, or hexadecimal after "$" or "0x"; anything else gives def.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const;
    std::vector<std::string> ReadSection(std::string_view section) const; // key names
    // Every section's name once, its letter case folded (ASCII and Cyrillic
    // letters in upper case), code page 1251: for a reader that looks for a family
    // of sections without probing each possible name.
    std::vector<std::string> FoldedSectionNames() const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
        WriteString(section, key, std::to_string(value));
    }

    // The file's bytes, every untouched line as it was read.
    std::string ToBytes() const;
    // Writes to a temporary file beside path and renames it over path, so a
    // failed write leaves the old file whole.
    bool Save(const std::string& path, std::string* error) const;

  private:
    struct Line {
        std::string Text; // raw code page 1251, without the line break
    };
    // Index of the section header line, or -1.
    int FindSection(std::string_view section1251) const;
    // Index of the key line within the section starting at header, or -1.
    int FindKey(int header, std::string_view key1251) const;
    int SectionEnd(int header) const; // one past the section's last line

    // Rebuilds FSections after the lines changed.
    void IndexSections();

    std::vector<Line> FLines;
    // The first header line of each section, by its case-folded name: a
    // reader that probes many sections (the catalogue asks for 256) must not
    // scan the file for each.
    std::unordered_map<std::string, int> FSections;
    bool FCrLf = true;
    bool FFinalBreak = true;
};

// Parses an integer as profile files do; false when it is not one.
bool ParseIniInteger(std::string_view text, std::int32_t* value);

} // namespace tralcon
