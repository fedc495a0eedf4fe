// Installs the build into a temporary prefix and runs what was installed,
// as a player would; packs the Debian package and reads what it holds.
#include "platform/Files.h"
#include "tests/tools/ProgramTestSupport.h"

#include <filesystem>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

const std::string kAppId = NEBULARK_APP_ID;

std::set<std::string> filesUnder(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (!entry.is_directory()) files.insert(fs::relative(entry.path(), root).string());
    return files;
}

// Every file an install puts under its prefix.
std::set<std::string> expectedFiles() {
    std::set<std::string> files = {
        "bin/nebulark",
        "share/applications/" + kAppId + ".desktop",
        "share/icons/hicolor/48x48/apps/" + kAppId + ".png",
        "share/icons/hicolor/128x128/apps/" + kAppId + ".png",
        "share/icons/hicolor/256x256/apps/" + kAppId + ".png",
        "share/icons/hicolor/scalable/apps/" + kAppId + ".svg",
        "share/metainfo/" + kAppId + ".metainfo.xml",
        "share/man/man6/nebulark.6.gz",
    };
    for (const std::string& file : filesUnder(platform::resourceDirectory()))
        files.insert("share/nebulark-skirmage/" + file);
    return files;
}

// Installs into `dir`/`name` and returns that prefix.
fs::path install(const test::TempDir& dir, const std::string& name) {
    auto r =
        test::runCommand("cmake --install " NEBULARK_BUILD_DIR " --prefix " + dir.file(name), dir);
    EXPECT_EQ(r.code, 0) << r.output;
    return dir.path() / name;
}

bool haveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs `program` from `dir` without the tests' resource directory, as a
// player starting it would, until the main menu is up; returns the shot.
test::Png runToMenu(const std::string& program, const test::TempDir& dir) {
    auto r =
        test::runCommand("cd " + dir.path().string() + " && env -u NEBULARK_RESOURCES " + program +
                             " --headless --start menu --frames 20 --documents docs "
                             "--screenshot menu.png",
                         dir);
    EXPECT_EQ(r.code, 0) << r.output;
    EXPECT_EQ(r.output.find("cannot read"), std::string::npos) << r.output;
    return test::readPng(dir.file("menu.png"));
}

// Share of the pixels below the menu's items that are not black: the
// starfield when the pictures were found.
double starfieldShare(const test::Png& png) {
    int lit = 0, all = 0;
    for (int y = 420; y < png.height; ++y)
        for (int x = 0; x < png.width; ++x, ++all) {
            const uint8_t* p = png.pixel(x, y);
            if (p[0] + p[1] + p[2] > 24) ++lit;
        }
    return all ? double(lit) / all : 0;
}

} // namespace

TEST(Install, TheInstalledTreeRunsFromAnywhereAfterBeingMoved) {
    test::TempDir dir;
    fs::path first = install(dir, "first");
    EXPECT_EQ(filesUnder(first), expectedFiles());
    fs::rename(first, dir.path() / "moved");

    // The build tree's program keeps finding its resources beside it.
    for (std::string program : {dir.file("moved/bin/nebulark"), std::string(NEBULARK_BINARY)}) {
        SCOPED_TRACE(program);
        test::Png png = runToMenu(program, dir);
        ASSERT_EQ(png.width, 320);
        EXPECT_EQ(test::missingMenuRows(png), std::vector<int>());
        EXPECT_GT(starfieldShare(png), 0.5);
    }
}

TEST(Install, DesktopEntryMetadataIconsAndManualPageAreValid) {
    test::TempDir dir;
    fs::path share = install(dir, "prefix") / "share";
    for (int size : {48, 128, 256}) {
        std::string sized = std::to_string(size) + "x" + std::to_string(size);
        test::Png icon =
            test::readPng((share / "icons/hicolor" / sized / "apps" / (kAppId + ".png")).string());
        EXPECT_EQ(icon.width, size);
        EXPECT_EQ(icon.height, size);
    }
    const std::string manualPage = (share / "man/man6/nebulark.6.gz").string();
    // The manual page documents every option the program knows.
    std::string manual = test::runCommand("zcat " + manualPage, dir).output;
    std::istringstream help(test::runCommand(NEBULARK_BINARY " --help", dir).output);
    int options = 0;
    for (std::string line; std::getline(help, line);) {
        if (!line.starts_with("  --")) continue;
        ++options;
        std::string option = line.substr(2, line.find(' ', 2) - 2), escaped;
        for (char c : option)
            escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        bool listed = manual.find("\n.TP\n.B " + escaped + "\n") != std::string::npos ||
                      manual.find("\n.TP\n.BI " + escaped + " ") != std::string::npos;
        EXPECT_TRUE(listed) << option << " is not in the manual page";
    }
    EXPECT_GE(options, 10);

    struct Check {
        const char* tool;
        std::string command;
    } checks[] = {
        {"desktop-file-validate",
         "desktop-file-validate " + (share / "applications" / (kAppId + ".desktop")).string()},
        {"appstreamcli", "appstreamcli validate --no-net --explain " +
                             (share / "metainfo" / (kAppId + ".metainfo.xml")).string()},
        // groff's warnings go to standard error, which must stay empty.
        {"groff", "zcat " + manualPage + " | groff -man -ww -z 2>&1 | (! grep .)"},
    };
    for (const Check& check : checks) {
        if (!haveTool(check.tool)) {
            std::printf("%s is not installed: not checked\n", check.tool);
            continue;
        }
        auto r = test::runCommand(check.command, dir);
        EXPECT_EQ(r.code, 0) << check.tool << ":\n" << r.output;
    }
}

TEST(Install, TheDebianPackageHoldsTheInstallAndNamesItsLibraries) {
    test::TempDir dir;
    auto r = test::runCommand(
        "cpack --config " NEBULARK_BUILD_DIR "/CPackConfig.cmake -B " + dir.file("out"), dir);
    ASSERT_EQ(r.code, 0) << r.output;
    std::string deb =
        dir.file(std::string("out/nebulark-skirmage_") + NEBULARK_VERSION + "_" +
                 test::runCommand("dpkg --print-architecture | tr -d '\\n'", dir).output + ".deb");
    ASSERT_TRUE(fs::is_regular_file(deb)) << r.output;

    r = test::runCommand("dpkg-deb --contents " + deb, dir);
    ASSERT_EQ(r.code, 0) << r.output;
    for (const std::string& file : expectedFiles())
        EXPECT_NE(r.output.find(" ./usr/" + file + "\n"), std::string::npos) << file;

    r = test::runCommand("dpkg-deb --field " + deb + " Depends", dir);
    for (const char* dependency :
         {"libsdl2-2.0-0", "libopenal1", "libpango-1.0-0", "fonts-dejavu-core", "fonts-comic-neue"})
        EXPECT_NE(r.output.find(dependency), std::string::npos) << r.output;
}
