#include "audio/CDAudioManager.h"
#include "platform/AppNotifications.h"
#include "platform/AudioSession.h"
#include "platform/NotificationCenter.h"
#include "platform/RunLoop.h"
#include "tests/audio/AudioTestSupport.h"

#include <thread>

using namespace audiotest;

namespace {

class AudioManager : public AudioFixture {
protected:
    Ref<CDAudioManager> manager(int mode) {
        const int groups[] = {8, 8};
        return make<CDAudioManager>(mode, groups, 2);
    }
    void post(const char* name) {
        platform::NotificationCenter::defaultCenter().postNotificationName(name);
    }
};

class CompletionCounter : public Object {
public:
    void musicDone() {
        ++calls;
        onMainThread = platform::RunLoop::main().isMainThread();
    }
    int calls = 0;
    bool onMainThread = false;
};

} // namespace

TEST_F(AudioManager, ModesChooseCategoryAndMusic) {
    auto& session = platform::AudioSession::shared();
    struct Case {
        int mode;
        bool otherAudio;
        uint32_t category;
        bool music;
    } cases[] = {
        {kAudioModeEffectsOnly, false, platform::kAudioSessionCategoryAmbientSound, false},
        {kAudioModeEffectsAndMusic, true, platform::kAudioSessionCategorySoloAmbientSound, true},
        {kAudioModeMusicIfNoOtherAudio, false, platform::kAudioSessionCategorySoloAmbientSound,
         true},
        {kAudioModeMusicIfNoOtherAudio, true, platform::kAudioSessionCategoryAmbientSound, false},
        {7, true, platform::kAudioSessionCategoryAmbientSound, false},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.mode * 10 + c.otherAudio);
        session.reset();
        session.setOtherAudioIsPlaying(c.otherAudio);
        auto m = manager(c.mode);
        EXPECT_EQ(m->audioSessionCategory(), c.category);
        EXPECT_EQ(session.category(), c.category);
        EXPECT_TRUE(session.isActive());
        EXPECT_EQ(m->willPlayBackgroundMusic(), c.music);
        EXPECT_EQ(m->audioWasPlayingAtStartup(), c.otherAudio &&
                                                     c.mode != kAudioModeEffectsAndMusic &&
                                                     c.mode != kAudioModeEffectsOnly);
        // Allowing music first takes and drops the media-playback session.
        EXPECT_EQ(session.activationCount(), c.music ? 2 : 1);
        EXPECT_TRUE(m->soundEngine()->functioning());
        EXPECT_EQ(m->soundEngine()->channelTotal(), 16);
    }
    auto first = manager(kAudioModeEffectsOnly);
    EXPECT_CC_ASSERT(manager(kAudioModeEffectsOnly),
                     "Attempted to allocate a second instance of a singleton.");
}

TEST_F(AudioManager, MusicIsRefusedWhenNotAllowed) {
    platform::AudioSession::shared().setOtherAudioIsPlaying(true);
    auto m = manager(kAudioModeMusicIfNoOtherAudio);
    std::string song = writeWav(dir, "song.wav", 0.5);
    m->preloadBackgroundMusic(song);
    m->playBackgroundMusic(song, true);
    EXPECT_EQ(m->backgroundMusic(), nullptr);
    EXPECT_FALSE(m->isBackgroundMusicPlaying());
    m->pauseBackgroundMusic();
    m->resumeBackgroundMusic();
    m->rewindBackgroundMusic();
    m->stopBackgroundMusic();
    // Effects still play.
    ASSERT_TRUE(m->soundEngine()->loadBuffer(0, song));
    EXPECT_LT(m->soundEngine()->playSound(0, 0, 1, 0, 1, false), 0x10000u);
}

TEST_F(AudioManager, PlayingTheLoadedTrackAgainRestartsIt) {
    auto m = manager(kAudioModeEffectsAndMusic);
    std::string song = writeWav(dir, "song.wav", 2.0);
    m->playBackgroundMusic(song, true);
    ASSERT_NE(m->backgroundMusic(), nullptr);
    platform::MusicPlayer* player = m->backgroundMusic();
    EXPECT_TRUE(m->isBackgroundMusicPlaying());
    EXPECT_EQ(player->numberOfLoops(), -1);
    ASSERT_TRUE(waitUntil([&] { return player->currentTime() > 0.25; }));

    m->playBackgroundMusic(song, false);
    EXPECT_EQ(m->backgroundMusic(), player); // same player, not reloaded
    EXPECT_LT(player->currentTime(), 0.2);
    EXPECT_EQ(player->numberOfLoops(), 0);
    EXPECT_TRUE(m->isBackgroundMusicPlaying());

    // Another track replaces the player; a missing one leaves none.
    std::string other = writeWav(dir, "other.wav", 1.0);
    m->playBackgroundMusic(other, true);
    EXPECT_NE(m->backgroundMusic(), nullptr);
    EXPECT_EQ(m->lastBackgroundMusicFilePath(), other);
    test::LogCapture log;
    m->playBackgroundMusic(dir.file("missing.ogg"), true);
    EXPECT_EQ(m->backgroundMusic(), nullptr);
    EXPECT_FALSE(m->isBackgroundMusicPlaying());
    m->pauseBackgroundMusic();
    m->resumeBackgroundMusic();
    m->rewindBackgroundMusic();
}

TEST_F(AudioManager, PauseResumeStopAndRelease) {
    auto m = manager(kAudioModeEffectsAndMusic);
    std::string song = writeWav(dir, "song.wav", 2.0);
    m->preloadBackgroundMusic(song);
    ASSERT_NE(m->backgroundMusic(), nullptr);
    EXPECT_FALSE(m->isBackgroundMusicPlaying());
    m->resumeBackgroundMusic();
    EXPECT_TRUE(m->isBackgroundMusicPlaying());
    m->pauseBackgroundMusic();
    EXPECT_FALSE(m->isBackgroundMusicPlaying());
    m->stopBackgroundMusic(false);
    EXPECT_NE(m->backgroundMusic(), nullptr);
    m->stopBackgroundMusic();
    EXPECT_EQ(m->backgroundMusic(), nullptr);
    EXPECT_EQ(m->lastBackgroundMusicFilePath(), "");
}

TEST_F(AudioManager, UnmutingResumesOnlyWhatMutingStopped) {
    auto m = manager(kAudioModeEffectsAndMusic);
    std::string song = writeWav(dir, "song.wav", 2.0);
    m->playBackgroundMusic(song, true);
    m->setMute(true);
    EXPECT_TRUE(m->mute());
    EXPECT_TRUE(m->soundEngine()->mute());
    EXPECT_FALSE(m->isBackgroundMusicPlaying());
    EXPECT_NE(m->backgroundMusic(), nullptr); // stopped, not released
    m->playBackgroundMusic(song, true);       // muted: nothing
    EXPECT_FALSE(m->isBackgroundMusicPlaying());
    m->setMute(false);
    EXPECT_TRUE(m->isBackgroundMusicPlaying());

    // Paused before muting: stays paused.
    m->pauseBackgroundMusic();
    m->setMute(true);
    m->setMute(false);
    EXPECT_FALSE(m->isBackgroundMusicPlaying());

    // Stopped on purpose while muted: stays stopped.
    m->resumeBackgroundMusic();
    m->setMute(true);
    m->stopBackgroundMusic(false);
    m->setMute(false);
    EXPECT_FALSE(m->isBackgroundMusicPlaying());
}

TEST_F(AudioManager, ResignBehavioursFollowTheApplicationNotifications) {
    auto m = manager(kAudioModeEffectsAndMusic);
    auto& center = platform::NotificationCenter::defaultCenter();
    size_t before = center.observerCount();
    m->setResignBehavior(kResignStopAndResume, true);
    m->setResignBehavior(kResignStopAndResume, true);
    EXPECT_EQ(center.observerCount(), before + 3); // registered once

    std::string song = writeWav(dir, "song.wav", 2.0);
    m->playBackgroundMusic(song, true);
    post(platform::kApplicationWillResignActiveNotification);
    EXPECT_FALSE(m->isBackgroundMusicPlaying());
    EXPECT_NE(m->backgroundMusic(), nullptr);
    post(platform::kApplicationDidBecomeActiveNotification);
    EXPECT_TRUE(m->isBackgroundMusicPlaying());
    post(platform::kApplicationDidBecomeActiveNotification);
    EXPECT_TRUE(m->isBackgroundMusicPlaying());

    // Not playing when resigning: not started on return.
    m->pauseBackgroundMusic();
    post(platform::kApplicationWillResignActiveNotification);
    post(platform::kApplicationDidBecomeActiveNotification);
    EXPECT_FALSE(m->isBackgroundMusicPlaying());

    // Muted while inactive: comes back with unmuting, not before.
    m->resumeBackgroundMusic();
    post(platform::kApplicationWillResignActiveNotification);
    m->setMute(true);
    post(platform::kApplicationDidBecomeActiveNotification);
    EXPECT_FALSE(m->isBackgroundMusicPlaying());
    m->setMute(false);
    EXPECT_TRUE(m->isBackgroundMusicPlaying());

    m->setResignBehavior(kResignStop, true);
    post(platform::kApplicationWillResignActiveNotification);
    post(platform::kApplicationDidBecomeActiveNotification);
    EXPECT_FALSE(m->isBackgroundMusicPlaying());

    m->setResignBehavior(kResignDoNothing, false);
    m->resumeBackgroundMusic();
    post(platform::kApplicationWillResignActiveNotification);
    EXPECT_TRUE(m->isBackgroundMusicPlaying());

    post(platform::kApplicationWillTerminateNotification);
    EXPECT_EQ(m->backgroundMusic(), nullptr);

    m = nullptr;
    EXPECT_EQ(center.observerCount(), before);
}

TEST_F(AudioManager, CompletionListenerRunsOnTheMainThread) {
    auto m = manager(kAudioModeEffectsAndMusic);
    auto counter = make<CompletionCounter>();
    m->setBackgroundMusicCompletionListener(
        counter.get(), ccSelector(counter.get(), &CompletionCounter::musicDone));
    m->playBackgroundMusic(writeWav(dir, "short.wav", 0.15), false);
    EXPECT_TRUE(m->isBackgroundMusicPlaying());
    auto& loop = platform::RunLoop::main();
    ASSERT_TRUE(waitUntil([&] {
        loop.runEventSlice(0.01);
        return counter->calls > 0;
    }));
    EXPECT_TRUE(counter->onMainThread);
    EXPECT_FALSE(m->isBackgroundMusicPlaying());
    EXPECT_EQ(counter->calls, 1);

    // Playing it again after it finished plays from the start.
    m->playBackgroundMusic(dir.file("short.wav"), false);
    EXPECT_TRUE(m->isBackgroundMusicPlaying());
    ASSERT_TRUE(waitUntil([&] {
        loop.runEventSlice(0.01);
        return counter->calls > 1;
    }));
}

TEST_F(AudioManager, InterruptionsPauseAndResumeTheMusic) {
    auto m = manager(kAudioModeEffectsAndMusic);
    auto& session = platform::AudioSession::shared();
    m->playBackgroundMusic(writeWav(dir, "song.wav", 2.0), true);
    session.beginInterruption();
    EXPECT_FALSE(session.isActive());
    EXPECT_FALSE(m->isBackgroundMusicPlaying());
    session.endInterruption();
    EXPECT_TRUE(session.isActive());
    EXPECT_EQ(session.category(), platform::kAudioSessionCategorySoloAmbientSound);
    EXPECT_TRUE(m->isBackgroundMusicPlaying());

    // Effects work again after the context came back.
    ASSERT_TRUE(m->soundEngine()->loadBuffer(0, dir.file("song.wav")));
    EXPECT_LT(m->soundEngine()->playSound(0, 0, 1, 0, 1, false), 0x10000u);
}

TEST_F(AudioManager, SharedManagerUsesTheConfigurationAndCanBeMadeInTheBackground) {
    EXPECT_EQ(CDAudioManager::sharedManagerState(), 0);
    EXPECT_EQ(CDAudioManager::sharedManager().soundEngine()->channelTotal(), 32);
    EXPECT_EQ(CDAudioManager::sharedManager().mode(), kAudioModeMusicIfNoOtherAudio);
    EXPECT_EQ(CDAudioManager::sharedManagerState(), 2);
    CDAudioManager::end();

    const int groups[] = {4, 4, 2};
    CDAudioManager::initAsynchronously(kAudioModeEffectsOnly, groups, 3);
    CDAudioManager::initAsynchronously(kAudioModeEffectsAndMusic, groups, 1); // once only
    EXPECT_NE(CDAudioManager::sharedManagerState(), 0);
    CDAudioManager& m = CDAudioManager::sharedManager();
    EXPECT_EQ(CDAudioManager::sharedManagerState(), 2);
    EXPECT_EQ(m.mode(), kAudioModeEffectsOnly);
    EXPECT_EQ(m.soundEngine()->channelGroupTotal(), 3);
    EXPECT_EQ(m.soundEngine()->channelTotal(), 10);
}
