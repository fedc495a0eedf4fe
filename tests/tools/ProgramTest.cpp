// Runs the program as a user would and checks what it leaves behind.
#include "game/StartScreens.h"
#include "tests/common/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <set>
#include <png.h>
#include <sys/wait.h>

namespace {

std::string binary() { return NEBULARK_BINARY; }

struct Result {
    int code;
    std::string output;
};

Result run(const std::string& args, const test::TempDir& dir) {
    std::string out = dir.file("output.txt");
    std::string cmd = binary() + " --documents " + dir.file("docs") + " " + args + " >" + out +
                      " 2>&1";
    int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::readText(out)};
}

struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

Png readPng(const std::string& path) {
    Png result;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return result;
    image.format = PNG_FORMAT_RGBA;
    result.rgba.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, result.rgba.data(), 0, nullptr)) {
        result.width = int(image.width);
        result.height = int(image.height);
    }
    return result;
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
    Result r = run("--headless --fixed-dt 0.0166667 --script " NEBULARK_WALK_SCRIPT
                   " --screenshot " + dir.file("run.png"),
                   dir);
    ASSERT_EQ(r.code, 0) << r.output;
    Png png = readPng(dir.file("run.png"));
    ASSERT_EQ(png.width, 320);
    // The items' deep blue, a band of it on each of the six rows.
    for (int row = 60; row <= 360; row += 60) {
        int blue = 0;
        for (int y = row - 15; y < row + 15; ++y)
            for (int x = 0; x < 320; ++x) {
                const uint8_t* p = &png.rgba[(size_t(y) * 320 + size_t(x)) * 4];
                if (p[0] < 20 && p[1] < 20 && p[2] > 180) ++blue;
            }
        EXPECT_GT(blue, 200) << "row " << row;
    }
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
    EXPECT_EQ(r.output, "nebulark: " + dir.file("bad.txt") + ": line 2: touch down needs X Y [ID]\n");
}

TEST(Program, HelpListsEveryOption) {
    test::TempDir dir;
    Result r = run("--help", dir);
    EXPECT_EQ(r.code, 0);
    for (const char* option : {"--headless", "--scale", "--fullscreen", "--frames", "--fixed-dt",
                               "--screenshot", "--script", "--documents", "--resources", "--seed",
                               "--demo", "--start", "--autoplay", "--help",
                               "screens for --start: menu"})
        EXPECT_NE(r.output.find(option), std::string::npos) << option;
}
