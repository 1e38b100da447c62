#include "model/Errors.h"

#include <string_view>

namespace tralcon {

namespace {
std::string Substitute(std::string_view pattern, std::string_view spec, const std::string& arg) {
    std::string out(pattern);
    auto pos = out.find(spec);
    if (pos != std::string::npos)
        out.replace(pos, spec.size(), arg);
    return out;
}
} // namespace

std::string Format(const char* pattern, const std::string& arg) {
    return Substitute(pattern, "%s", arg);
}

std::string Format(const char* pattern, long long arg) {
    return Substitute(pattern, "%d", std::to_string(arg));
}

} // namespace tralcon
