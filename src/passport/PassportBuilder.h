#pragma once
// The passport of a traffic-light object: a compiled help file (.chm) made
// from the template folder "HtmlHelp.template" beside the program, the
// project's data scripts and its pictures, by the template's own compiler
// "hhc".

#include "passport/DataScript.h"

#include <functional>
#include <string>
#include <vector>

namespace tralcon {

class TProject;

inline constexpr const char* kPassportTemplateFolder = "HtmlHelp.template";
inline constexpr const char* kPassportNotCreated = "Отчет не создан";

// The pictures of the passport as GIF file bytes. An empty function (or an
// empty result) writes no picture; the pages then say that it is missing.
struct TPassportPictures {
    std::function<std::string()> Scheme;
    std::function<std::string(int phaseIndex)> Phase;
    // The timing diagram of a cycle (by its place in the cycle list), PNG.
    std::function<std::string(int cycleIndex)> Cycle;
};

struct TPassportOptions {
    std::string TemplateDir;             // the template folder itself
    std::string TempDir;                 // empty: the user's temporary folder
    std::function<TLocalDateTime()> Now; // empty: the clock
};

// The template folder: beside the program, else in the installed data folder.
std::string PassportTemplateDir(const std::string& programDir);

// The help project written into the work folder: the template's lines, up
// to and including "[FILES]", with the compiled file and the title filled
// in on the lines "Compiled File=" and "Title=" (compared without regard to
// case and against the whole line); the template's listed files that exist,
// by full path; the generated files; then the rest of the template. Lines
// end in CR LF; the template's bytes are copied as they are. EUserError for
// a template without a "[FILES]" section (the pages would get no data).
std::string HelpProjectText(const std::string& templateBytes, const std::string& templateDir,
                            const std::string& compiledFile, const std::string& title,
                            const std::vector<std::string>& generatedFiles);

// A fresh work folder name: "{8-4-4-4-12}" hexadecimal digits.
std::string NewGuidText();

// Builds the passport into outputPath. The work folder under the temporary
// folder is removed afterwards, whatever happens; the output file appears
// whole or not at all (an old one stays as it was on failure). EUserError
// with the reason when no passport results: a missing template, a help
// compiler that does not start or fails, a file that cannot be written.
void BuildPassport(const TProject& project, const std::string& outputPath,
                   const TPassportPictures& pictures, const TPassportOptions& options);

} // namespace tralcon
