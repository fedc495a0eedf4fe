#include "audio/CDSoundEngine.h"
#include "platform/AudioDevice.h"
#include "platform/AudioSession.h"
#include "tests/audio/AudioTestSupport.h"

#include <cstdlib>
#include <set>

using namespace audiotest;

namespace {

class SoundEngine : public AudioFixture {
protected:
    Ref<CDSoundEngine> engine(std::vector<int> groups) {
        return make<CDSoundEngine>(groups.data(), int(groups.size()));
    }
    bool playing(uint32_t source) {
        CDSourceWrapper w;
        w.setSourceId(source);
        return w.isPlaying();
    }
};

} // namespace

TEST_F(SoundEngine, GroupsCoverConsecutiveSources) {
    auto e = engine({3, 0, 5});
    ASSERT_TRUE(e->functioning());
    EXPECT_EQ(e->channelTotal(), 8);
    EXPECT_EQ(e->group(0).startIndex, 0);
    EXPECT_EQ(e->group(0).endIndex, 2);
    EXPECT_EQ(e->group(2).startIndex, 3);
    EXPECT_EQ(e->group(2).endIndex, 7);
    EXPECT_EQ(e->group(2).currentIndex, 3);
    EXPECT_FALSE(e->group(2).mute);

    std::vector<int> tooMany = {20, 13};
    EXPECT_CC_ASSERT(make<CDSoundEngine>(tooMany.data(), 2),
                     "requested total channels exceeds CD_MAX_SOURCES");
    std::vector<int> full = {32};
    EXPECT_EQ(make<CDSoundEngine>(full.data(), 1)->channelTotal(), 32);
}

TEST_F(SoundEngine, BufferStatesFollowLoadsAndUnloads) {
    auto e = engine({4});
    std::string good = writeWav(dir, "good.wav", 0.05);
    platform::AudioWriteFormat f24;
    f24.sample = platform::AudioSampleFormat::S24;
    std::string bad = writeTone(dir, "bad.wav", f24, 0.05);
    test::LogCapture log;

    EXPECT_EQ(e->bufferState(0), kCDBufferEmpty);
    EXPECT_TRUE(e->loadBuffer(0, good));
    EXPECT_EQ(e->bufferState(0), kCDBufferLoaded);
    EXPECT_FALSE(e->loadBuffer(1, bad));
    EXPECT_EQ(e->bufferState(1), kCDBufferFailed);
    EXPECT_FALSE(e->loadBuffer(2, dir.file("missing.caf")));
    EXPECT_EQ(e->bufferState(2), kCDBufferFailed);
    EXPECT_FALSE(e->loadBuffer(32, good));
    EXPECT_FALSE(e->loadBuffer(-1, good));

    // Failed and empty buffers play nothing.
    EXPECT_EQ(e->playSound(1, 0, 1, 0, 1, false), kCDPlayMuted);
    EXPECT_EQ(e->playSound(3, 0, 1, 0, 1, false), kCDPlayMuted);
    EXPECT_EQ(e->playSound(40, 0, 1, 0, 1, false), kCDPlayMuted);

    // Reloading over a loaded or failed buffer replaces it.
    EXPECT_TRUE(e->loadBuffer(1, good));
    EXPECT_EQ(e->bufferState(1), kCDBufferLoaded);
    EXPECT_FALSE(e->loadBuffer(0, bad));
    EXPECT_EQ(e->bufferState(0), kCDBufferFailed);

    EXPECT_TRUE(e->unloadBuffer(1));
    EXPECT_EQ(e->bufferState(1), kCDBufferEmpty);
    EXPECT_EQ(e->playSound(1, 0, 1, 0, 1, false), kCDPlayMuted);
}

TEST_F(SoundEngine, UnloadStopsAndDetachesItsSourcesOnly) {
    auto e = engine({4});
    ASSERT_TRUE(e->loadBuffer(0, writeWav(dir, "a.wav", 0.05)));
    ASSERT_TRUE(e->loadBuffer(1, writeWav(dir, "b.wav", 0.05)));
    uint32_t a = e->playSound(0, 0, 1, 0, 1, true);
    uint32_t b = e->playSound(1, 0, 1, 0, 1, true);
    ASSERT_EQ(a, e->sourceName(0));
    ASSERT_EQ(b, e->sourceName(1));
    EXPECT_EQ(e->sourceBufferAttachment(0), e->bufferName(0));
    EXPECT_TRUE(playing(a));

    EXPECT_TRUE(e->unloadBuffer(0));
    EXPECT_FALSE(playing(a));
    EXPECT_EQ(e->sourceBufferAttachment(0), 0u);
    EXPECT_TRUE(playing(b));
    EXPECT_EQ(e->sourceBufferAttachment(1), e->bufferName(1));
}

TEST_F(SoundEngine, RoundRobinCutsTheOldestSound) {
    auto e = engine({3, 1});
    ASSERT_TRUE(e->loadBuffer(0, writeWav(dir, "a.wav", 0.05)));
    std::vector<uint32_t> got;
    for (int i = 0; i < 4; ++i)
        got.push_back(e->playSound(0, 0, 1, 0, 1, true));
    EXPECT_EQ(std::set<uint32_t>(got.begin(), got.begin() + 3).size(), 3u);
    EXPECT_EQ(got[3], got[0]); // the fourth took the first one's source
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(got[size_t(i)], e->sourceName(i));
    EXPECT_TRUE(playing(got[0]));

    // A one-source group always reuses its source, cutting what plays.
    uint32_t solo = e->playSound(0, 1, 1, 0, 1, true);
    EXPECT_EQ(solo, e->sourceName(3));
    EXPECT_EQ(e->playSound(0, 1, 1, 0, 1, true), solo);
    EXPECT_TRUE(playing(solo));

    EXPECT_EQ(e->playSound(0, 2, 1, 0, 1, false), kCDPlayNoSource); // no such group
}

TEST_F(SoundEngine, NonInterruptibleGroupRefusesWhenFull) {
    auto e = engine({2});
    ASSERT_TRUE(e->loadBuffer(0, writeWav(dir, "a.wav", 0.05)));
    e->setChannelGroupNonInterruptible(0, true);
    EXPECT_EQ(e->group(0).currentIndex, kCDGroupNonInterruptible);
    uint32_t first = e->playSound(0, 0, 1, 0, 1, true);
    uint32_t second = e->playSound(0, 0, 1, 0, 1, true);
    EXPECT_NE(first, second);
    EXPECT_EQ(e->playSound(0, 0, 1, 0, 1, true), kCDPlayNoSource);
    EXPECT_TRUE(playing(first));

    e->stopSound(first);
    EXPECT_EQ(e->playSound(0, 0, 1, 0, 1, true), first); // the one free again

    e->setChannelGroupNonInterruptible(0, false);
    EXPECT_EQ(e->group(0).currentIndex, 0);
    EXPECT_EQ(e->playSound(0, 0, 1, 0, 1, false), first);
}

TEST_F(SoundEngine, MutingStopsAndRefuses) {
    auto e = engine({2, 2});
    ASSERT_TRUE(e->loadBuffer(0, writeWav(dir, "a.wav", 0.05)));
    uint32_t g0 = e->playSound(0, 0, 1, 0, 1, true);
    uint32_t g1 = e->playSound(0, 1, 1, 0, 1, true);

    e->setChannelGroupMute(1, true);
    EXPECT_TRUE(e->channelGroupMute(1));
    EXPECT_FALSE(playing(g1));
    EXPECT_TRUE(playing(g0));
    EXPECT_EQ(e->playSound(0, 1, 1, 0, 1, false), kCDPlayMuted);
    e->setChannelGroupMute(1, false);
    EXPECT_NE(e->playSound(0, 1, 1, 0, 1, true), kCDPlayMuted);

    e->setMute(true);
    EXPECT_TRUE(e->mute());
    EXPECT_FALSE(playing(g0));
    EXPECT_EQ(e->playSound(0, 0, 1, 0, 1, false), kCDPlayMuted);
    e->setMute(false);
    EXPECT_TRUE(playing(e->playSound(0, 0, 1, 0, 1, true)));
}

TEST_F(SoundEngine, SoundsReallyPlayToTheirEnd) {
    auto e = engine({2});
    ASSERT_TRUE(e->loadBuffer(0, writeWav(dir, "short.wav", 0.03)));
    uint32_t s = e->playSound(0, 0, 1.0f, -0.5f, 0.8f, false);
    ASSERT_NE(s, kCDPlayMuted);
    ASSERT_NE(s, kCDPlayNoSource);
    EXPECT_TRUE(waitUntil([&] { return !playing(s); }, 3.0));

    uint32_t looping = e->playSound(0, 0, 1, 0, 1, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(playing(looping));
    e->stopSound(looping);
    EXPECT_FALSE(playing(looping));
    e->stopSound(kCDPlayMuted); // not a source: ignored
    e->stopSound(12345);

    // OpenAL refusing the parameters is "no source", not a crash.
    EXPECT_EQ(e->playSound(0, 0, -1.0f, 0, 1, false), kCDPlayNoSource);
    EXPECT_NE(e->lastErrorCode(), 0);
}

TEST_F(SoundEngine, MasterGainIsTheListenerGain) {
    auto e = engine({1});
    EXPECT_FLOAT_EQ(e->masterGain(), 1.0f);
    e->setMasterGain(0.25f);
    EXPECT_FLOAT_EQ(e->masterGain(), 0.25f);
    e->setMasterGain(-1.0f);
    EXPECT_FLOAT_EQ(e->masterGain(), 0.25f);
}

TEST_F(SoundEngine, BackgroundLoadingReportsProgress) {
    auto e = engine({4});
    std::vector<Ref<CDBufferLoadRequest>> requests = {
        make<CDBufferLoadRequest>(0, writeWav(dir, "a.wav", 0.05)),
        make<CDBufferLoadRequest>(1, dir.file("missing.wav")),
        make<CDBufferLoadRequest>(2, writeWav(dir, "c.wav", 0.05)),
    };
    test::LogCapture log;
    e->loadBuffersAsynchronously(requests);
    ASSERT_TRUE(waitUntil([&] { return e->asynchLoadProgress() >= 1.0f; }));
    EXPECT_EQ(e->bufferState(0), kCDBufferLoaded);
    EXPECT_EQ(e->bufferState(1), kCDBufferFailed);
    EXPECT_EQ(e->bufferState(2), kCDBufferLoaded);

    // A second batch starts from zero again; destroying the engine while it
    // runs waits for the loader.
    e->loadBuffersAsynchronously({make<CDBufferLoadRequest>(3, dir.file("a.wav"))});
    ASSERT_TRUE(waitUntil([&] { return e->bufferState(3) == kCDBufferLoaded; }));
    e->loadBuffersAsynchronously(requests);
    e = nullptr;
}

TEST_F(SoundEngine, WithoutADeviceEverythingIsSafeAndSilent) {
    platform::AudioDevice::setUnavailableForTesting(true);
    test::LogCapture log;
    auto e = engine({31});
    EXPECT_FALSE(e->functioning());
    EXPECT_EQ(e->openALContext(), nullptr);
    EXPECT_FALSE(e->loadBuffer(0, writeWav(dir, "a.wav", 0.05)));
    EXPECT_EQ(e->bufferState(0), kCDBufferEmpty);
    EXPECT_FALSE(e->unloadBuffer(0));
    EXPECT_EQ(e->playSound(0, 0, 1, 0, 1, false), kCDPlayMuted);
    e->stopSound(1);
    e->stopChannelGroup(0);
    e->setMute(true);
    e->setChannelGroupMute(0, true);
    e->setMasterGain(0.5f);
    EXPECT_FLOAT_EQ(e->masterGain(), 0.5f);
    e->audioSessionInterrupted();
    e->audioSessionResumed();
    e->loadBuffersAsynchronously({make<CDBufferLoadRequest>(0, dir.file("a.wav"))});
    EXPECT_TRUE(waitUntil([&] { return e->asynchLoadProgress() >= 1.0f; }));
}

TEST_F(SoundEngine, NoAudioEnvironmentVariableSilencesTheEngine) {
    setenv("NEBULARK_NO_AUDIO", "1", 1);
    auto silent = engine({4});
    unsetenv("NEBULARK_NO_AUDIO");
    EXPECT_FALSE(silent->functioning());
    silent = nullptr;
    EXPECT_TRUE(engine({4})->functioning());
}

TEST_F(SoundEngine, WithItsOwnCategoryItHandlesTheSession) {
    auto& session = platform::AudioSession::shared();
    std::vector<int> groups = {2};
    auto e = make<CDSoundEngine>(groups.data(), 1, platform::kAudioSessionCategoryAmbientSound);
    EXPECT_EQ(session.category(), platform::kAudioSessionCategoryAmbientSound);
    ASSERT_TRUE(e->loadBuffer(0, writeWav(dir, "a.wav", 0.05)));
    session.setActive(true);
    session.setCategory(0);
    session.beginInterruption();
    EXPECT_FALSE(session.isActive());
    session.endInterruption();
    EXPECT_TRUE(session.isActive());
    EXPECT_EQ(session.category(), platform::kAudioSessionCategoryAmbientSound);
    EXPECT_TRUE(playing(e->playSound(0, 0, 1, 0, 1, true)));

    // The manager's marker leaves the session alone.
    e = nullptr;
    session.setCategory(0);
    auto quiet = engine({2});
    EXPECT_EQ(session.category(), 0u);
}

TEST_F(SoundEngine, InterruptionSuspendsAndRestoresTheContext) {
    auto e = engine({2});
    ASSERT_TRUE(e->loadBuffer(0, writeWav(dir, "a.wav", 0.05)));
    e->audioSessionInterrupted();
    e->audioSessionResumed();
    EXPECT_TRUE(playing(e->playSound(0, 0, 1, 0, 1, true)));
}

TEST(SourceWrapper, IgnoresTheSpecialValuesAndRemembersSettings) {
    CDSourceWrapper w;
    w.setSourceId(7);
    w.setSourceId(kCDPlayMuted);
    w.setSourceId(kCDPlayNoSource);
    EXPECT_EQ(w.sourceId(), 7u);
    w.setPitch(1.5f);
    w.setGain(0.5f);
    w.setPan(-1.0f);
    w.setLooping(true);
    EXPECT_FLOAT_EQ(w.pitch(), 1.5f);
    EXPECT_FLOAT_EQ(w.gain(), 0.5f);
    EXPECT_FLOAT_EQ(w.pan(), -1.0f);
    EXPECT_TRUE(w.looping());
    EXPECT_FALSE(w.isPlaying());
}
