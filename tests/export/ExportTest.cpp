// The timing diagram of the sample's cycle "Обычный" read pixel by pixel at
// chosen seconds, and the program exported to SUMO: the additional file
// valid by SUMO's schema, the simulation running it, and the states SUMO
// reports at those seconds equal to what the diagram shows.

#include "TestUtil.h"
#include "diagram/TimingDiagram.h"
#include "model/Errors.h"
#include "model/Project.h"
#include "persistence/ProjExp.h"
#include "sumo/SumoExport.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>

namespace tralcon::test {
namespace {

struct Sample : ::testing::Test {
    std::unique_ptr<TConfiguration> Config =
        LoadConfiguration(std::string(TRALCON_SOURCE_DIR) + "/data/NVT-3.cfg");
    TLoadedProject Loaded =
        LoadProject(std::string(TRALCON_SOURCE_DIR) + "/data/examples/Sample.NVT", *Config);
    TProject& P() { return *Loaded.Project; }
    TempDir Dir;
};

// What the diagram shows at a point: the colour class of the bar.
char ClassOf(const QColor& c) {
    if (c.green() > 140 && c.red() < 80)
        return 'G';
    if (c.red() > 200 && c.green() > 160 && c.blue() < 60)
        return 'y';
    if (c.red() > 180 && c.green() < 80)
        return 'r';
    if (c.red() > 200 && c.green() > 200 && c.blue() > 200)
        return 'w';
    return '?';
}

struct Seen {
    int Row;
    double Second;
    char Class; // G, y, r; 'u' red above yellow; 'h' green hatched
};

// From the sample's own description (tralcon-cli info): in "Обычный" Ф1
// runs 0–25 s (1Т, 5Пм), its transition 25–31 s, Ф2 31–51 s (2Т, 4П, 6Тв),
// Ф3 57–65 s (3С, 6Tл). 1Т blinks green from 6 s before the end of its
// transition and is yellow the last 3 s; 2Т shows red with yellow the last
// 2 s before its green.
const Seen kSeen[] = {
    {0, 10, 'G'},   {1, 10, 'r'},   {4, 10, 'G'}, {3, 10, 'r'}, {0, 26.5, 'h'},
    {0, 29.5, 'y'}, {1, 30.5, 'u'}, {1, 40, 'G'}, {0, 40, 'r'}, {3, 40, 'G'},
    {6, 40, 'G'},   {2, 60, 'G'},   {5, 60, 'G'}, {0, 60, 'r'},
};

char DiagramAt(const QImage& img, const TTimingDiagram& d, int row, double second) {
    const QPoint mid = d.PointAt(row, second);
    // Three points down the bar tell red with yellow and hatching apart.
    std::array<char, 3> seen{};
    for (int k = 0; k < 3; ++k)
        seen[static_cast<std::size_t>(k)] = ClassOf(img.pixelColor(mid + QPoint(0, (k - 1) * 4)));
    if (seen[0] == 'r' && seen[2] == 'y')
        return 'u';
    // Hatching: white stripes across the green.
    int white = 0, green = 0;
    for (int dx = -4; dx <= 4; ++dx)
        for (int dy = -3; dy <= 3; ++dy) {
            const char c = ClassOf(img.pixelColor(mid + QPoint(dx, dy)));
            white += c == 'w';
            green += c == 'G';
        }
    if (white > 5 && green > 5)
        return 'h';
    return seen[1];
}

TEST_F(Sample, DiagramShowsTheCycleToScale) {
    const TTimingDiagram d(P(), 0);
    EXPECT_EQ(d.Timeline().WorkingLength(), 68);
    // The call sequence as the phase table shows it: 12*…13* (3 s), Ф4
    // (15 s), 15*…16* (4 s).
    EXPECT_EQ(d.Timeline().CallLength(), 3 + 15 + 4);
    QImage img(d.Size(), QImage::Format_RGB32);
    {
        QPainter p(&img);
        d.Paint(p);
    }
    for (const Seen& s : kSeen)
        EXPECT_EQ(DiagramAt(img, d, s.Row, s.Second), s.Class)
            << P().TrendName(s.Row) << " at " << s.Second << " s";
    // Twice the scale: the same second lies twice as far from the start.
    TDiagramLayout wide;
    wide.PixelsPerSecond = 16;
    const TTimingDiagram z(P(), 0, wide);
    EXPECT_EQ(z.PointAt(0, 40).x() - z.PointAt(0, 0).x(),
              2 * (d.PointAt(0, 40).x() - d.PointAt(0, 0).x()));
}

TEST_F(Sample, DiagramFilesAndTheirErrors) {
    std::string error;
    ASSERT_TRUE(SaveTimingDiagram(P(), 0, Dir.File("d.svg"), &error)) << error;
    const std::string svg = ReadBytes(Dir.File("d.svg"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("Обычный"), std::string::npos);
    ASSERT_TRUE(SaveTimingDiagram(P(), 1, Dir.File("d.png"), &error)) << error;
    QImage png(QString::fromStdString(Dir.File("d.png")));
    EXPECT_EQ(png.size(), TTimingDiagram(P(), 1).Size());
    EXPECT_FALSE(SaveTimingDiagram(P(), 0, Dir.File("d.gif"), &error));
    EXPECT_FALSE(std::filesystem::exists(Dir.File("d.gif")));
    EXPECT_FALSE(SaveTimingDiagram(P(), 0, "/nonexistent/dir/d.svg", &error));
    EXPECT_NE(error.find("Не удалось записать"), std::string::npos);
}

int Shell(const std::string& command, std::string* output) {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buf[4096];
    output->clear();
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
        output->append(buf, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char* kSumo = "SUMO_HOME=/usr/share/sumo sumo --no-step-log --duration-log.disable ";

TEST_F(Sample, SumoRunsTheExportedProgram) {
    const std::string name = Dir.File("cross");
    ExportSumo(P(), name);
    std::string out;
    ASSERT_EQ(Shell("xmllint --noout --schema /usr/share/sumo/data/xsd/additional_file.xsd " +
                        name + ".add.xml",
                    &out),
              0)
        << out;
    ASSERT_EQ(
        Shell(std::string(kSumo) + "-n " + name + ".net.xml -a " + name + ".add.xml --end 600",
              &out),
        0)
        << out;
    EXPECT_EQ(out.find("Error"), std::string::npos) << out;
    // SUMO expects a yellow before every red. The arrow and the tram
    // movements have none on the street; 6Тп is released in no phase (the
    // check warns of it too), and the call panel's signal only in the call
    // phase, which no static program holds: those warnings, and no other.
    const std::vector<int> links = SumoLinksOfRows(ReadBytes(name + ".net.xml"), P().TrendCount());
    ASSERT_EQ(links.size(), static_cast<std::size_t>(P().TrendCount()));
    auto rowOfLink = [&](int link) {
        for (std::size_t r = 0; r < links.size(); ++r)
            if (links[r] == link)
                return P().TrendName(static_cast<int>(r));
        return std::string("?");
    };
    // The link a warning names: the number after "tl-index ".
    auto linkOf = [](const std::string& line) {
        const std::size_t at = line.find("tl-index ");
        return at == std::string::npos ? -1 : std::atoi(line.c_str() + at + 9);
    };
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("Warning") == std::string::npos)
            continue;
        const std::string row = rowOfLink(linkOf(line));
        if (line.find("Missing yellow phase") != std::string::npos)
            EXPECT_TRUE(row == "3С" || row == "6Tл" || row == "6Тв" || row == "6Тп") << line;
        else if (line.find("Missing green phase") != std::string::npos)
            EXPECT_TRUE(row == "6Тп" || row == "7ТВП") << line;
        else
            ADD_FAILURE() << line;
    }
}

TEST_F(Sample, SumoStatesEqualTheDiagram) {
    const std::string name = Dir.File("cross");
    ExportSumo(P(), name);
    // The cycle "Обычный" alone, its states saved every second.
    TSumoOptions only;
    only.OnlyCycle = 0;
    only.LinkOfRow = SumoLinksOfRows(ReadBytes(name + ".net.xml"), P().TrendCount());
    only.Extra = "    <timedEvent type=\"SaveTLSStates\" source=\"J\" dest=\"" +
                 Dir.File("tls.xml") + "\"/>\n";
    WriteBytes(Dir.File("only.add.xml"), SumoAdditional(P(), only));
    std::string out;
    ASSERT_EQ(Shell(std::string(kSumo) + "-n " + name + ".net.xml -a " + Dir.File("only.add.xml") +
                        " --end 140",
                    &out),
              0)
        << out;
    const std::string tls = ReadBytes(Dir.File("tls.xml"));
    auto stateAt = [&](int second) {
        const std::string key = "time=\"" + std::to_string(second) + ".00\"";
        const std::size_t at = tls.find(key);
        const std::size_t s = tls.find("state=\"", at);
        return at == std::string::npos ? std::string() : tls.substr(s + 7, only.LinkOfRow.size());
    };
    const TTimingDiagram d(P(), 0);
    QImage img(d.Size(), QImage::Format_RGB32);
    {
        QPainter p(&img);
        d.Paint(p);
    }
    // A whole second of SUMO is the half second after it in the diagram;
    // the second cycle (from 68 s) repeats the first.
    for (int second : {10, 26, 29, 30, 40, 60, 68 + 10, 68 + 40}) {
        const std::string state = stateAt(second);
        ASSERT_FALSE(state.empty()) << second;
        for (int row = 0; row < P().TrendCount(); ++row) {
            const char sumo =
                state[static_cast<std::size_t>(only.LinkOfRow[static_cast<std::size_t>(row)])];
            const char shown = DiagramAt(img, d, row, (second % 68) + 0.5);
            const char expected = shown == 'h' ? 'G' : shown;
            EXPECT_EQ(sumo, expected) << P().TrendName(row) << " at " << second << " s";
        }
    }
}

TEST(SumoExport, RefusesWhatCannotRun) {
    auto config = CatalogueFromText(kSmallCatalogue);
    TProject p(*config);
    p.NewProject(config->ModelList[0]);
    TempDir dir;
    EXPECT_THROW(ExportSumo(p, dir.File("x")), EUserError); // no direction
    p.AddTrendGroup(0);
    EXPECT_THROW(ExportSumo(p, dir.File("x")), EUserError); // no cycle
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.add.xml")));
}

} // namespace
} // namespace tralcon::test

int main(int argc, char** argv) {
    tralcon::EnsureGuiApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
