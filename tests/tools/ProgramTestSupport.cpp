#include "tests/tools/ProgramTestSupport.h"

#include <cstdlib>
#include <png.h>
#include <sys/wait.h>

namespace test {

CommandResult runCommand(const std::string& command, const TempDir& dir) {
    std::string out = dir.file("output.txt");
    int status = std::system(("(" + command + ") >" + out + " 2>&1").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(out)};
}

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

std::vector<int> missingMenuRows(const Png& png) {
    std::vector<int> missing;
    for (int row = 60; row <= 360; row += 60) {
        int blue = 0;
        for (int y = row - 15; y < row + 15 && y < png.height; ++y)
            for (int x = 0; x < png.width; ++x) {
                const uint8_t* p = png.pixel(x, y);
                if (p[0] < 20 && p[1] < 20 && p[2] > 180) ++blue;
            }
        if (blue <= 200) missing.push_back(row);
    }
    return missing;
}

} // namespace test
