// resgen: draws every picture, font, compressed texture and sound the game
// ships, from code, into the resource directory given on the command line.
// The same sources always give the same bytes.
#include "tools/resgen/Resources.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace resgen {

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.flush()) fail("cannot write " + path);
}

void writeFile(const std::string& path, const std::string& text) {
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace resgen

int main(int argc, char** argv) {
    // The icons are installed elsewhere than the resources, so they go to a
    // directory of their own.
    const bool icons = argc == 3 && std::string(argv[1]) == "--icons";
    if (!icons && (argc != 2 || argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: resgen OUTPUT_DIRECTORY\n       resgen --icons DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[argc - 1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir)) resgen::fail("cannot make " + dir);
    if (icons) {
        resgen::writeIcons(dir);
        cairo_debug_reset_static_data();
        return 0;
    }

    auto start = std::chrono::steady_clock::now();
    {
        resgen::Fonts fonts;
        resgen::writeSpriteSheet(dir);
        resgen::writeScenery(fonts, dir);
        resgen::writeParticleTextures(dir);
        resgen::writeBitmapFonts(fonts, dir);
        resgen::writeHouseAds(fonts, dir);
        resgen::writeExtrasArt(dir);
        resgen::writePixelFont(fonts, dir);
    }
    resgen::writeSounds(dir);
    // Let go of the libraries' caches so leak checkers see a clean exit.
    cairo_debug_reset_static_data();
    FcFini();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
    std::printf("resgen: resources written to %s in %lld ms\n", dir.c_str(), (long long)ms);
    return 0;
}
