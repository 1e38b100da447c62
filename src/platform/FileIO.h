#pragma once
// Whole-file reads and atomic whole-file writes. Errors come back as text for
// the caller to put into its own message.

#include <cstddef>
#include <string>
#include <string_view>

namespace tralcon {

bool FileExists(const std::string& path);

// Reads at most maxBytes; a larger file is refused rather than half read.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error,
                   std::size_t maxBytes = 64u << 20);

// Writes a temporary file in the target's folder, flushes it and renames it
// over the target: either the new content is there whole or the old file
// stays as it was.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

// The folder part of a path ("." for a bare name) and the bare name.
std::string DirName(const std::string& path);
std::string BaseName(const std::string& path);
std::string JoinPath(const std::string& dir, const std::string& name);

} // namespace tralcon
