#pragma once

#include "support/Error.h"
#include "support/Log.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>

namespace platform {
class Window;
}
#include <string>
#include <vector>

namespace test {

// Collects log lines while it lives.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    const std::vector<std::string>& lines() const { return lines_; }
    bool contains(const std::string& line) const;

private:
    std::vector<std::string> lines_;
    LogSink previous_;
};

// A fresh directory, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string readText(const std::string& path);
void writeText(const std::string& path, const std::string& text);

// Directory of the checked-in test data.
std::string dataPath(const std::string& name);

// A PNG file's bytes, of any colour type and depth, from rows of packed
// samples; `palette` (RGB) and `transparency` for palette pictures.
std::vector<uint8_t> encodePng(int width, int height, int colorType, int bitDepth,
                               const std::vector<std::vector<uint8_t>>& rows,
                               const std::vector<std::array<uint8_t, 3>>& palette = {},
                               const std::vector<uint8_t>& transparency = {});

// A baseline JPEG file's bytes from packed RGB rows.
std::vector<uint8_t> encodeJpeg(int width, int height, const std::vector<uint8_t>& rgb,
                                int quality = 90);

// The process's headless 320 × 480 window, made on first use and kept to the
// end (a process has one window). Its GL context is made current.
platform::Window* sharedWindow();
// Lets the shared window go and stops the window system (end of the run).
void releaseSharedWindow();

} // namespace test

// Expects `statement` to fail with an Error of this name and exact message.
#define EXPECT_CC_ERROR(statement, errorName, errorMessage)                                        \
    do {                                                                                           \
        try {                                                                                      \
            statement;                                                                             \
            ADD_FAILURE() << "expected error: " << (errorMessage);                                 \
        } catch (const Error& e) {                                                                 \
            EXPECT_EQ(e.name(), std::string(errorName));                                           \
            EXPECT_EQ(e.message(), std::string(errorMessage));                                     \
        }                                                                                          \
    } while (0)

#define EXPECT_CC_ASSERT(statement, message) EXPECT_CC_ERROR(statement, kAssertionError, message)
