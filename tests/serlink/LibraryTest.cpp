// libSerlink.so as the configurator uses it: loaded with dlopen from the
// program's folder by a program without Qt, which the library then starts
// itself. The window runs a scripted operation (SERLINK_AUTORUN) and closes
// by itself at the latest after SERLINK_CLOSE_AFTER_MS, so no call can hang.

#include "SerlinkTestUtil.h"
#include "flash/ProgrammerLibrary.h"
#include "platform/AppPaths.h"
#include "serlink/SerlinkEnv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace tralcon::test {
namespace {

using namespace std::chrono_literals;

// The environment of one call; restored afterwards.
class TScriptedRun {
  public:
    TScriptedRun(const std::string& devices, const char* autoRun, int closeAfterMs,
                 const std::string& more = "") {
        WriteSettings(FSettings, devices, more);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        ::setenv(serlink::kSettingsEnv, FSettings.c_str(), 1);
        if (autoRun != nullptr)
            ::setenv(serlink::kAutoRunEnv, autoRun, 1);
        ::setenv(serlink::kCloseAfterEnv, std::to_string(closeAfterMs).c_str(), 1);
    }
    ~TScriptedRun() {
        ::unsetenv(serlink::kSettingsEnv);
        ::unsetenv(serlink::kAutoRunEnv);
        ::unsetenv(serlink::kCloseAfterEnv);
    }
    std::string Settings() const { return ReadBytes(FSettings); }

  private:
    TempDir FDir;
    std::string FSettings = FDir.File("NVT-3.ini");
};

TEST(SerlinkLibrary, LiesBesideTheProgram) {
    EXPECT_TRUE(SerlinkAvailable());
    EXPECT_EQ(ProgrammerLibraryPath(ProgramDir()), ProgramDir() + "/libSerlink.so");
    TempDir empty;
    EXPECT_FALSE(SerlinkAvailable(empty.Path()));
}

// An installed program lies in <prefix>/bin and its library in the private
// folder <prefix>/<libdir>/tralcon; a copy beside the program wins.
TEST(SerlinkLibrary, InstalledProgramFindsItInItsLibraryFolder) {
    TempDir prefix;
    const std::string bin = prefix.File("bin");
    const std::string libDir = prefix.File(std::string(TRALCON_INSTALL_LIBDIR) + "/tralcon");
    std::filesystem::create_directories(bin);
    EXPECT_EQ(FindProgrammerLibrary(bin), bin + "/libSerlink.so"); // where it was looked for
    EXPECT_FALSE(SerlinkAvailable(bin));
    std::filesystem::create_directories(libDir);
    WriteBytes(libDir + "/libSerlink.so", "");
    EXPECT_EQ(FindProgrammerLibrary(bin), libDir + "/libSerlink.so");
    EXPECT_TRUE(SerlinkAvailable(bin));
    WriteBytes(bin + "/libSerlink.so", "");
    EXPECT_EQ(FindProgrammerLibrary(bin), bin + "/libSerlink.so");
}

TEST(SerlinkLibrary, ProgramControllerProgramsAndReturnsDone) {
    sim::TControllerSim sim(QuickSim());
    sim.Start();
    TScriptedRun run(sim.DevicePath(), "program", 20000);
    const Bytes image = Image(100, 7);
    const auto started = std::chrono::steady_clock::now();
    const std::optional<std::int32_t> result = ProgramController(image);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 15s); // not ended by the bound
    EXPECT_EQ(FlashOf(sim), ExpectedFlash(image));
    EXPECT_EQ(sim.Stats().BlocksWritten, 7);
    EXPECT_NE(run.Settings().find("ComPort=0"), std::string::npos);

    // Again in the same process: the library starts from its initial state.
    const Bytes second = Image(2049, 3);
    EXPECT_EQ(ProgramController(second), 0);
    EXPECT_EQ(FlashOf(sim), ExpectedFlash(second));
}

TEST(SerlinkLibrary, UntouchedWindowReturnsNotDone) {
    TScriptedRun run("", nullptr, 50);
    EXPECT_EQ(ProgramController(Image(100, 1)), 3);
}

TEST(SerlinkLibrary, PortThatDoesNotOpenReturnsFour) {
    TScriptedRun run("", "program", 20000, "ComPort=99\r\n");
    EXPECT_EQ(ProgramController(Image(100, 1)), 4);
}

TEST(SerlinkLibrary, SilentControllerEndsWithoutSuccess) {
    sim::TSimOptions o = QuickSim();
    o.NoHello = true;
    sim::TControllerSim sim(o);
    sim.Start();
    // The window's bound ends the wait for a controller that never answers.
    TScriptedRun run(sim.DevicePath(), "program", 300);
    EXPECT_EQ(ProgramController(Image(100, 1)), 3);
}

TEST(SerlinkLibrary, ImportDataReadsTheFlash) {
    sim::TSimOptions o = QuickSim();
    o.Flash = Image(2048, 41);
    sim::TControllerSim sim(o);
    sim.Start();
    TScriptedRun run(sim.DevicePath(), "read", 20000);
    const TProgrammerLibrary library(ProgrammerLibraryPath(ProgramDir()));
    ASSERT_TRUE(library.Loaded()) << library.Error();
    ASSERT_TRUE(library.HasImportData());
    Bytes buffer(2048, 0);
    EXPECT_EQ(library.ImportData(buffer.data(), 2048), 0);
    EXPECT_EQ(buffer, o.Flash);
    EXPECT_EQ(library.ImportData(buffer.data(), 100), 0);
}

TEST(SerlinkLibrary, NothingHappensWithoutTheLibraryOrItsEntry) {
    TempDir dir;
    EXPECT_EQ(ProgramController(Image(10, 1), dir.Path()), std::nullopt);

    // A library of that name without ExportData.
    std::filesystem::copy_file(NO_ENTRY_LIBRARY, ProgrammerLibraryPath(dir.Path()));
    EXPECT_TRUE(SerlinkAvailable(dir.Path()));
    EXPECT_EQ(ProgramController(Image(10, 1), dir.Path()), std::nullopt);
    const TProgrammerLibrary library(ProgrammerLibraryPath(dir.Path()));
    EXPECT_FALSE(library.Loaded());
    EXPECT_NE(library.Error().find("ExportData"), std::string::npos);

    // A file that is no library.
    TempDir other;
    WriteBytes(ProgrammerLibraryPath(other.Path()), "not a library");
    EXPECT_EQ(ProgramController(Image(10, 1), other.Path()), std::nullopt);
}

} // namespace
} // namespace tralcon::test
