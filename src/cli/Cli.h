#pragma once
// tralcon-cli: the core of the configurator without windows.

#include <iosfwd>
#include <string>
#include <vector>

namespace tralcon::cli {

// Runs one command line (without the program name). Exit status: 0 done,
// 1 the command failed, 2 bad usage or an unusable catalogue.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tralcon::cli
