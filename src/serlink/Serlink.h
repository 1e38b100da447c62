#pragma once
// The programmer library's entry points, exported by name from
// libSerlink.so. Each runs the programmer window modally on the calling
// thread and returns when the user closes it.

#include <cstdint>

extern "C" {

// Writes an image into a controller. At most 2048 bytes are taken (the
// window says so when there were more); the caller's buffer is copied before
// the window shows. Returns 0 when the image was programmed and verified, 3
// when it was not, 4 when the last attempt to open the port failed, or an
// error code (errno, else -1) when the window could not run.
std::int32_t ExportData(const std::uint8_t* data, std::int32_t length);

// Reads a controller's flash (2048 bytes, block n at offset 16n) into
// buffer. Returns 0 at once, doing nothing, when *size is below 2048;
// otherwise the codes of ExportData ("done" meaning the whole flash was
// read). *size is not changed.
std::int32_t ImportData(std::uint8_t* buffer, const std::int32_t* size);
}

// The same as function pointer types, for dlsym.
using TExportDataFunc = std::int32_t (*)(const std::uint8_t* data, std::int32_t length);
using TImportDataFunc = std::int32_t (*)(std::uint8_t* buffer, const std::int32_t* size);
