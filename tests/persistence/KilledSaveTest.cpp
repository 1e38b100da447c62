// A save killed at any moment leaves the old file or the new one, whole.

#include "RandomProject.h"
#include "TestUtil.h"
#include "persistence/ProjExp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tralcon {
namespace {

// The largest of 100 random projects from seed on (a picture and scheme
// objects among it), so a save takes several writes' time.
std::vector<std::uint8_t> LargeProject(const TConfiguration& config, unsigned seed,
                                       std::unique_ptr<TProject>& project,
                                       std::unique_ptr<TSchemeDocument>& scheme) {
    unsigned best = seed;
    std::size_t bestSize = 0;
    for (unsigned s = seed; s < seed + 100; ++s) {
        TProject p(config);
        TSchemeDocument d;
        test::RandomProjectBuilder(p, d, s).Build();
        const std::size_t size = SaveProjectToBytes(p, d).size();
        if (size > bestSize) {
            best = s;
            bestSize = size;
        }
    }
    project = std::make_unique<TProject>(config);
    scheme = std::make_unique<TSchemeDocument>();
    test::RandomProjectBuilder(*project, *scheme, best).Build();
    return SaveProjectToBytes(*project, *scheme);
}

TEST(KilledSave, LeavesTheOldOrTheNewFileNeverAMix) {
    auto config = test::CatalogueFromText(test::kRandomCatalogue);
    std::unique_ptr<TProject> oldProject, newProject;
    std::unique_ptr<TSchemeDocument> oldScheme, newScheme;
    const auto oldBytes = LargeProject(*config, 1, oldProject, oldScheme);
    const auto newBytes = LargeProject(*config, 500, newProject, newScheme);
    ASSERT_NE(oldBytes, newBytes);
    RecordProperty("file_bytes",
                   std::to_string(oldBytes.size()) + "/" + std::to_string(newBytes.size()));
    const std::string asText[2] = {std::string(oldBytes.begin(), oldBytes.end()),
                                   std::string(newBytes.begin(), newBytes.end())};

    test::TempDir dir;
    const std::string path = dir.File("Cross.NVT");
    SaveProject(path, *oldProject, *oldScheme);
    std::mt19937 random(2024); // the kill moments; the scheduler adds its own
    std::uniform_int_distribution<int> delay(0, 3000);
    int sawOld = 0, sawNew = 0;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves the two projects in turn until killed.
            for (int i = 0;; ++i) {
                try {
                    if (i % 2 == 0)
                        SaveProject(path, *newProject, *newScheme);
                    else
                        SaveProject(path, *oldProject, *oldScheme);
                } catch (...) {
                    _exit(1);
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended by itself";
        const std::string bytes = test::ReadBytes(path);
        const bool isOld = bytes == asText[0], isNew = bytes == asText[1];
        ASSERT_TRUE(isOld || isNew) << bytes.size() << " bytes";
        sawOld += isOld;
        sawNew += isNew;
        TLoadedProject loaded = LoadProject(path, *config);
        ASSERT_EQ(SaveProjectToBytes(*loaded.Project, *loaded.Scheme), isOld ? oldBytes : newBytes);
    }
    // Both outcomes occur, or the kills did not land inside saves at all.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);

    // A kill between creating the temporary file and renaming it leaves that
    // file behind under a hidden name of its own; the next save takes a new
    // unique name and is not disturbed by it, and only the target is read.
    int leftovers = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        if (entry.path().filename() != "Cross.NVT") {
            EXPECT_EQ(entry.path().filename().string().rfind(".Cross.NVT.", 0), 0u) << entry.path();
            ++leftovers;
        }
    RecordProperty("leftover_temporary_files", leftovers);
    SaveProject(path, *newProject, *newScheme);
    EXPECT_EQ(test::ReadBytes(path), asText[1]);
}

} // namespace
} // namespace tralcon
