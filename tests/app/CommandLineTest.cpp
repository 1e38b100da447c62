#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

using TAction = TCommandLine::TAction;

struct TCase {
    QStringList Args; // after the program name
    TAction Action;
    QString Project;
    QString InText; // part of the text to print; empty: no text
};

class CommandLine : public testing::TestWithParam<TCase> {};

TEST_P(CommandLine, Parses) {
    const TCase& c = GetParam();
    const TCommandLine r = ParseCommandLine(QStringList{QStringLiteral("tralcon")} + c.Args);
    EXPECT_EQ(r.Action, c.Action) << c.Args.join(' ').toStdString();
    EXPECT_EQ(r.Project, c.Project);
    if (c.InText.isEmpty()) {
        EXPECT_TRUE(r.Text.isEmpty()) << r.Text.toStdString();
    } else {
        EXPECT_TRUE(r.Text.contains(c.InText)) << r.Text.toStdString();
    }
    if (c.Action == TAction::Error) { // always says where to find the usage
        EXPECT_TRUE(r.Text.contains(QStringLiteral("tralcon --help"))) << r.Text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    testing::Values(TCase{{}, TAction::Run, {}, {}},
                    TCase{{"Cross.NVT"}, TAction::Run, "Cross.NVT", {}},
                    TCase{{"/path with spaces/Перекрёсток.NVT"},
                          TAction::Run,
                          "/path with spaces/Перекрёсток.NVT",
                          {}},
                    // After "--" a name that starts with a dash is a file.
                    TCase{{"--", "-odd.NVT"}, TAction::Run, "-odd.NVT", {}},
                    // Qt's own options pass through to Qt, in either spelling.
                    TCase{{"-platform", "offscreen", "Cross.NVT"}, TAction::Run, "Cross.NVT", {}},
                    TCase{{"--style=fusion", "-reverse"}, TAction::Run, {}, {}},
                    TCase{{"--help"}, TAction::Help, {}, "Использование: tralcon"},
                    TCase{{"-h", "Cross.NVT"}, TAction::Help, {}, "--version"},
                    TCase{{"--version"}, TAction::Version, {}, "tralcon " TRALCON_VERSION},
                    TCase{{"-v"}, TAction::Version, {}, "tralcon"},
                    TCase{{"--paths"}, TAction::Paths, {}, {}},
                    // A wrong line is refused, even with --help on it.
                    TCase{{"--bogus"}, TAction::Error, {}, "неизвестный параметр --bogus"},
                    TCase{{"-x", "Cross.NVT"}, TAction::Error, {}, "неизвестный параметр -x"},
                    TCase{{"--help", "--bogus"}, TAction::Error, {}, "--bogus"},
                    TCase{{"a.NVT", "b.NVT"}, TAction::Error, {}, "лишний аргумент b.NVT"},
                    TCase{{""}, TAction::Error, {}, "пустое имя"},
                    TCase{{"--screenshot"}, TAction::Error, {}, "screenshot"},
                    TCase{{"-platform"}, TAction::Error, {}, "platform"}));

TEST(CommandLineScreenshot, NamesTheFileAndKeepsTheProject) {
    const TCommandLine r =
        ParseCommandLine({QStringLiteral("tralcon"), QStringLiteral("--screenshot"),
                          QStringLiteral("/tmp/w.png"), QStringLiteral("Cross.NVT")});
    EXPECT_EQ(r.Action, TAction::Run);
    EXPECT_EQ(r.Screenshot, QStringLiteral("/tmp/w.png"));
    EXPECT_EQ(r.Project, QStringLiteral("Cross.NVT"));
}

} // namespace
} // namespace tralcon
