#pragma once
// Flash images written to files, one per controller: the chosen name with its
// extension replaced by ".k" and the controller's position.

#include "flash/FlashImage.h"

#include <string>
#include <vector>

namespace tralcon {

inline constexpr std::size_t kImageFileSize = 1024;

// "Cross.k0" and "Cross" both give "Cross.k<index>".
std::string ImageFileName(const std::string& chosenName, int index);

struct TImageFileReport {
    std::string Path;
    bool Written = false; // false: the image was too large, the file holds zeros
    std::string Message; // "Размер данных слишком велик!" for a too large image
};

// Writes one file per image. A file is 1024 bytes, the image from offset 0
// and zeros after it; an image of 1025 to 2008 bytes is written whole into a
// 2048-byte file instead, so no byte of it is lost; a larger one leaves 1024
// zero bytes and a message, and the next image follows. A file that cannot
// be written ends the export with an exception naming the file and the
// reason; the files written before stay.
std::vector<TImageFileReport> SaveImageFiles(const std::string& chosenName,
                                             const std::vector<TBytes>& images);

} // namespace tralcon
