#include "TestUtil.h"
#include "platform/AppPaths.h"
#include "platform/FileAssoc.h"
#include "platform/FileIO.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tralcon {
namespace {

TEST(FileIO, AtomicWriteReplacesWholeAndLeavesNoTemporaryFiles) {
    test::TempDir dir;
    const std::string path = dir.File("a.bin");
    test::WriteBytes(path, "old");
    ::chmod(path.c_str(), 0640);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, std::string("new\0data", 8), &error)) << error;
    EXPECT_EQ(test::ReadBytes(path), std::string("new\0data", 8));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(FileIO, FailedWriteKeepsTheOldFileAndSaysWhy) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir.File("missing/a.bin"), "x", &error));
    EXPECT_FALSE(error.empty());
    // Renaming over a folder fails after the data was written.
    std::filesystem::create_directory(dir.File("d"));
    test::WriteBytes(dir.File("d/keep"), "k");
    EXPECT_FALSE(WriteFileAtomically(dir.File("d"), "x", &error));
    EXPECT_EQ(test::ReadBytes(dir.File("d/keep")), "k");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(FileIO, ReadRefusesFoldersAndOversizedFiles) {
    test::TempDir dir;
    std::string bytes, error;
    EXPECT_FALSE(ReadWholeFile(dir.Path(), &bytes, &error));
    test::WriteBytes(dir.File("big"), std::string(100, 'x'));
    EXPECT_FALSE(ReadWholeFile(dir.File("big"), &bytes, &error, 99));
    EXPECT_TRUE(ReadWholeFile(dir.File("big"), &bytes, &error, 100));
    EXPECT_EQ(bytes.size(), 100u);
}

TEST(FileIO, PathPieces) {
    EXPECT_EQ(DirName("/a/b/c.NVT"), "/a/b");
    EXPECT_EQ(DirName("c.NVT"), ".");
    EXPECT_EQ(DirName("/c"), "/");
    EXPECT_EQ(BaseName("/a/b/c.NVT"), "c.NVT");
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
}

TEST(AppPaths, ProgramDirIsTheTestBinaryFolder) {
    EXPECT_EQ(std::filesystem::canonical(ProgramDir()),
              std::filesystem::canonical(TRALCON_BIN_DIR));
    EXPECT_FALSE(IsOnReadOnlyFileSystem(ProgramDir()));
    EXPECT_TRUE(IsOnReadOnlyFileSystem("/proc/self") || !IsOnReadOnlyFileSystem("/tmp"));
}

TEST(AppPaths, SettingsLiveBesideAWritableProgramElseInTheUserFolder) {
    test::TempDir dir;
    EXPECT_EQ(SettingsFilePath(dir.Path()), dir.File("NVT-3.ini"));
    ::setenv("XDG_CONFIG_HOME", dir.File("cfg").c_str(), 1);
    EXPECT_EQ(SettingsFilePath("/nonexistent-folder"), dir.File("cfg/tralcon/NVT-3.ini"));
    ::unsetenv("XDG_CONFIG_HOME");
}

// A program in <prefix>/bin with <prefix>/share/tralcon is an installed one:
// it reads its files from there and never writes beside itself, even where
// it could (run as root from /usr/bin).
TEST(AppPaths, InstalledProgramReadsItsDataFolderAndKeepsSettingsInTheUserFolder) {
    test::TempDir dir;
    const std::string bin = dir.File("usr/bin");
    const std::string share = dir.File("usr/share/tralcon");
    std::filesystem::create_directories(bin);
    EXPECT_FALSE(IsInstalledProgram(bin));
    EXPECT_EQ(FindProgramData(bin, "NVT-3.chm"), bin + "/NVT-3.chm"); // named in messages
    EXPECT_EQ(SettingsFilePath(bin), bin + "/NVT-3.ini");

    std::filesystem::create_directories(share + "/HtmlHelp.template");
    test::WriteBytes(share + "/NVT-3.chm", "");
    EXPECT_TRUE(IsInstalledProgram(bin));
    EXPECT_EQ(InstalledDataDir(bin), share);
    EXPECT_EQ(FindProgramData(bin, "NVT-3.chm"), share + "/NVT-3.chm");
    EXPECT_EQ(FindProgramData(bin, "HtmlHelp.template"), share + "/HtmlHelp.template");
    EXPECT_EQ(FindProgramData(bin, "NVT-3.cfg"), share + "/NVT-3.cfg"); // where it belongs
    ::setenv("XDG_CONFIG_HOME", dir.File("cfg").c_str(), 1);
    EXPECT_EQ(SettingsFilePath(bin), dir.File("cfg/tralcon/NVT-3.ini"));
    ::unsetenv("XDG_CONFIG_HOME");
    // A file beside the program wins over the installed one.
    test::WriteBytes(bin + "/NVT-3.chm", "");
    EXPECT_EQ(FindProgramData(bin, "NVT-3.chm"), bin + "/NVT-3.chm");
}

TEST(FileAssoc, WritesMimePackageAndDesktopEntry) {
    test::TempDir dir;
    ASSERT_TRUE(RegisterFileType("/opt/my \"apps\"/tralcon", dir.Path()));
    std::string mime = test::ReadBytes(dir.File("mime/packages/tralcon-nvt.xml"));
    EXPECT_NE(mime.find("*.NVT"), std::string::npos);
    EXPECT_NE(mime.find("*.nvt"), std::string::npos);
    std::string desktop = test::ReadBytes(dir.File("applications/tralcon.desktop"));
    EXPECT_NE(desktop.find("Exec=\"/opt/my \\\"apps\\\"/tralcon\" %f"), std::string::npos);
    EXPECT_NE(desktop.find("MimeType=application/x-tralcon-nvt;"), std::string::npos);
    // A second start changes nothing and still succeeds.
    EXPECT_TRUE(RegisterFileType("/opt/my \"apps\"/tralcon", dir.Path()));
}

// The package installs the same file type the program registers for a user,
// so a project opens alike from either.
TEST(FileAssoc, MimePackageIsTheInstalledOne) {
    test::TempDir dir;
    ASSERT_TRUE(RegisterFileType("/usr/bin/tralcon", dir.Path()));
    EXPECT_EQ(test::ReadBytes(dir.File("mime/packages/tralcon-nvt.xml")),
              test::ReadBytes(TRALCON_SOURCE_DIR "/data/desktop/tralcon-nvt.xml"));
    const std::string installed =
        test::ReadBytes(TRALCON_SOURCE_DIR "/data/desktop/tralcon.desktop");
    EXPECT_NE(installed.find("MimeType=application/x-tralcon-nvt;"), std::string::npos);
}

TEST(FileAssoc, UnwritableDataFolderIsIgnored) {
    EXPECT_FALSE(RegisterFileType("/usr/bin/tralcon", "/proc/no-such-folder"));
}

} // namespace
} // namespace tralcon
