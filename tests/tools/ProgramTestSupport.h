#pragma once

#include "tests/common/TestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

// Running the program (or another command) as a user would, and reading the
// pictures it leaves.
namespace test {

struct CommandResult {
    int code;
    std::string output; // standard output and error together
};

// Runs `command` through the shell; its output is kept in `dir`.
CommandResult runCommand(const std::string& command, const TempDir& dir);

struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* pixel(int x, int y) const {
        return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
    }
};

// The picture as RGBA, or an empty one when it cannot be read.
Png readPng(const std::string& path);

// The rows (of six) of a 320-point-wide main menu where its items' deep
// blue is missing; empty when the menu is there.
std::vector<int> missingMenuRows(const Png& png);

} // namespace test
