#include "platform/IniFile.h"

#include "platform/Cp1251.h"
#include "platform/FileIO.h"

#include <limits>

namespace tralcon {

namespace {

unsigned char FoldCase(unsigned char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0) // Cyrillic а..я
        return static_cast<unsigned char>(c - 32);
    if (c == 0xB8) // ё
        return 0xA8;
    return c;
}

std::string Folded(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(static_cast<unsigned char>(a[i])) !=
            FoldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view Trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The section name of a header line, or false when the line is not one.
bool HeaderName(std::string_view line, std::string_view* name) {
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return false;
    line.remove_prefix(1);
    auto close = line.find(']');
    *name = Trim(close == std::string_view::npos ? line : line.substr(0, close));
    return true;
}

bool KeyValue(std::string_view line, std::string_view* key, std::string_view* value) {
    auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    *key = Trim(line.substr(0, eq));
    std::string_view v = Trim(line.substr(eq + 1));
    // Profile reads drop one pair of quotes around a value.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    *value = v;
    return true;
}

bool ParseDigits(std::string_view s, unsigned base, std::uint64_t limit, std::uint64_t* out) {
    if (s.empty())
        return false;
    std::uint64_t v = 0;
    for (char ch : s) {
        unsigned d;
        if (ch >= '0' && ch <= '9')
            d = static_cast<unsigned>(ch - '0');
        else if (base == 16 && ch >= 'a' && ch <= 'f')
            d = static_cast<unsigned>(ch - 'a' + 10);
        else if (base == 16 && ch >= 'A' && ch <= 'F')
            d = static_cast<unsigned>(ch - 'A' + 10);
        else
            return false;
        v = v * base + d;
        if (v > limit)
            return false;
    }
    *out = v;
    return true;
}

} // namespace

bool ParseIniInteger(std::string_view text, std::int32_t* value) {
    std::string_view s = Trim(text);
    std::uint64_t v = 0;
    if (!s.empty() && s.front() == '$') {
        if (!ParseDigits(s.substr(1), 16, 0xFFFFFFFFu, &v))
            return false;
        *value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return true;
    }
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        if (!ParseDigits(s.substr(2), 16, 0xFFFFFFFFu, &v))
            return false;
        *value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return true;
    }
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    const std::uint64_t limit =
        negative ? std::uint64_t{1} << 31 : std::uint64_t{std::numeric_limits<std::int32_t>::max()};
    if (!ParseDigits(s, 10, limit, &v))
        return false;
    *value = static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(v)
                                                : static_cast<std::int64_t>(v));
    return true;
}

TIniFile TIniFile::FromBytes(std::string_view bytes) {
    TIniFile ini;
    ini.FCrLf = bytes.find("\r\n") != std::string_view::npos || bytes.empty();
    ini.FFinalBreak = bytes.empty() || bytes.back() == '\n';
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t nl = bytes.find('\n', start);
        std::string_view line =
            bytes.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ini.FLines.push_back({std::string(line)});
        if (nl == std::string_view::npos)
            break;
        start = nl + 1;
    }
    ini.IndexSections();
    return ini;
}

void TIniFile::IndexSections() {
    FSections.clear();
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        std::string_view name;
        if (HeaderName(FLines[i].Text, &name))
            FSections.try_emplace(Folded(name), static_cast<int>(i)); // the first one counts
    }
}

std::vector<std::string> TIniFile::FoldedSectionNames() const {
    std::vector<std::string> names;
    names.reserve(FSections.size());
    for (const auto& [name, line] : FSections)
        names.push_back(name);
    return names;
}

bool TIniFile::Load(const std::string& path, std::string* error, bool mayBeMissing) {
    std::string bytes;
    if (!ReadWholeFile(path, &bytes, error)) {
        if (mayBeMissing && !FileExists(path)) {
            *this = TIniFile();
            return true;
        }
        return false;
    }
    *this = FromBytes(bytes);
    return true;
}

int TIniFile::FindSection(std::string_view section1251) const {
    auto found = FSections.find(Folded(section1251));
    return found == FSections.end() ? -1 : found->second;
}

int TIniFile::SectionEnd(int header) const {
    std::size_t i = static_cast<std::size_t>(header) + 1;
    std::string_view name;
    while (i < FLines.size() && !HeaderName(FLines[i].Text, &name))
        ++i;
    return static_cast<int>(i);
}

int TIniFile::FindKey(int header, std::string_view key1251) const {
    int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        std::string_view k, v;
        if (KeyValue(FLines[static_cast<std::size_t>(i)].Text, &k, &v) && SameText(k, key1251))
            return i;
    }
    return -1;
}

bool TIniFile::SectionExists(std::string_view section) const {
    return FindSection(ToCp1251(section)) >= 0;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
    int h = FindSection(ToCp1251(section));
    return h >= 0 && FindKey(h, ToCp1251(key)) >= 0;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
    int h = FindSection(ToCp1251(section));
    int k = h >= 0 ? FindKey(h, ToCp1251(key)) : -1;
    if (k < 0)
        return std::string(def);
    std::string_view name, value;
    KeyValue(FLines[static_cast<std::size_t>(k)].Text, &name, &value);
    return FromCp1251(value);
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t def) const {
    std::int32_t v;
    return ParseIniInteger(ReadString(section, key, ""), &v) ? v : def;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    int h = FindSection(ToCp1251(section));
    if (h < 0)
        return keys;
    int end = SectionEnd(h);
    for (int i = h + 1; i < end; ++i) {
        std::string_view k, v;
        if (KeyValue(FLines[static_cast<std::size_t>(i)].Text, &k, &v))
            keys.push_back(FromCp1251(k));
    }
    return keys;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string s = ToCp1251(section), k = ToCp1251(key);
    std::string line = k + "=" + ToCp1251(value);
    int h = FindSection(s);
    if (h < 0) {
        FLines.push_back({"[" + s + "]"});
        FLines.push_back({std::move(line)});
        IndexSections();
        return;
    }
    int at = FindKey(h, k);
    if (at >= 0) {
        FLines[static_cast<std::size_t>(at)].Text = std::move(line);
        return;
    }
    // After the section's last non-blank line, so blank separators stay
    // between sections.
    int end = SectionEnd(h);
    while (end > h + 1 && Trim(FLines[static_cast<std::size_t>(end - 1)].Text).empty())
        --end;
    FLines.insert(FLines.begin() + end, {std::move(line)});
    IndexSections(); // the headers after it moved down one line
}

std::string TIniFile::ToBytes() const {
    std::string out;
    const char* br = FCrLf ? "\r\n" : "\n";
    for (std::size_t i = 0; i < FLines.size(); ++i) {
        out += FLines[i].Text;
        if (i + 1 < FLines.size() || FFinalBreak)
            out += br;
    }
    return out;
}

bool TIniFile::Save(const std::string& path, std::string* error) const {
    return WriteFileAtomically(path, ToBytes(), error);
}

} // namespace tralcon
