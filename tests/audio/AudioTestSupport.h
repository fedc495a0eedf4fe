#pragma once

#include "platform/AudioFile.h"
#include "tests/common/TestSupport.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace audiotest {

// A sawtooth of `frames` frames, loud enough to be told from silence.
std::vector<int16_t> tone(int64_t frames, int channels, int amplitude = 12000);

// Writes a tone of `seconds` to dir/name in `format`; returns the path.
std::string writeTone(const test::TempDir& dir, const std::string& name,
                      const platform::AudioWriteFormat& format, double seconds);

// A 16-bit mono WAV of `seconds` at 22050 Hz.
std::string writeWav(const test::TempDir& dir, const std::string& name, double seconds);

// A WAV file built byte by byte: a "fmt " chunk with these fields and a data
// chunk that claims `claimedDataBytes` but holds `data`.
std::vector<uint8_t> rawWav(uint16_t formatTag, uint16_t channels, uint32_t sampleRate,
                            uint16_t bitsPerSample, uint32_t claimedDataBytes,
                            const std::vector<uint8_t>& data);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Polls `condition` until it holds or `seconds` pass (real time).
bool waitUntil(const std::function<bool()>& condition, double seconds = 5.0);

// Runs this test program again with only `filter` and extra environment
// variables; returns its exit status (-1 when it could not run).
int runSelf(const std::string& filter, const std::vector<std::pair<std::string, std::string>>& env);

// Resets every audio singleton and simulation between tests.
class AudioFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    test::TempDir dir;
};

} // namespace audiotest
