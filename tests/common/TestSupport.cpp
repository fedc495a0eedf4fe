#include "tests/common/TestSupport.h"

#include "platform/Options.h"
#include "platform/Window.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace test {

LogCapture::LogCapture() {
    previous_ = ccSetLogSink([this](const std::string& line) { lines_.push_back(line); });
}

LogCapture::~LogCapture() { ccSetLogSink(previous_); }

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
