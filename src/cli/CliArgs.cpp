#include "cli/CliArgs.h"

#include <stdexcept>

namespace tralcon::cli {

CliArgs::CliArgs(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                 const std::set<std::string>& flagOptions) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            std::string name = a, value;
            bool inlineValue = false;
            if (auto eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
                name = a.substr(0, eq);
                value = a.substr(eq + 1);
                inlineValue = true;
            }
            if (valueOptions.count(name)) {
                if (!inlineValue) {
                    if (i + 1 >= args.size())
                        throw std::invalid_argument("option " + name + " needs a value");
                    value = args[++i];
                }
                FValues[name] = value;
            } else if (flagOptions.count(name) && !inlineValue) {
                FFlags.insert(name);
            } else {
                throw std::invalid_argument("unknown option " + a);
            }
        } else if (FCommand.empty()) {
            FCommand = a;
        } else {
            FPositional.push_back(a);
        }
    }
}

std::optional<std::string> CliArgs::Value(const std::string& option) const {
    auto it = FValues.find(option);
    if (it == FValues.end())
        return std::nullopt;
    return it->second;
}

} // namespace tralcon::cli
