#include "tests/audio/AudioTestSupport.h"

#include "audio/CDAudioManager.h"
#include "audio/SimpleAudioEngine.h"
#include "platform/AudioDevice.h"
#include "platform/AudioSession.h"
#include "platform/RunLoop.h"
#include "platform/SystemSound.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace audiotest {

namespace {
// Tests never reach a real sound card, however they are started. Set before
// OpenAL first reads its configuration; a child run's own choice wins.
const bool nullAudioDriver = [] {
    setenv("ALSOFT_DRIVERS", "null", 0);
    return true;
}();
} // namespace

std::vector<int16_t> tone(int64_t frames, int channels, int amplitude) {
    std::vector<int16_t> samples(size_t(frames * channels));
    for (int64_t f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            samples[size_t(f * channels + c)] =
                int16_t((f * (c + 1) * 523 % 2000) * amplitude / 1000 - amplitude);
    return samples;
}

std::string writeTone(const test::TempDir& dir, const std::string& name,
                      const platform::AudioWriteFormat& format, double seconds) {
    int64_t frames = int64_t(seconds * format.sampleRate);
    auto samples = tone(frames, format.channels);
    std::string path = dir.file(name);
    EXPECT_TRUE(platform::writeAudioFile(path, format, samples.data(), frames)) << path;
    return path;
}

std::string writeWav(const test::TempDir& dir, const std::string& name, double seconds) {
    platform::AudioWriteFormat format;
    format.sampleRate = 22050;
    return writeTone(dir, name, format, seconds);
}

namespace {
void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, uint16_t(v));
    put16(out, uint16_t(v >> 16));
}
} // namespace

std::vector<uint8_t> rawWav(uint16_t formatTag, uint16_t channels, uint32_t sampleRate,
                            uint16_t bitsPerSample, uint32_t claimedDataBytes,
                            const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(out, uint32_t(36 + data.size()));
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, formatTag);
    put16(out, channels);
    put32(out, sampleRate);
    uint16_t blockAlign = uint16_t(channels * ((bitsPerSample + 7) / 8));
    put32(out, sampleRate * blockAlign);
    put16(out, blockAlign);
    put16(out, bitsPerSample);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, claimedDataBytes);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool waitUntil(const std::function<bool()>& condition, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

int runSelf(const std::string& filter,
            const std::vector<std::pair<std::string, std::string>>& env) {
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        bool replaced = false;
        for (auto& [k, v] : env)
            if (std::strncmp(*e, (k + "=").c_str(), k.size() + 1) == 0) replaced = true;
        if (!replaced) envStrings.emplace_back(*e);
    }
    for (auto& [k, v] : env)
        envStrings.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (auto& s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);

    std::string self = "/proc/self/exe";
    std::string filterArg = "--gtest_filter=" + filter;
    std::string program = "test_audio";
    char* argv[] = {program.data(), filterArg.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void AudioFixture::SetUp() {
    platform::RunLoop::main();
    platform::AudioDevice::setUnavailableForTesting(false);
    platform::AudioSession::shared().reset();
}

void AudioFixture::TearDown() {
    SimpleAudioEngine::end();
    CDAudioManager::end();
    platform::disposeSystemSounds();
    platform::RunLoop::main().reset();
    platform::AudioSession::shared().reset();
    platform::AudioDevice::setUnavailableForTesting(false);
}

} // namespace audiotest
