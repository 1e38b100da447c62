#pragma once
#include <stdexcept>
#include <string>

namespace tralcon {

// A broken rule of the model itself ("Model not found", "Incorrect output!"):
// English, because it speaks to developers.
class EModelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Anything the engineer reads (a missing or damaged file): Russian text,
// shown as it stands.
class EUserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// printf-style formatting of the fixed texts, which use a single %s or %d.
std::string Format(const char* pattern, const std::string& arg);
std::string Format(const char* pattern, long long arg);

} // namespace tralcon
