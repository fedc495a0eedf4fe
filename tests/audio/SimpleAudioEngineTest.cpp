#include "audio/SimpleAudioEngine.h"
#include "platform/AudioDevice.h"
#include "platform/AudioSession.h"
#include "tests/audio/AudioTestSupport.h"

#include <filesystem>

using namespace audiotest;

namespace {

class Facade : public AudioFixture {
protected:
    bool playing(uint32_t source) {
        CDSourceWrapper w;
        w.setSourceId(source);
        return w.isPlaying();
    }
    bool isSource(uint32_t result) { return result != kCDPlayMuted && result != kCDPlayNoSource; }
};

} // namespace

TEST_F(Facade, SharedEngineIsModeTwoWithOneGroupOf31) {
    SimpleAudioEngine& e = SimpleAudioEngine::sharedEngine();
    EXPECT_EQ(&SimpleAudioEngine::sharedEngine(), &e);
    EXPECT_EQ(e.audioManager(), &CDAudioManager::sharedManager());
    EXPECT_EQ(e.audioManager()->mode(), kAudioModeMusicIfNoOtherAudio);
    EXPECT_EQ(e.soundEngine()->channelGroupTotal(), 1);
    EXPECT_EQ(e.soundEngine()->channelTotal(), 31);
    EXPECT_FALSE(e.muted());
    EXPECT_TRUE(e.willPlayBackgroundMusic());
}

TEST_F(Facade, EffectsLoadOncePerNameAndPlayWithoutPreloading) {
    SimpleAudioEngine& e = SimpleAudioEngine::sharedEngine();
    std::string a = writeWav(dir, "a.wav", 0.05);
    std::string b = writeWav(dir, "b.wav", 0.05);

    uint32_t played = e.playEffect(a); // never preloaded
    EXPECT_TRUE(isSource(played));
    EXPECT_EQ(e.bufferIndexForEffect(a), 0);
    EXPECT_EQ(e.soundEngine()->bufferState(0), kCDBufferLoaded);

    e.preloadEffect(a);
    e.preloadEffect(b);
    e.preloadEffect(b);
    EXPECT_EQ(e.bufferIndexForEffect(a), 0);
    EXPECT_EQ(e.bufferIndexForEffect(b), 1);

    // Unloading frees the slot for the next effect.
    e.unloadEffect(a);
    EXPECT_EQ(e.bufferIndexForEffect(a), -1);
    EXPECT_EQ(e.soundEngine()->bufferState(0), kCDBufferEmpty);
    std::string c = writeWav(dir, "c.wav", 0.05);
    e.preloadEffect(c);
    EXPECT_EQ(e.bufferIndexForEffect(c), 0);
    e.unloadEffect("never-loaded.wav");

    // A missing file keeps its slot, failed, and plays nothing.
    test::LogCapture log;
    EXPECT_EQ(e.playEffect(dir.file("missing.caf")), kCDPlayMuted);
    EXPECT_EQ(e.bufferIndexForEffect(dir.file("missing.caf")), 2);
}

TEST_F(Facade, AFullBufferTableRefusesNewEffectsAndKeepsTheOthers) {
    SimpleAudioEngine& e = SimpleAudioEngine::sharedEngine();
    std::string tiny = writeWav(dir, "tiny.wav", 0.01);
    std::vector<std::string> names;
    for (int i = 0; i < CD_MAX_BUFFERS; ++i) {
        names.push_back(dir.file("e" + std::to_string(i) + ".wav"));
        std::filesystem::copy_file(tiny, names.back());
        e.preloadEffect(names.back());
    }
    test::LogCapture log;
    std::string extra = writeWav(dir, "extra.wav", 0.01);
    e.preloadEffect(extra);
    EXPECT_EQ(e.bufferIndexForEffect(extra), -1);
    EXPECT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(e.playEffect(extra), kCDPlayMuted);
    for (int i = 0; i < CD_MAX_BUFFERS; ++i) {
        EXPECT_EQ(e.bufferIndexForEffect(names[size_t(i)]), i);
        EXPECT_EQ(e.soundEngine()->bufferState(i), kCDBufferLoaded);
    }
    EXPECT_TRUE(isSource(e.playEffect(names[31])));
}

TEST_F(Facade, The32ndOverlappingEffectCutsTheFirst) {
    SimpleAudioEngine& e = SimpleAudioEngine::sharedEngine();
    std::string longOne = writeWav(dir, "long.wav", 3.0);
    std::vector<uint32_t> sources;
    for (int i = 0; i < 31; ++i)
        sources.push_back(e.playEffect(longOne));
    for (auto s : sources)
        ASSERT_TRUE(playing(s));
    std::string other = writeWav(dir, "other.wav", 3.0);
    uint32_t cutter = e.playEffect(other, 1.2f, 0.5f, 0.7f);
    EXPECT_EQ(cutter, sources[0]);
    EXPECT_TRUE(playing(cutter));
    EXPECT_EQ(e.soundEngine()->sourceBufferAttachment(0),
              e.soundEngine()->bufferName(e.bufferIndexForEffect(other)));
    e.stopEffect(cutter);
    EXPECT_FALSE(playing(cutter));
    EXPECT_TRUE(playing(sources[1]));
}

TEST_F(Facade, MutingStopsEffectsAndMusicAndUnmutingResumesTheMusic) {
    SimpleAudioEngine& e = SimpleAudioEngine::sharedEngine();
    std::string song = writeWav(dir, "song.wav", 2.0);
    std::string fx = writeWav(dir, "fx.wav", 2.0);
    e.playBackgroundMusic(song);
    uint32_t effect = e.playEffect(fx);
    ASSERT_TRUE(e.isBackgroundMusicPlaying());
    ASSERT_TRUE(playing(effect));

    e.setMuted(true);
    EXPECT_TRUE(e.muted());
    EXPECT_FALSE(e.isBackgroundMusicPlaying());
    EXPECT_FALSE(playing(effect));
    EXPECT_EQ(e.playEffect(fx), kCDPlayMuted);

    e.setMuted(false);
    EXPECT_TRUE(e.isBackgroundMusicPlaying());
    EXPECT_TRUE(playing(e.playEffect(fx)));
}

TEST_F(Facade, OtherAudioAtStartRefusesMusicButPlaysEffects) {
    platform::AudioSession::shared().setOtherAudioIsPlaying(true);
    SimpleAudioEngine& e = SimpleAudioEngine::sharedEngine();
    EXPECT_FALSE(e.willPlayBackgroundMusic());
    e.playBackgroundMusic(writeWav(dir, "song.wav", 1.0));
    EXPECT_FALSE(e.isBackgroundMusicPlaying());
    EXPECT_TRUE(isSource(e.playEffect(writeWav(dir, "fx.wav", 0.05))));
}

TEST_F(Facade, MusicForwardingAndVolumes) {
    SimpleAudioEngine& e = SimpleAudioEngine::sharedEngine();
    e.setBackgroundMusicVolume(0.3f); // before any track: kept for it
    std::string song = writeWav(dir, "song.wav", 2.0);
    e.preloadBackgroundMusic(song);
    ASSERT_NE(e.audioManager()->backgroundMusic(), nullptr);
    EXPECT_FLOAT_EQ(e.audioManager()->backgroundMusic()->volume(), 0.3f);
    EXPECT_FALSE(e.isBackgroundMusicPlaying());
    e.playBackgroundMusic(song, false);
    EXPECT_TRUE(e.isBackgroundMusicPlaying());
    e.pauseBackgroundMusic();
    EXPECT_FALSE(e.isBackgroundMusicPlaying());
    e.resumeBackgroundMusic();
    EXPECT_TRUE(e.isBackgroundMusicPlaying());
    e.rewindBackgroundMusic();
    EXPECT_LT(e.audioManager()->backgroundMusic()->currentTime(), 0.2);
    e.setBackgroundMusicVolume(2.0f);
    EXPECT_FLOAT_EQ(e.backgroundMusicVolume(), 1.0f);
    e.stopBackgroundMusic();
    EXPECT_EQ(e.audioManager()->backgroundMusic(), nullptr);

    e.setEffectsVolume(0.4f);
    EXPECT_FLOAT_EQ(e.effectsVolume(), 0.4f);
}

TEST_F(Facade, WithoutADeviceTheGameRunsSilently) {
    platform::AudioDevice::setUnavailableForTesting(true);
    test::LogCapture log;
    SimpleAudioEngine& e = SimpleAudioEngine::sharedEngine();
    EXPECT_FALSE(e.soundEngine()->functioning());
    std::string fx = writeWav(dir, "fx.wav", 0.05);
    EXPECT_EQ(e.playEffect(fx), kCDPlayMuted);
    e.preloadEffect(fx);
    e.stopEffect(kCDPlayMuted);
    e.unloadEffect(fx);
    e.playBackgroundMusic(writeWav(dir, "song.wav", 0.5));
    EXPECT_FALSE(e.isBackgroundMusicPlaying());
    e.pauseBackgroundMusic();
    e.resumeBackgroundMusic();
    e.rewindBackgroundMusic();
    e.stopBackgroundMusic();
    e.setMuted(true);
    e.setMuted(false);
    e.setEffectsVolume(0.5f);
    EXPECT_EQ(e.playEffect(fx, 1.0f, 0.0f, 1.0f), kCDPlayMuted);
}
