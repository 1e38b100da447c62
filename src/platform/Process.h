#pragma once
// Running a helper program to its end: the passport's help compiler.

#include <string>
#include <vector>

namespace tralcon {

struct TProcessResult {
    bool Started = false; // false: StartError says why (not found, not executable)
    std::string StartError;
    int ExitStatus = -1; // the exit status; 128 + signal for a killed process
    std::string Output;  // standard output and error together, as written
};

// Starts program (a path) with the arguments in the working folder and waits
// without a time limit until it ends; its input is empty.
TProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                          const std::string& workingDir);

} // namespace tralcon
