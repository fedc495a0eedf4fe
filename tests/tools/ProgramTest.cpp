// Runs the program as a user would and checks what it leaves behind.
#include "game/StartScreens.h"
#include "tests/tools/ProgramTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <set>

namespace {

using test::Png;
using test::readPng;
using Result = test::CommandResult;

Result run(const std::string& args, const test::TempDir& dir) {
    return test::runCommand(
        std::string(NEBULARK_BINARY) + " --documents " + dir.file("docs") + " " + args, dir);
}

} // namespace

TEST(Program, HeadlessRunWritesANonBlankScreenshot) {
    test::TempDir dir;
    Result r = run("--headless --frames 30 --screenshot " + dir.file("x.png"), dir);
    ASSERT_EQ(r.code, 0) << r.output;
    Png png = readPng(dir.file("x.png"));
    ASSERT_EQ(png.width, 320);
    ASSERT_EQ(png.height, 480);
    std::set<uint32_t> colours;
    for (size_t i = 0; i < png.rgba.size(); i += 4)
        colours.insert(uint32_t(png.rgba[i]) << 16 | uint32_t(png.rgba[i + 1]) << 8 |
                       png.rgba[i + 2]);
    EXPECT_GE(colours.size(), 5u); // background plus the quads
}

TEST(Program, TheHeadlessRunWalksThroughTheScreensAndEndsOnTheMainMenu) {
    test::TempDir dir;
    Result r =
        run("--headless --fixed-dt 0.0166667 --script " NEBULARK_WALK_SCRIPT " --screenshot " +
                dir.file("run.png"),
            dir);
    ASSERT_EQ(r.code, 0) << r.output;
    Png png = readPng(dir.file("run.png"));
    ASSERT_EQ(png.width, 320);
    EXPECT_EQ(test::missingMenuRows(png), std::vector<int>());
}

TEST(Program, AMissingLaunchPictureOrFontSettingDoesNotStopStartUp) {
    test::TempDir dir;
    std::filesystem::copy(std::getenv("NEBULARK_RESOURCES"), dir.file("res"),
                          std::filesystem::copy_options::recursive);
    std::filesystem::remove(dir.file("res/Default.png"));
    std::filesystem::remove(dir.file("res/fonts.conf"));
    Result r = run("--headless --frames 30 --resources " + dir.file("res") + " --screenshot " +
                       dir.file("x.png"),
                   dir);
    EXPECT_EQ(r.code, 0) << r.output;
    EXPECT_NE(r.output.find("Default.png"), std::string::npos) << r.output; // logged
    EXPECT_EQ(readPng(dir.file("x.png")).width, 320);
}

TEST(Program, StartUpClearsWhatAKilledRunLeftOfAnUnfinishedSave) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.file("docs"));
    const std::string leftover = dir.file("docs/.killScore.Xy12zW");
    test::writeText(leftover, "<?xml");
    std::filesystem::last_write_time(leftover, std::filesystem::file_time_type::clock::now() -
                                                   std::chrono::hours(1));
    Result r = run("--headless --frames 2", dir);
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_FALSE(std::filesystem::exists(leftover));
}

TEST(Program, QuittingWhileAScreenFlipsInEndsCleanly) {
    test::TempDir dir;
    // High Scores tapped, and the window closed while it turns in.
    test::writeText(dir.file("s.txt"), "230 touch down 160 240\n232 touch up 160 240\n240 quit\n");
    Result r = run("--headless --fixed-dt 0.0166667 --script " + dir.file("s.txt"), dir);
    EXPECT_EQ(r.code, 0) << r.output;
}

TEST(Program, ScaleAppliesToHeadlessScreenshots) {
    test::TempDir dir;
    Result r = run("--headless --scale 2 --frames 2 --screenshot " + dir.file("x.png"), dir);
    ASSERT_EQ(r.code, 0) << r.output;
    Png png = readPng(dir.file("x.png"));
    EXPECT_EQ(png.width, 640);
    EXPECT_EQ(png.height, 960);
}

TEST(Program, ScriptedScreenshotAndQuit) {
    test::TempDir dir;
    test::writeText(dir.file("s.txt"), "3 screenshot " + dir.file("a.png") + "\n5 quit\n");
    Result r = run("--headless --fixed-dt 0.02 --script " + dir.file("s.txt"), dir);
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_EQ(readPng(dir.file("a.png")).width, 320);
}

TEST(Program, BadInputEndsWithOneLineAndNonZeroExit) {
    test::TempDir dir;
    struct Case {
        std::string args, output;
    } cases[] = {
        {"--bogus", "nebulark: unknown option '--bogus' (see --help)\n"},
        {"--script " + dir.file("missing.txt"),
         "nebulark: cannot read script file '" + dir.file("missing.txt") + "'\n"},
        {"--ad-server file:///etc/passwd",
         "nebulark: option --ad-server: expected an http:// or https:// URL, got "
         "'file:///etc/passwd'\n"},
        {"--start nowhere",
         "nebulark: unknown screen 'nowhere' (known: " + startScreenNames() + ")\n"},
        {"--headless --documents /proc/forbidden",
         "nebulark: the Documents directory '/proc/forbidden' cannot be created or written\n"},
    };
    for (auto& c : cases) {
        Result r = run(c.args, dir);
        EXPECT_EQ(r.code, 2) << c.args;
        EXPECT_EQ(r.output, c.output);
    }
    test::writeText(dir.file("bad.txt"), "# fine\n7 touch down 1\n");
    Result r = run("--headless --script " + dir.file("bad.txt"), dir);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.output,
              "nebulark: " + dir.file("bad.txt") + ": line 2: touch down needs X Y [ID]\n");
}

TEST(Program, HelpListsEveryOption) {
    test::TempDir dir;
    Result r = run("--help", dir);
    EXPECT_EQ(r.code, 0);
    for (const char* option : {"--headless", "--scale", "--fullscreen", "--frames", "--fixed-dt",
                               "--screenshot", "--script", "--documents", "--resources", "--seed",
                               "--demo", "--start", "--autoplay", "--ad-server", "--no-ads",
                               "--timings", "--help", "screens for --start: menu"})
        EXPECT_NE(r.output.find(option), std::string::npos) << option;
}

// Each game screen, a moment after it opens, shows its back arrow (white in
// the top left corner; greyed behind a mission's welcome) over its dark
// background, and Quick Play its red score line: a GL state left over by
// one node (the star rain's point sprites) once hid everything after it.
TEST(Program, GameScreensShowTheirBackArrowAndQuickPlayItsScore) {
    const struct {
        const char* screen;
        int width;
        bool redScore; // top right
    } cases[] = {{"quickplay", 320, true},
                 {"mission1", 320, false},
                 {"asteroidavoid", 480, false},
                 {"spaceshoot", 320, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.screen);
        test::TempDir dir;
        Result r =
            run(std::string("--headless --seed 1 --fixed-dt 0.0166667 --frames 40 --start ") +
                    c.screen + " --screenshot " + dir.file("x.png"),
                dir);
        ASSERT_EQ(r.code, 0) << r.output;
        Png png = readPng(dir.file("x.png"));
        ASSERT_EQ(png.width, c.width);
        auto count = [&](int x0, int x1, int y0, int y1, auto&& wanted) {
            int n = 0;
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    n += wanted(png.pixel(x, y));
            return n;
        };
        EXPECT_GT(count(10, 70, 5, 35,
                        [](const uint8_t* p) { return p[0] > 100 && p[1] > 100 && p[2] > 100; }),
                  20);
        if (c.redScore) {
            EXPECT_GT(
                count(220, 320, 0, 20, [](const uint8_t* p) { return p[0] > 150 && p[1] < 90; }),
                20);
        }
    }
}
