#include "passport/PassportBuilder.h"

#include "model/Errors.h"
#include "model/Project.h"
#include "platform/AppPaths.h"
#include "platform/Cp1251.h"
#include "platform/FileIO.h"
#include "platform/Process.h"

#include <cstdio>
#include <filesystem>
#include <random>

namespace tralcon {

namespace fs = std::filesystem;

namespace {

// Lines of the template, which may end in CR, LF or CR LF.
std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char ch = bytes[i];
        if (ch == '\r' || ch == '\n') {
            lines.push_back(line);
            line.clear();
            if (ch == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            line += ch;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

bool SameText(const std::string& a, const char* b) {
    const std::string_view bv(b);
    if (a.size() != bv.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(bv[i]))
            return false;
    }
    return true;
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// The work folder goes when the build ends, however it ends.
class TWorkFolder {
  public:
    explicit TWorkFolder(const std::string& tempDir) {
        FPath = JoinPath(tempDir, NewGuidText());
        std::error_code ec;
        if (!fs::create_directory(FPath, ec))
            throw EUserError(Format("Не удалось создать папку %s", FPath) + ": " +
                             (ec ? ec.message() : std::string("она уже есть")));
    }
    ~TWorkFolder() {
        std::error_code ec;
        fs::remove_all(FPath, ec);
    }
    TWorkFolder(const TWorkFolder&) = delete;
    TWorkFolder& operator=(const TWorkFolder&) = delete;
    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return JoinPath(FPath, name); }

  private:
    std::string FPath;
};

void WriteFile(const std::string& path, const std::string& bytes) {
    std::string error;
    if (!WriteFileAtomically(path, bytes, &error))
        throw EUserError(Format("Не удалось записать файл %s", path) + ": " + error);
}

// The compiler's last words, for the message: chmcmd says what it missed.
std::string Tail(const std::string& output) {
    std::string text = output;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    constexpr std::size_t kMax = 600;
    if (text.size() > kMax)
        text = "..." + text.substr(text.size() - kMax);
    return text;
}

} // namespace

std::string PassportTemplateDir(const std::string& programDir) {
    // Beside the program in the build tree, in the data folder once installed.
    return FindProgramData(programDir, kPassportTemplateFolder);
}

std::string NewGuidText() {
    std::random_device rd;
    unsigned char b[16];
    for (unsigned char& x : b)
        x = static_cast<unsigned char>(rd());
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40); // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80); // variant 1
    char text[40];
    std::snprintf(text, sizeof text,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return text;
}

std::string HelpProjectText(const std::string& templateBytes, const std::string& templateDir,
                            const std::string& compiledFile, const std::string& title,
                            const std::vector<std::string>& generatedFiles) {
    const std::vector<std::string> lines = SplitLines(templateBytes);
    std::string out;
    auto put = [&out](const std::string& line) {
        out += line;
        out += "\r\n";
    };
    std::size_t i = 0;
    bool files = false;
    for (; i < lines.size() && !files; ++i) {
        const std::string& line = lines[i];
        if (SameText(line, "Compiled File="))
            put(line + compiledFile);
        else if (SameText(line, "Title="))
            put(line + title);
        else
            put(line);
        files = SameText(line, "[FILES]");
    }
    if (!files)
        throw EUserError("В проекте шаблона паспорта нет раздела [FILES]");
    for (; i < lines.size() && (lines[i].empty() || lines[i][0] != '['); ++i) {
        if (lines[i].empty())
            continue;
        const std::string path = JoinPath(templateDir, lines[i]);
        if (IsRegularFile(path))
            put(path);
    }
    for (const std::string& f : generatedFiles)
        put(f);
    for (; i < lines.size(); ++i)
        put(lines[i]);
    return out;
}

void BuildPassport(const TProject& project, const std::string& outputPath,
                   const TPassportPictures& pictures, const TPassportOptions& options) {
    const std::string& templateDir = options.TemplateDir;
    const std::string templateProject = JoinPath(templateDir, "Temp.Hhp");
    std::string templateBytes, error;
    if (!IsRegularFile(templateProject) ||
        !ReadWholeFile(templateProject, &templateBytes, &error, 1 << 20))
        throw EUserError(Format("Шаблон паспорта %s не найден", templateProject));
    const std::string compiler = JoinPath(templateDir, "hhc");

    std::error_code ec;
    const std::string tempDir =
        options.TempDir.empty() ? fs::temp_directory_path(ec).string() : options.TempDir;
    TWorkFolder work(tempDir.empty() ? std::string("/tmp") : tempDir);

    // The pictures in phase order, the cycles' diagrams, the scheme, then the
    // data.
    std::vector<std::string> generated;
    // One picture per item, named by its place; an empty one is left out.
    auto numbered = [&](const std::function<std::string(int)>& picture, int count,
                        const std::string& prefix, const std::string& suffix) {
        if (!picture)
            return;
        for (int i = 0; i < count; ++i) {
            const std::string bytes = picture(i);
            if (bytes.empty())
                continue;
            const std::string path = work.File(prefix + std::to_string(i) + suffix);
            WriteFile(path, bytes);
            generated.push_back(path);
        }
    };
    numbered(pictures.Phase, project.PhaseCount(), "Phase_", ".gif");
    numbered(pictures.Cycle, project.CycleList().Count(), "Cycle_", ".png");
    if (pictures.Scheme) {
        const std::string gif = pictures.Scheme();
        if (!gif.empty()) {
            WriteFile(work.File("Scheme.gif"), gif);
            generated.push_back(work.File("Scheme.gif"));
        }
    }
    generated.push_back(WriteDataScript(project, work.Path(), options.Now));
    generated.push_back(WriteConflictScript(project, work.Path()));

    // The compiler writes into the work folder, whose name is plain ASCII
    // whatever the output's is; the result reaches outputPath whole.
    const std::string compiled = work.File("passport.chm");
    const std::string hhp = work.File("Temp.Hhp");
    WriteFile(hhp, HelpProjectText(templateBytes, templateDir, compiled,
                                   ToCp1251(project.ProjectName()), generated));

    const TProcessResult run = RunProcess(compiler, {hhp}, templateDir);
    if (!run.Started)
        throw EUserError(Format("Компилятор справки %s не запускается", compiler) + ": " +
                         run.StartError);
    if (run.ExitStatus == 127)
        throw EUserError("Компилятор справки не нашел chmcmd (пакет fp-utils): " +
                         Tail(run.Output));
    std::string chm;
    const bool made = IsRegularFile(compiled) && ReadWholeFile(compiled, &chm, &error, 1u << 30);
    if (run.ExitStatus != 0 || !made || chm.empty()) {
        std::string text = "Компилятор справки завершился с ошибкой";
        if (run.ExitStatus != 0)
            text += " (код " + std::to_string(run.ExitStatus) + ")";
        const std::string said = Tail(run.Output);
        throw EUserError(said.empty() ? text : text + ":\n" + said);
    }
    WriteFile(outputPath, chm);
}

} // namespace tralcon
