#pragma once
// The passport and help viewer. Its code lives in the shared library
// libtralcon_viewer.so beside the program (Qt WebEngine, chmlib), loaded the
// first time a help file is shown, so the program starts without WebEngine.
// These functions load it; nothing here pulls WebEngine in.

#include <string>

class QString;
class QWidget;

namespace tralcon {

inline constexpr const char* kViewerLibraryName = "libtralcon_viewer.so";

// Shows a page of a compiled help file ("index.htm") in a viewer window of
// its own (a new one for each file). False, with the reason, when the viewer
// library cannot be loaded or the file is not a help file.
bool ShowChm(QWidget* parent, const QString& chmPath, const QString& page,
             QString* error = nullptr);

// Prints a page of a help file to PDF without a window (for the command
// line; makes the application object itself when there is none). The PDF
// appears whole or not at all.
bool PrintChmToPdf(const std::string& chmPath, const std::string& page, const std::string& pdfPath,
                   std::string* error);

// The viewer library's entry points, resolved by name.
extern "C" {
using TShowChmEntry = bool (*)(QWidget* parent, const QString* chm, const QString* page,
                               QString* error);
using TPrintChmEntry = bool (*)(const char* chm, const char* page, const char* pdf,
                                std::string* error);
}
inline constexpr const char* kShowChmEntry = "TralconShowChm";
inline constexpr const char* kPrintChmEntry = "TralconPrintChmToPdf";

} // namespace tralcon
