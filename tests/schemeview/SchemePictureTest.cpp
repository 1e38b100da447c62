// The scheme drawn by Qt: the passport's pictures, the golden picture of a
// phase of the sample, and background pictures from files, good and bad.

#include "TestUtil.h"
#include "cli/Cli.h"
#include "diagram/TimingDiagram.h"
#include "model/Project.h"
#include "persistence/Config.h"
#include "persistence/ProjExp.h"
#include "scheme/SchemeGif.h"
#include "scheme/SchemeScene.h"
#include "schemeview/BackgroundPicture.h"
#include "schemeview/SchemeImages.h"
#include "schemeview/SchemeRender.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <sstream>

using namespace tralcon;

namespace {

class SchemePicture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { EnsureGuiApplication(); }
    void SetUp() override {
        Config = LoadConfiguration(std::string(TRALCON_SOURCE_DIR) + "/data/NVT-3.cfg");
        Sample =
            LoadProject(std::string(TRALCON_SOURCE_DIR) + "/data/examples/Sample.NVT", *Config);
    }
    std::unique_ptr<TConfiguration> Config;
    TLoadedProject Sample;
};

QImage Decoded(const std::string& gif) {
    std::optional<QImage> image = GifToImage(gif);
    return image ? *image : QImage();
}

std::string Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// Pixels that differ outside the boxes of the labels on show: the labels'
// text is drawn in the desktop's font, everything else is the program's.
int DifferencesOutsideLabels(const QImage& a, const QImage& b, const TSchemeDocument& scheme) {
    std::vector<QRect> labels;
    for (int i = 0; i < scheme.Count(); ++i)
        if (const auto* l = dynamic_cast<const TvxTrendLabel*>(scheme.Items(i)); l && l->Visible())
            labels.push_back(QRect(l->Rect().Left - 1, l->Rect().Top - 1, 60, 24));
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            bool inLabel = false;
            for (const QRect& r : labels)
                inLabel = inLabel || r.contains(x, y);
            if (!inLabel && a.pixel(x, y) != b.pixel(x, y))
                ++n;
        }
    return n;
}

} // namespace

TEST_F(SchemePicture, PhasePictureOfTheSampleMatchesTheGoldenOne) {
    const std::string golden =
        test::ReadBytes(std::string(TRALCON_TEST_DATA) + "/scheme/sample-phase1.gif");
    ASSERT_FALSE(golden.empty());
    // Through the command line, as the passport's pictures can be checked.
    const test::TempDir dir;
    const std::string out = dir.File("phase1.gif");
    std::ostringstream o, e;
    ASSERT_EQ(cli::RunCli({"scheme", std::string(TRALCON_SOURCE_DIR) + "/data/examples/Sample.NVT",
                           "--phase", "1", "-o", out},
                          o, e),
              0)
        << e.str();
    const std::string made = test::ReadBytes(out);
    const QImage want = Decoded(golden), got = Decoded(made);
    ASSERT_EQ(got.size(), QSize(200, 200));
    ShowPhaseView(*Sample.Scheme, GreenRows(*Sample.Project, Sample.Project->PhaseAt(1)));
    EXPECT_EQ(DifferencesOutsideLabels(want, got, *Sample.Scheme), 0);
    // The picture is the function's.
    EXPECT_EQ(WritePhaseImage(*Sample.Scheme, *Sample.Project, 1), made);
}

TEST_F(SchemePicture, PhasePicturesShowOnlyTheirGreenDirections) {
    TSchemeDocument& s = *Sample.Scheme;
    const TProject& p = *Sample.Project;
    const QImage background = RenderSchemeBackground(s, QSize(200, 200), DefaultSchemeLook());
    for (int i = 0; i < p.PhaseCount(); ++i) {
        const QImage picture = Decoded(WritePhaseImage(s, p, i));
        ASSERT_EQ(picture.size(), QSize(200, 200));
        const std::vector<bool> green = GreenRows(p, p.PhaseAt(i));
        for (int row = 0; row < s.RowCount(); ++row)
            for (const TvxSchemeObject* o : s.RowObjects(row)) {
                EXPECT_EQ(o->Visible(), green[static_cast<std::size_t>(row)]) << "phase " << i;
                const auto* a = dynamic_cast<const TvxArrow*>(o);
                if (a == nullptr)
                    continue;
                // The first point of a trajectory: green where it shows, the
                // plan's own colour where it does not.
                const QPoint at(a->Points().Items(0)->X(), a->Points().Items(0)->Y());
                if (green[static_cast<std::size_t>(row)]) {
                    EXPECT_EQ(picture.pixel(at), qRgb(0, 255, 0))
                        << "phase " << i << " row " << row;
                }
            }
    }
    // A phase without any green shows the plan only (the all-red phase).
    TPhase* allRed = p.AllRedPhase();
    ShowPhaseView(s, GreenRows(p, allRed));
    QImage plain = background;
    PaintSchemeScene(plain, s, nullptr, DefaultSchemeLook().Font);
    EXPECT_EQ(plain, background);
    EXPECT_THROW(WritePhaseImage(s, p, p.PhaseCount()), std::out_of_range);
}

TEST_F(SchemePicture, SchemePictureShowsEveryRowsObjectsSilver) {
    TSchemeDocument& s = *Sample.Scheme;
    auto loose = std::make_unique<TvxTrendLabel>();
    TvxSchemeObject* orphan = s.AddObject(std::move(loose));
    const QImage picture = Decoded(WriteSchemeImage(s, *Sample.Project));
    ASSERT_EQ(picture.size(), QSize(200, 200));
    EXPECT_FALSE(orphan->Visible()) << "an object of no row is not in the picture";
    for (int i = 0; i < s.Count(); ++i)
        if (const auto* a = dynamic_cast<const TvxArrow*>(s.Items(i))) {
            EXPECT_EQ(a->Points().Color(), kTrajectorySilver);
            EXPECT_TRUE(a->Visible());
        }
}

TEST(BackgroundPicture, PicturesAreStretchedInto200By200Gif) {
    EnsureGuiApplication();
    QImage halves(50, 30, QImage::Format_RGB32);
    halves.fill(Qt::red);
    QPainter(&halves).fillRect(25, 0, 25, 30, Qt::blue);
    for (const char* format : {"PNG", "BMP"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        halves.save(&buffer, format);
        const std::string gif = MakeBackgroundPicture(bytes.toStdString(), "plan.x");
        ASSERT_TRUE(IsReadableGif(gif)) << format;
        const QImage out = Decoded(gif);
        ASSERT_EQ(out.size(), QSize(200, 200)) << format;
        EXPECT_EQ(out.pixel(10, 100), qRgb(255, 0, 0)) << format;
        EXPECT_EQ(out.pixel(190, 100), qRgb(0, 0, 255)) << format;
    }
    // A GIF as the background is read by giflib and stretched the same way.
    const std::string viaGif = MakeBackgroundPicture(ImageToGif(halves), "plan.gif");
    EXPECT_EQ(Decoded(viaGif).pixel(190, 5), qRgb(0, 0, 255));
}

TEST(BackgroundPicture, BadFilesGiveAMessageAndNoPicture) {
    EnsureGuiApplication();
    // A GIF header claiming 30000 x 30000 pixels.
    std::string hugeGif = "GIF89a";
    hugeGif += std::string("\x30\x75\x30\x75\x00\x00\x00", 7);
    hugeGif += ";";
    // A PNG whose header claims 30000 x 30000 pixels (a few bytes that
    // would decode to gigabytes).
    QImage tiny(1, 1, QImage::Format_RGB32);
    tiny.fill(Qt::white);
    std::string bomb = Png(tiny);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bomb[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (24 - 8 * i));
    };
    put32(16, 30000);
    put32(20, 30000);
    // The header's checksum made right again, so only the size is wrong.
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 12; i < 29; ++i) {
        crc ^= static_cast<unsigned char>(bomb[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    put32(29, ~crc);

    const std::string png = Png(tiny);
    struct TCase {
        const char* Name;
        std::string Bytes;
        const char* Says;
    };
    const TCase cases[] = {
        {"empty", "", "пуст"},
        {"huge GIF", hugeGif, "слишком велик"},
        {"truncated GIF", ImageToGif(tiny).substr(0, 20), "GIF"},
        {"truncated JPEG", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10), "JPEG"},
        {"PNG bomb", bomb, "слишком велик"},
        {"truncated PNG", png.substr(0, png.size() / 2), "plan.png"},
        {"text", "just some words", "не распознан"},
    };
    for (const TCase& c : cases) {
        try {
            MakeBackgroundPicture(c.Bytes, "plan.png");
            ADD_FAILURE() << c.Name << " was taken";
        } catch (const EPictureError& e) {
            EXPECT_NE(std::string(e.what()).find(c.Says), std::string::npos)
                << c.Name << ": " << e.what();
        }
    }
    EXPECT_THROW(LoadBackgroundPicture("/nonexistent/plan.jpg"), EPictureError);
}
