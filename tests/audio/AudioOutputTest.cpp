// Tests that need OpenAL configured differently from the rest run in a child
// process: OpenAL reads its configuration once per process.
#include "audio/SimpleAudioEngine.h"
#include "platform/AudioFile.h"
#include "tests/audio/AudioTestSupport.h"

#include <cstdlib>
#include <thread>

using namespace audiotest;

namespace {

const char* childMode() {
    return std::getenv("NEBULARK_AUDIO_CHILD");
}

// Peak level of the samples the wave-writer device wrote.
int peakOf(const std::string& path) {
    auto file = platform::AudioFile::open(path);
    if (!file) return -1;
    auto samples = file->readAll(size_t(64) << 20);
    if (!samples) return -1;
    int peak = 0;
    for (int16_t s : *samples)
        peak = std::max(peak, std::abs(int(s)));
    return peak;
}

// Runs the child test that writes to a wave file and returns the file's peak.
int peakOfChildRun(const test::TempDir& dir, const std::string& mode) {
    std::string out = dir.file(mode + "-out.wav");
    std::string conf = dir.file(mode + ".conf");
    test::writeText(conf, "[general]\ndrivers=wave\n[wave]\nfile=" + out + "\n");
    int status =
        runSelf("AudioOutputChild.Plays", {{"NEBULARK_AUDIO_CHILD", mode},
                                           {"NEBULARK_AUDIO_CHILD_DIR", dir.path().string()},
                                           {"ALSOFT_CONF", conf},
                                           {"ALSOFT_DRIVERS", "wave"}});
    EXPECT_EQ(status, 0) << mode;
    return peakOf(out);
}

} // namespace

// The child side: plays an effect (or tries to, muted) through the facade.
TEST(AudioOutputChild, Plays) {
    if (!childMode()) GTEST_SKIP() << "runs as a child of AudioOutput tests";
    std::string mode = childMode();
    std::string dir = std::getenv("NEBULARK_AUDIO_CHILD_DIR");
    SimpleAudioEngine& e = SimpleAudioEngine::sharedEngine();
    if (mode == "nodevice") {
        ASSERT_FALSE(e.soundEngine()->functioning());
        EXPECT_EQ(e.playEffect(dir + "/fx.wav"), kCDPlayMuted);
        e.playBackgroundMusic(dir + "/fx.wav");
        EXPECT_FALSE(e.isBackgroundMusicPlaying());
        SimpleAudioEngine::end();
        return;
    }
    ASSERT_TRUE(e.soundEngine()->functioning());
    if (mode == "muted") e.setMuted(true);
    uint32_t source = e.playEffect(dir + "/fx.wav");
    EXPECT_EQ(source == kCDPlayMuted, mode == "muted");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    SimpleAudioEngine::end(); // closes the device, which finishes the file
}

TEST(AudioOutput, APlayedEffectReachesTheDeviceAndAMutedOneDoesNot) {
    if (childMode()) GTEST_SKIP();
    test::TempDir dir;
    writeWav(dir, "fx.wav", 0.1);
    EXPECT_GT(peakOfChildRun(dir, "play"), 3000);
    EXPECT_EQ(peakOfChildRun(dir, "muted"), 0);
}

TEST(AudioOutput, NoUsableDriverMeansSilenceNotFailure) {
    if (childMode()) GTEST_SKIP();
    test::TempDir dir;
    writeWav(dir, "fx.wav", 0.1);
    EXPECT_EQ(runSelf("AudioOutputChild.Plays", {{"NEBULARK_AUDIO_CHILD", "nodevice"},
                                                 {"NEBULARK_AUDIO_CHILD_DIR", dir.path().string()},
                                                 {"ALSOFT_DRIVERS", "no-such-driver"}}),
              0);
}
