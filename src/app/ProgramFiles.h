#pragma once
// Where the program found the files it reads and writes, for "tralcon
// --paths": one line per file, its path, and whether it is there.

#include <QString>

namespace tralcon {

struct TMainFormEnv;

inline constexpr const char* kPassportTemplateName = "HtmlHelp.template";

QString ProgramFilesReport(const TMainFormEnv& env);

} // namespace tralcon
