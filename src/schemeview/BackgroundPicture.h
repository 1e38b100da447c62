#pragma once
// A picture file made into the scheme's background: read (JPEG by libjpeg,
// GIF by giflib, bitmaps, PNG, icons and SVG by Qt's readers), stretched
// into 200 x 200 pixels and reduced to a GIF of at most 256 colours.

#include <QString>

#include <stdexcept>
#include <string>

namespace tralcon {

// A picture that cannot be used; what() is the message for the engineer.
class EPictureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Largest width or height of a picture file the program reads, and the most
// pixels it decodes (a small file may claim an enormous picture).
inline constexpr int kPictureMaxSide = 30000;
inline constexpr long long kPictureMaxPixels = 16LL * 1024 * 1024;

// The GIF file of the background; throws EPictureError.
std::string LoadBackgroundPicture(const QString& path);

// The same from the file's bytes; name is the file's name for messages.
std::string MakeBackgroundPicture(const std::string& bytes, const QString& name);

// The open dialog's filter for the formats read.
QString BackgroundPictureFilter();

} // namespace tralcon
