#include "cli/Cli.h"

#include "cli/CliArgs.h"
#include "cli/ProjectInfo.h"
#include "cli/SampleProject.h"
#include "diagram/TimingDiagram.h"
#include "flash/Flash.h"
#include "flash/ImageCompare.h"
#include "flash/ImageFiles.h"
#include "flash/ImageReader.h"
#include "flash/SignalCheck.h"
#include "model/Errors.h"
#include "passport/DataScript.h"
#include "passport/PassportBuilder.h"
#include "persistence/Config.h"
#include "persistence/ProjExp.h"
#include "platform/AppPaths.h"
#include "platform/FileIO.h"
#include "programmer/ProgSession.h"
#include "schemeview/SchemeImages.h"
#include "schemeview/SchemeRender.h"
#include "sumo/SumoExport.h"
#include "viewer/ChmViewer.h"

#include <array>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

namespace tralcon::cli {

namespace {

struct Context {
    const CliArgs& Args;
    std::ostream& Out;
    std::ostream& Err;
    std::unique_ptr<TConfiguration> Config;

    // The catalogue, read on first use: commands that do not need it work
    // without one.
    const TConfiguration& Catalogue() {
        if (!Config) {
            std::string path =
                Args.Value("--config").value_or(DefaultConfigurationPath(ProgramDir()));
            Config = LoadConfiguration(path);
        }
        return *Config;
    }
};

// Thrown for a command line that does not make sense; exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Hex8(std::uint32_t v) {
    std::ostringstream s;
    s << std::hex << std::setw(8) << std::setfill('0') << v;
    return s.str();
}

// Pads to a width in characters, not bytes: output names are Cyrillic.
std::string PadRight(const std::string& utf8, std::size_t width) {
    std::size_t chars = 0;
    for (unsigned char ch : utf8)
        chars += (ch & 0xC0) != 0x80;
    return chars >= width ? utf8 : utf8 + std::string(width - chars, ' ');
}

int CmdModels(Context& c) {
    if (!c.Args.Positional().empty())
        throw UsageError("models takes no arguments");
    const TConfiguration& cfg = c.Catalogue();
    for (int i = 0; i < cfg.ModelList.Count(); ++i) {
        const TModel* m = cfg.ModelList[i];
        c.Out << "#" << i << "  ID " << m->ID << "  ControllerID " << int(m->ControllerID)
              << "  PowerMask " << Hex8(m->PowerMask) << "  " << m->Caption << "\n";
        for (const TModelOutput* o : m->Outputs) {
            c.Out << "    " << PadRight(ModelOutputName(o), 5) << " mask " << Hex8(o->Mask)
                  << ((o->Flags & ofPowered) ? "  powered" : "") << "\n";
        }
    }
    auto onOff = [](bool b) { return b ? "on" : "off"; };
    c.Out << "MultiCascade " << onOff(cfg.MultiCascade) << "\n"
          << "UseYearPlan " << onOff(cfg.UseYearPlan) << "\n"
          << "UseCollisions " << onOff(cfg.UseCollisions) << "\n"
          << "YBTime " << int(cfg.YBTime) << "\n"
          << "AllRedTime " << int(cfg.AllRedTime) << "\n";
    return 0;
}

std::string OnePositional(const Context& c, const char* what) {
    if (c.Args.Positional().size() != 1)
        throw UsageError(c.Args.Command() + " needs " + what);
    return c.Args.Positional()[0];
}

int CmdDump(Context& c) {
    const std::string path = OnePositional(c, "one image file");
    std::string bytes, error;
    if (!ReadWholeFile(path, &bytes, &error, 1 << 20))
        throw EUserError(Format("Не удалось прочитать файл %s", path) + ": " + error);
    TImageDescription image;
    if (!ReadFlashImage(TBytes(bytes.begin(), bytes.end()), &image, &error)) {
        c.Err << path << ": " << error << "\n";
        return 1;
    }
    c.Out << DescribeFlashImage(image);
    return 0;
}

// The programmer's status texts go to the output as they change, one a line
// (it sets the same text again for every block).
TSessionOptions ProgrammerOptions(const Context& c, bool takesFile = false) {
    if (!takesFile && !c.Args.Positional().empty())
        throw UsageError(c.Args.Command() + " takes no arguments");
    TSessionOptions o;
    o.Port = c.Args.Value("--port").value_or("");
    if (o.Port.empty())
        throw UsageError(c.Args.Command() + " needs --port DEVICE");
    o.OnStatus = [&out = c.Out, last = std::string()](const std::string& text) mutable {
        if (text != last)
            out << text << std::endl;
        last = text;
    };
    return o;
}

// The status lines already said what went wrong; a port that did not open
// also says why.
int ExchangeFailed(const Context& c, const TSessionResult& r) {
    if (!r.OpenError.empty())
        c.Err << c.Args.Value("--port").value_or("") << ": " << r.OpenError << "\n";
    return 1;
}

int CmdRead(Context& c) {
    TSessionOptions options = ProgrammerOptions(c);
    const std::string path = c.Args.Value("-o").value_or(c.Args.Value("--output").value_or(""));
    if (path.empty())
        throw UsageError("read needs -o OUT.bin");
    std::array<std::uint8_t, MaxImageSize> flash{};
    const TSessionResult r = ReadController(options, flash);
    if (!r.Succeeded)
        return ExchangeFailed(c, r);
    std::string error;
    const std::string_view bytes(reinterpret_cast<const char*>(flash.data()), flash.size());
    if (!WriteFileAtomically(path, bytes, &error)) {
        c.Err << Format("Не удалось записать файл %s", path) << ": " << error << "\n";
        return 1;
    }
    return 0;
}

int CmdClock(Context& c) {
    const TSessionResult r = ControllerClock(ProgrammerOptions(c), c.Args.Flag("--set"));
    return r.Succeeded ? 0 : ExchangeFailed(c, r);
}

std::string OutputPath(const Context& c) {
    std::string path = c.Args.Value("-o").value_or(c.Args.Value("--output").value_or(""));
    if (path.empty())
        throw UsageError(c.Args.Command() + " needs -o FILE");
    return path;
}

int ParseIndex(const std::string& text, const char* what) {
    std::size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < 0)
        throw UsageError(std::string(what) + " must be a number from 0: " + text);
    return value;
}

int CmdNew(Context& c) {
    if (!c.Args.Positional().empty())
        throw UsageError("new takes no arguments");
    const std::string path = OutputPath(c);
    const TConfiguration& cfg = c.Catalogue();
    const int m = ParseIndex(c.Args.Value("--model").value_or("0"), "--model");
    if (m >= cfg.ModelList.Count())
        throw UsageError("the catalogue has no model #" + std::to_string(m));
    TProject project(cfg);
    project.NewProject(cfg.ModelList[m]);
    TSchemeDocument scheme;
    SaveProject(path, project, scheme);
    return 0;
}

TLoadedProject LoadPositional(Context& c) {
    const std::string path = OnePositional(c, "one project file");
    return LoadProject(path, c.Catalogue());
}

int CmdInfo(Context& c) {
    TLoadedProject loaded = LoadPositional(c);
    c.Out << cli::DescribeProject(*loaded.Project, *loaded.Scheme);
    return 0;
}

int CmdResave(Context& c) {
    const std::string out = OutputPath(c);
    TLoadedProject loaded = LoadPositional(c);
    SaveProject(out, *loaded.Project, *loaded.Scheme);
    return 0;
}

int CmdImage(Context& c) {
    const std::string out = OutputPath(c);
    TLoadedProject loaded = LoadPositional(c);
    const int k = ParseIndex(c.Args.Value("--controller").value_or("0"), "--controller");
    if (k >= loaded.Project->ControllerList().Count())
        throw UsageError("the project has " +
                         std::to_string(loaded.Project->ControllerList().Count()) +
                         " controller(s), counted from 0");
    const TBytes image = BuildFlashImage(*loaded.Project, k, loaded.Project->ProjectOptions());
    std::string error;
    if (!WriteFileAtomically(
            out, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()),
            &error))
        throw EUserError(Format("Не удалось записать файл %s", out) + ": " + error);
    c.Out << out << ": " << image.size() << " bytes\n";
    return 0;
}

// Programs controller K's image into the controller on the serial device,
// as the export menu does through the programmer window.
int CmdProgram(Context& c) {
    TSessionOptions options = ProgrammerOptions(c, true);
    TLoadedProject loaded = LoadPositional(c);
    const int k = ParseIndex(c.Args.Value("--controller").value_or("0"), "--controller");
    if (k >= loaded.Project->ControllerList().Count())
        throw UsageError("the project has " +
                         std::to_string(loaded.Project->ControllerList().Count()) +
                         " controller(s), counted from 0");
    const TBytes image = BuildFlashImage(*loaded.Project, k, loaded.Project->ProjectOptions());
    // The programmer takes the first 2048 bytes, and says so, as its window does.
    if (image.size() > MaxImageSize)
        options.OnStatus("Размер данных слишком велик!");
    const TSessionResult r = ProgramController(options, image.data(), image.size());
    return r.Succeeded ? 0 : ExchangeFailed(c, r);
}

int CmdExport(Context& c) {
    const std::string out = OutputPath(c);
    TLoadedProject loaded = LoadPositional(c);
    int status = 0;
    for (const TImageFileReport& r : SaveImageFiles(out, BuildFlashImages(*loaded.Project))) {
        if (r.Written) {
            c.Out << r.Path << "\n";
        } else {
            c.Err << r.Path << ": " << r.Message << "\n";
            status = 1;
        }
    }
    return status;
}

// Reads a project and compiles and reads back every controller's image.
// Compiles and reads back every controller's image, then checks the signal
// program those images carry: 1 on any error (with --strict, any warning).
int CmdCheck(Context& c) {
    TLoadedProject loaded = LoadPositional(c);
    const TProject& project = *loaded.Project;
    int status = 0;
    std::vector<TBytes> images;
    for (int k = 0; k < project.ControllerList().Count(); ++k) {
        const TBytes image = BuildFlashImage(project, k, project.ProjectOptions());
        TImageDescription d;
        std::string error;
        if (!ReadFlashImage(image, &d, &error)) {
            c.Err << "controller " << k << ": " << error << "\n";
            status = 1;
        } else if (image.size() > kMaxFileImageSize) {
            c.Err << "controller " << k << ": " << image.size()
                  << " bytes: Размер данных слишком велик!\n";
            status = 1;
        } else {
            c.Out << "controller " << k << ": image " << image.size() << " bytes, OK\n";
        }
        images.push_back(image);
    }
    const bool strict = c.Args.Flag("--strict");
    for (const TFinding& f : CheckSignalProgram(project, images, c.Catalogue().Check)) {
        c.Out << FindingLevelName(f.Level) << ": " << f.Text << "\n";
        if (f.Level == TFindingLevel::Error || (strict && f.Level == TFindingLevel::Warning))
            status = 1;
    }
    return status;
}

// The timing diagram of cycle N (from 0) as SVG or PNG.
int CmdDiagram(Context& c) {
    TLoadedProject loaded = LoadPositional(c);
    const int cycle = ParseIndex(c.Args.Value("--cycle").value_or("0"), "--cycle");
    if (cycle >= loaded.Project->CycleList().Count())
        throw UsageError("the project has " + std::to_string(loaded.Project->CycleList().Count()) +
                         " cycle(s), counted from 0");
    const std::string path = OutputPath(c);
    EnsureGuiApplication();
    std::string error;
    if (!SaveTimingDiagram(*loaded.Project, cycle, path, &error)) {
        c.Err << error << "\n";
        return 1;
    }
    return 0;
}

// The scheme's picture, or with --phase N that of phase N (from 0), as the
// passport shows them: a GIF of 200 x 200 pixels.
int CmdScheme(Context& c) {
    TLoadedProject loaded = LoadPositional(c);
    std::optional<int> phase;
    if (const auto value = c.Args.Value("--phase")) {
        phase = ParseIndex(*value, "--phase");
        if (*phase >= loaded.Project->PhaseCount())
            throw UsageError("the project has " + std::to_string(loaded.Project->PhaseCount()) +
                             " phase(s), counted from 0");
    }
    const std::string path = OutputPath(c);
    EnsureGuiApplication();
    std::string bytes = phase ? WritePhaseImage(*loaded.Scheme, *loaded.Project, *phase)
                              : WriteSchemeImage(*loaded.Scheme, *loaded.Project);
    // The same picture as PNG, for viewers without GIF.
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0)
        bytes = GifToPng(bytes);
    std::string error;
    if (!WriteFileAtomically(path, bytes, &error)) {
        c.Err << Format("Не удалось записать файл %s", path) << ": " << error << "\n";
        return 1;
    }
    return 0;
}

// The program as SUMO's traffic-light programs with a network to run it on.
int CmdSumo(Context& c) {
    TLoadedProject loaded = LoadPositional(c);
    ExportSumo(*loaded.Project, OutputPath(c));
    return 0;
}

// Compares controller K's flash, read now through --port or earlier into
// --image, with the image the project compiles to. Exit 0 the same, 1
// different, 2 when either side cannot be had.
int CmdCompare(Context& c) {
    const std::optional<std::string> port = c.Args.Value("--port");
    const std::optional<std::string> imagePath = c.Args.Value("--image");
    if (port.has_value() == imagePath.has_value())
        throw UsageError("compare needs either --port DEVICE or --image READ.bin");
    const std::string projectPath = OnePositional(c, "one project file");
    const int k = ParseIndex(c.Args.Value("--controller").value_or("0"), "--controller");
    TBytes flash, image;
    std::string source;
    try {
        TLoadedProject loaded = LoadProject(projectPath, c.Catalogue());
        if (k >= loaded.Project->ControllerList().Count())
            throw UsageError("the project has " +
                             std::to_string(loaded.Project->ControllerList().Count()) +
                             " controller(s), counted from 0");
        image = BuildFlashImage(*loaded.Project, k, loaded.Project->ProjectOptions());
        if (imagePath) {
            source = *imagePath;
            std::string bytes, error;
            if (!ReadWholeFile(*imagePath, &bytes, &error, 1 << 20)) {
                c.Err << Format("Не удалось прочитать файл %s", *imagePath) << ": " << error
                      << "\n";
                return 2;
            }
            flash.assign(bytes.begin(), bytes.end());
        } else {
            source = *port;
            TSessionOptions options;
            options.Port = *port;
            std::array<std::uint8_t, MaxImageSize> read{};
            const TSessionResult r = ReadController(options, read);
            if (!r.Succeeded) {
                c.Err << *port << ": " << (r.OpenError.empty() ? r.Status : r.OpenError) << "\n";
                return 2;
            }
            flash.assign(read.begin(), read.end());
        }
    } catch (const UsageError&) {
        throw;
    } catch (const std::exception& e) {
        c.Err << e.what() << "\n";
        return 2;
    }
    const TComparison result = CompareWithProject(flash, image);
    switch (result.Outcome) {
    case TCompareOutcome::Unusable:
        c.Err << source << ": " << result.Error << "\n";
        return 2;
    case TCompareOutcome::Equal:
        c.Out << ComparisonReport(result) << "\n";
        return 0;
    case TCompareOutcome::Different:
        c.Out << ComparisonReport(result) << "\n";
        return 1;
    }
    return 2;
}

// The passport's data script of a project, as the passport carries it.
int CmdDataScript(Context& c) {
    const std::string out = OutputPath(c);
    TLoadedProject loaded = LoadPositional(c);
    const std::string text = DataScriptText(*loaded.Project, TLocalDateTime::Now());
    std::string error;
    if (!WriteFileAtomically(out, text, &error))
        throw EUserError(Format("Не удалось записать файл %s", out) + ": " + error);
    return 0;
}

// The passport, compiled from the template folder beside the program, and
// (--pdf) its pages printed without a window.
int CmdPassport(Context& c) {
    const std::optional<std::string> chmPath = c.Args.Value("-o");
    const std::optional<std::string> pdfPath = c.Args.Value("--pdf");
    if (!chmPath && !pdfPath)
        throw UsageError("passport needs -o OUT.chm or --pdf OUT.pdf");
    TLoadedProject loaded = LoadPositional(c);
    TPassportOptions options;
    options.TemplateDir = PassportTemplateDir(ProgramDir());
    // For the PDF alone the help file is made in a folder of its own,
    // removed again.
    std::string tempDir;
    if (!chmPath) {
        std::string tmpl =
            JoinPath(std::filesystem::temp_directory_path().string(), "tralcon-passport-XXXXXX");
        if (::mkdtemp(tmpl.data()) == nullptr)
            throw EUserError("Не удалось создать временную папку " + tmpl);
        tempDir = tmpl;
    }
    struct TRemove {
        std::string Dir;
        ~TRemove() {
            std::error_code ec;
            if (!Dir.empty())
                std::filesystem::remove_all(Dir, ec);
        }
    } remove{tempDir};
    const std::string chm = chmPath ? *chmPath : JoinPath(tempDir, "passport.chm");
    // The scheme's pictures are drawn as the scheme window draws them.
    EnsureGuiApplication();
    TPassportPictures pictures;
    pictures.Scheme = [&loaded] { return WriteSchemeImage(*loaded.Scheme, *loaded.Project); };
    pictures.Phase = [&loaded](int i) {
        return WritePhaseImage(*loaded.Scheme, *loaded.Project, i);
    };
    pictures.Cycle = [&loaded](int i) { return TimingDiagramPng(*loaded.Project, i); };
    BuildPassport(*loaded.Project, chm, pictures, options);
    if (chmPath)
        c.Out << chm << "\n";
    if (pdfPath) {
        std::string error;
        if (!PrintChmToPdf(chm, "index.htm", *pdfPath, &error)) {
            c.Err << error << "\n";
            return 1;
        }
        c.Out << *pdfPath << "\n";
    }
    return 0;
}

int CmdSample(Context& c) {
    if (!c.Args.Positional().empty())
        throw UsageError("sample takes no arguments");
    const std::string path = OutputPath(c);
    TProject project(c.Catalogue());
    TSchemeDocument scheme;
    BuildSampleProject(project, scheme);
    SaveProject(path, project, scheme);
    return 0;
}

struct Command {
    const char* Name;
    const char* Usage;
    const char* Summary;
    std::function<int(Context&)> Run;
};

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"models", "models", "print the controller catalogue and the switches", CmdModels},
        {"new", "new --model M -o FILE.NVT", "write a new project with a controller of model #M",
         CmdNew},
        {"sample", "sample -o FILE.NVT", "write the sample crossroad", CmdSample},
        {"diagram", "diagram FILE.NVT --cycle N -o OUT.svg|OUT.png",
         "draw the timing diagram of cycle N (from 0)", CmdDiagram},
        {"scheme", "scheme FILE.NVT [--phase N] -o OUT.gif|OUT.png",
         "the scheme's picture, or that of phase N (from 0)", CmdScheme},
        {"sumo", "sumo FILE.NVT -o NAME",
         "write NAME.add.xml (the programs) and NAME.net.xml (a network, through netconvert)",
         CmdSumo},
        {"info", "info FILE.NVT", "describe a project", CmdInfo},
        {"datascript", "datascript FILE.NVT -o General.js",
         "the passport's data script of a project (code page 1251)", CmdDataScript},
        {"passport", "passport FILE.NVT -o OUT.chm",
         "the passport of the traffic-light object (compiled help file)", CmdPassport},
        {"", "passport FILE.NVT --pdf OUT.pdf", "its pages printed to PDF (also with -o)", nullptr},
        {"resave", "resave FILE.NVT -o OUT.NVT", "read a project and write it again", CmdResave},
        {"check", "check FILE.NVT [--strict]",
         "read a project, check every controller's image and the signal program it carries "
         "(exit 1 on an error; --strict: on a warning too)",
         CmdCheck},
        {"image", "image FILE.NVT --controller K -o OUT.bin",
         "the flash image of controller K (from 0)", CmdImage},
        {"export", "export FILE.NVT -o NAME.k0", "the image files NAME.k0, NAME.k1, ...",
         CmdExport},
        {"dump", "dump IMAGE", "check a flash image (or .k0 file) and describe it", CmdDump},
        {"program", "program FILE.NVT --controller K --port DEV",
         "program controller K's image (from 0) into a controller", CmdProgram},
        {"read", "read --port DEV -o OUT.bin", "read a controller's flash into a file", CmdRead},
        {"clock", "clock --port DEV [--set]", "read a controller's clock, or set it from the PC's",
         CmdClock},
        {"compare", "compare FILE.NVT --controller K --port DEV",
         "compare a controller's flash with controller K's image", CmdCompare},
        {"", "compare FILE.NVT --controller K --image READ.bin",
         "the same for a flash read earlier (exit 1: they differ)", nullptr},
    };
    return commands;
}

void PrintHelp(std::ostream& out) {
    out << "Usage: tralcon-cli [--config FILE] COMMAND [ARGS]\n\n"
           "Options:\n"
           "  --config FILE   read the controller catalogue from FILE instead of NVT-3.cfg\n"
           "                  beside the program\n"
           "  --help          show this text\n\n"
           "Commands:\n";
    for (const Command& cmd : Commands())
        out << "  " << std::left << std::setw(43) << cmd.Usage << " " << cmd.Summary << "\n";
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        CliArgs parsed(args,
                       {"--config", "-o", "--output", "--controller", "--model", "--port",
                        "--cycle", "--image", "--phase", "--pdf"},
                       {"--help", "-h", "--set", "--strict"});
        if (parsed.Flag("--help") || parsed.Flag("-h") || parsed.Command() == "help") {
            PrintHelp(out);
            return 0;
        }
        if (parsed.Command().empty()) {
            PrintHelp(err);
            return 2;
        }
        for (const Command& cmd : Commands()) {
            if (!cmd.Run || parsed.Command() != cmd.Name)
                continue;
            Context ctx{parsed, out, err, nullptr};
            try {
                return cmd.Run(ctx);
            } catch (const EUserError& e) {
                // The catalogue is read lazily; its failure is a set-up
                // problem, not a failure of the command.
                if (!ctx.Config) {
                    err << e.what() << "\n";
                    return 2;
                }
                throw;
            }
        }
        err << "tralcon-cli: unknown command " << parsed.Command() << " (see --help)\n";
        return 2;
    } catch (const std::invalid_argument& e) {
        err << "tralcon-cli: " << e.what() << " (see --help)\n";
        return 2;
    } catch (const UsageError& e) {
        err << "tralcon-cli: " << e.what() << " (see --help)\n";
        return 2;
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
}

} // namespace tralcon::cli
