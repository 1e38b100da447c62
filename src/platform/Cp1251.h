#pragma once
// Text is UTF-8 inside the program and code page 1251 wherever bytes enter or
// leave it (project file, configuration and settings files, data script).

#include <string>
#include <string_view>

namespace tralcon {

// Converts UTF-8 to code page 1251. A character the code page cannot hold
// (or a malformed UTF-8 sequence) becomes '?' and clears *lossless.
std::string ToCp1251(std::string_view utf8, bool* lossless = nullptr);

// Converts code page 1251 to UTF-8. The one byte the code page leaves
// undefined (0x98) becomes U+FFFD.
std::string FromCp1251(std::string_view cp1251);

// True when every character of the UTF-8 text exists in code page 1251.
bool FitsCp1251(std::string_view utf8);

} // namespace tralcon
