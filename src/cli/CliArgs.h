#pragma once
// The command line of tralcon-cli: global options, a command, its positional
// arguments and its options ("--name value" or "--flag").

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tralcon::cli {

class CliArgs {
public:
    // Parses argv after the program name. valueOptions take a value;
    // flagOptions do not. Throws std::invalid_argument with a message for an
    // unknown option or a missing value.
    CliArgs(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
            const std::set<std::string>& flagOptions);

    const std::string& Command() const { return FCommand; }
    const std::vector<std::string>& Positional() const { return FPositional; }
    std::optional<std::string> Value(const std::string& option) const;
    bool Flag(const std::string& option) const { return FFlags.count(option) != 0; }

private:
    std::string FCommand;
    std::vector<std::string> FPositional;
    std::map<std::string, std::string> FValues;
    std::set<std::string> FFlags;
};

} // namespace tralcon::cli
