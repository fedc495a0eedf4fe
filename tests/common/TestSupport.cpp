#include "tests/common/TestSupport.h"

#include "platform/Options.h"
#include "platform/Window.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <jpeglib.h>
#include <png.h>
#include <random>
#include <sstream>
#include <unistd.h>

namespace test {

LogCapture::LogCapture() {
    previous_ = ccSetLogSink([this](const std::string& line) { lines_.push_back(line); });
}

LogCapture::~LogCapture() {
    ccSetLogSink(previous_);
}

bool LogCapture::contains(const std::string& line) const {
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nebulark-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    if (!made) throw std::runtime_error("mkdtemp failed");
    path_ = made;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string dataPath(const std::string& name) {
    const char* dir = std::getenv("NEBULARK_TEST_DATA");
    return std::string(dir ? dir : "tests/data") + "/" + name;
}

std::vector<uint8_t> encodeJpeg(int width, int height, const std::vector<uint8_t>& rgb,
                                int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(rgb.data()) + size_t(cinfo.next_scanline) * size_t(width) * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    free(buffer);
    return out;
}

std::vector<uint8_t> encodePng(int width, int height, int colorType, int bitDepth,
                               const std::vector<std::vector<uint8_t>>& rows,
                               const std::vector<std::array<uint8_t, 3>>& palette,
                               const std::vector<uint8_t>& transparency) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> colours;
    for (const auto& c : palette)
        colours.push_back({c[0], c[1], c[2]});
    if (!colours.empty()) png_set_PLTE(png, info, colours.data(), int(colours.size()));
    if (!transparency.empty())
        png_set_tRNS(png, info, transparency.data(), int(transparency.size()), nullptr);
    png_write_info(png, info);
    for (const auto& row : rows)
        png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

namespace {
platform::Window* theWindow = nullptr;
bool windowMade = false;
} // namespace

platform::Window* sharedWindow() {
    if (!windowMade) {
        windowMade = true;
        platform::Options o;
        o.headless = true;
        platform::setOptions(o);
        // Kept until the end of the run: tests share the one window.
        theWindow = platform::Window::create(Rect(0, 0, 320, 480)).detach();
    }
    if (theWindow) theWindow->context()->makeCurrent();
    return theWindow;
}

void releaseSharedWindow() {
    if (theWindow) theWindow->release();
    theWindow = nullptr;
    platform::Window::shutdownWindowSystem();
}

} // namespace test
