#include "persistence/Config.h"

#include "model/Errors.h"
#include "platform/AppPaths.h"
#include "platform/FileIO.h"

#include <algorithm>
#include <optional>

namespace tralcon {

namespace {

const char* const kNotFound = "Файл %s не найден";
const char* const kBadFormat = "Файл %s имеет неправильный формат\r\nили поврежден";

std::string_view TrimBlanks(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// No key, or an empty value: the model has no outputs of that colour.
std::optional<TIntegerList> ReadOrder(const TIniFile& ini, const std::string& section,
                                      const char* key) {
    std::string value = ini.ReadString(section, key, "");
    if (value.empty())
        return std::nullopt;
    return ParseHexList(value);
}

} // namespace

std::uint64_t ParseHex(std::string_view text) {
    std::uint64_t v = 0;
    for (char c : text) {
        unsigned d;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            d = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            d = static_cast<unsigned>(c - 'a' + 10);
        else
            return 0;
        v = (v << 4) | d;
    }
    return v;
}

TIntegerList ParseHexList(std::string_view value) {
    TIntegerList list;
    std::string_view s = value;
    while (!s.empty()) {
        auto comma = s.find(',');
        if (comma == std::string_view::npos) {
            list.Add(
                static_cast<std::int32_t>(static_cast<std::uint32_t>(ParseHex(TrimBlanks(s)))));
            break;
        }
        list.Add(
            static_cast<std::int32_t>(static_cast<std::uint32_t>(ParseHex(s.substr(0, comma)))));
        s = TrimBlanks(s.substr(comma + 1));
    }
    return list;
}

std::unique_ptr<TConfiguration> LoadConfiguration(const std::string& path) {
    const std::string name = BaseName(path);
    if (!FileExists(path))
        throw EUserError(Format(kNotFound, name));
    TIniFile ini;
    std::string error;
    if (!ini.Load(path, &error))
        throw EUserError(Format("Не удалось прочитать файл %s", name) + ": " + error);
    return LoadConfiguration(ini, name);
}

namespace {

// The numbers n of the sections "Model#n" (n = 0 to 255, written as
// std::to_string writes it, letter case aside) that the file has, in
// ascending order: the catalogue's models in their order.
std::vector<int> ModelSectionNumbers(const TIniFile& ini) {
    std::vector<int> numbers;
    for (const std::string& name : ini.FoldedSectionNames()) {
        static constexpr std::string_view kPrefix = "MODEL#";
        if (name.size() <= kPrefix.size() || name.size() > kPrefix.size() + 3 ||
            name.compare(0, kPrefix.size(), kPrefix) != 0)
            continue;
        const std::string_view digits = std::string_view(name).substr(kPrefix.size());
        if (!std::all_of(digits.begin(), digits.end(),
                         [](char c) { return c >= '0' && c <= '9'; }) ||
            (digits.size() > 1 && digits[0] == '0'))
            continue;
        const int n = std::stoi(std::string(digits));
        if (n <= 255)
            numbers.push_back(n);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

} // namespace

std::unique_ptr<TConfiguration> LoadConfiguration(const TIniFile& ini,
                                                  const std::string& fileName) {
    auto config = std::make_unique<TConfiguration>();
    config->MultiCascade = ini.ValueExists("General", "MultiCascade");
    config->UseYearPlan = ini.ValueExists("General", "UseYearPlan");
    config->UseCollisions = ini.ValueExists("General", "UseCollisions");
    // The all-red duration is a byte; 0 keeps the default.
    auto allRed =
        static_cast<std::uint8_t>(ini.ReadInteger("General", "AllRedTime", config->AllRedTime));
    if (allRed != 0)
        config->AllRedTime = allRed;
    config->YBTime =
        static_cast<std::uint8_t>(ini.ReadInteger("General", "YBTime", config->YBTime));

    auto limit = [&](const char* key, int def) {
        const std::int32_t v = ini.ReadInteger("Check", key, def);
        return v >= 0 && v <= 255 ? static_cast<int>(v) : def;
    };
    config->Check.YellowMin = limit("YellowMin", config->Check.YellowMin);
    config->Check.GreenBlinkMin = limit("GreenBlinkMin", config->Check.GreenBlinkMin);
    config->Check.RedYellowMax = limit("RedYellowMax", config->Check.RedYellowMax);
    config->Check.IntergreenMin = limit("IntergreenMin", config->Check.IntergreenMin);

    for (const int n : ModelSectionNumbers(ini)) {
        const std::string section = "Model#" + std::to_string(n);
        if (!ini.ValueExists(section, "ID") || !ini.ValueExists(section, "Caption"))
            continue;
        if (!ini.ValueExists(section, "RedOrder") && !ini.ValueExists(section, "GreenOrder") &&
            !ini.ValueExists(section, "UniversalOrder") && !ini.ValueExists(section, "YellowOrder"))
            continue;
        auto red = ReadOrder(ini, section, "RedOrder");
        auto green = ReadOrder(ini, section, "GreenOrder");
        auto yellow = ReadOrder(ini, section, "YellowOrder");
        auto universal = ReadOrder(ini, section, "UniversalOrder");
        auto powerMask =
            static_cast<std::uint32_t>(ParseHex(ini.ReadString(section, "PowerMask", "0")));
        std::int32_t id = ini.ReadInteger(section, "ID", -1);
        auto controllerID = static_cast<std::uint8_t>(ini.ReadInteger(section, "ControllerID", 3));
        std::string caption = ini.ReadString(section, "Caption", section);
        config->ModelList.Add(new TModel(caption, controllerID, id, red ? &*red : nullptr,
                                         yellow ? &*yellow : nullptr, green ? &*green : nullptr,
                                         universal ? &*universal : nullptr, powerMask));
    }
    if (config->ModelList.Empty())
        throw EUserError(Format(kBadFormat, fileName));
    return config;
}

std::string DefaultConfigurationPath(const std::string& programDir) {
    return FindProgramData(programDir, kConfigFileName);
}

std::vector<std::string> LoadRecentFiles(const std::string& iniPath,
                                         const std::function<bool(const std::string&)>& exists) {
    std::vector<std::string> paths;
    TIniFile ini;
    if (!FileExists(iniPath) || !ini.Load(iniPath, nullptr) || !ini.SectionExists("Recent"))
        return paths;
    for (int i = 1; i <= 5; ++i) {
        const std::string key = std::to_string(i);
        if (!ini.ValueExists("Recent", key))
            continue;
        std::string path = ini.ReadString("Recent", key, "");
        if (!path.empty() && exists(path))
            paths.push_back(path);
    }
    return paths;
}

bool SaveRecentFiles(const std::string& iniPath, const std::vector<std::string>& newestFirst,
                     std::string* error) {
    TIniFile ini;
    if (!MakeDirs(DirName(iniPath))) {
        if (error)
            *error = "cannot create the folder " + DirName(iniPath);
        return false;
    }
    if (!ini.Load(iniPath, error, true))
        return false;
    const std::size_t k = newestFirst.size();
    for (std::size_t j = 0; j < k; ++j)
        ini.WriteString("Recent", std::to_string(k - j), newestFirst[j]);
    return ini.Save(iniPath, error);
}

} // namespace tralcon
